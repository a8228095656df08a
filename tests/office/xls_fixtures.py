# Legacy workbooks for the office backend's tests, written by xlwt (an
# independent BIFF8 writer), plus byte-patched copies that LibreOffice must
# never see: one marked encrypted (FILEPASS) and one in the Excel 5 layout.
import datetime, os, sys, xlwt

folder = sys.argv[1]
bold = xlwt.easyxf('font: bold on; pattern: pattern solid, fore_colour light_yellow')
money = xlwt.easyxf(num_format_str='0.00')
plain = xlwt.easyxf('')


def path(name):
    return os.path.join(folder, name)


def merged_book(name):
    book = xlwt.Workbook()
    for title in ('Data', 'Second', 'Guarded'):
        sheet = book.add_sheet(title)
        for r in range(12):
            for c in range(6):
                if (r in (2, 3) and c in (1, 2)) or (r in (6, 7) and c in (4, 5)):
                    continue
                sheet.write(r, c, r * 10 + c if c % 2 else 'r%dc%d' % (r, c), money if c % 2 else plain)
        sheet.write_merge(2, 3, 1, 2, 'merged', bold)
        sheet.merge(6, 7, 4, 5)  # a merged blank area
        sheet.col(0).width = 5000
        if title == 'Guarded':
            sheet.protect = True
    book.save(path(name))


def template_book(name):
    book = xlwt.Workbook()
    sheet = book.add_sheet('Template')
    sheet.write(0, 0, 'Head', bold)
    sheet.write(1, 1, xlwt.Formula('SUM(1,2)'), money)
    sheet.write(1, 2, 7, bold)
    sheet.write_merge(3, 3, 1, 2, 'joined', bold)
    for column, width in enumerate((6000, 2000, 9000, 4000)):
        sheet.col(column).width = width
    book.save(path(name))


def target_book(name, first_protected=False):
    book = xlwt.Workbook()
    for title in ('One', 'Hidden', 'Other'):
        sheet = book.add_sheet(title)
        for r in range(8):
            for c in range(6):
                if r != 4 or c < 4:
                    sheet.write(r, c, 'old%d%d' % (r, c))
        sheet.merge(4, 4, 4, 5)
        if title == 'Hidden':
            sheet.visibility = 1
    if first_protected:
        book.get_sheet(0).protect = True
    book.save(path(name))


def titled_template(name):
    """A merged title row over default-format cells, as Chinese templates have."""
    book = xlwt.Workbook()
    sheet = book.add_sheet('Template')
    sheet.write_merge(0, 0, 0, 2, '月度报表', bold)
    sheet.write(1, 0, 'plain')
    sheet.write(1, 1, 12.5, money)
    sheet.write(2, 0, datetime.date(2024, 3, 1), xlwt.easyxf(num_format_str='yyyy-mm-dd'))
    book.save(path(name))


def songti_target(name, dates_1904=False):
    """Another default font than the template's, as workbooks saved on a Chinese system have."""
    plain_font = xlwt.Formatting.Font.__init__

    def songti(font):
        plain_font(font)
        font.name, font.height = 'SimSun', 240

    xlwt.Formatting.Font.__init__ = songti
    book = xlwt.Workbook()
    book.dates_1904 = dates_1904
    sheet = book.add_sheet('Data')
    for r in range(8):
        for c in range(7):
            if c != 4 or r not in (4, 5, 6):
                sheet.write(r, c, 'old%d%d' % (r, c))
    sheet.merge(3, 6, 4, 4)  # E4:E7, across the edge of A1:E5
    book.save(path(name))
    xlwt.Formatting.Font.__init__ = plain_font


def patched(source, name, old, new, length_at=None, length=None):
    data = bytearray(open(path(source), 'rb').read())
    at = data.index(old)
    data[at:at + len(new)] = new
    if length_at is not None:
        data[at + length_at:at + length_at + 2] = length.to_bytes(2, 'little')
    open(path(name), 'wb').write(bytes(data))


merged_book('merged.xls')
template_book('template.xls')
target_book('target.xls')
target_book('guarded_target.xls', first_protected=True)
target_book('stuck.xls')
target_book('after_stuck.xls')
target_book('modes.xls')
target_book('readonly.xls')
titled_template('titled.xls')
songti_target('songti.xls')
songti_target('songti1904.xls', dates_1904=True)
open(path('empty.xls'), 'wb').close()
open(path('junk.xls'), 'wb').write(b'This is not a workbook at all.\n' * 40)
# The record after the workbook stream's BOF becomes FILEPASS (0x002F).
bof = b'\x09\x08\x10\x00\x00\x06\x05\x00'
data = bytearray(open(path('target.xls'), 'rb').read())
at = data.index(bof) + 20
data[at:at + 2] = b'\x2f\x00'
open(path('encrypted.xls'), 'wb').write(bytes(data))
# The stream named "Book", as Excel 5/95 named it.
patched('target.xls', 'excel5.xls', 'Workbook'.encode('utf-16-le'),
        'Book'.encode('utf-16-le') + b'\0' * 10, length_at=64, length=10)
