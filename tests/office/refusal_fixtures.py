# Legacy workbooks whose A1:D10 LibreOffice refuses to paste into: array
# formulas on two sheets, and filtered rows on two sheets; one with a VBA
# project, and one whose formulas hold text, TRUE and an error as results. xlwt writes none of them, so a private LibreOffice makes them
# (python3-uno).
import ctypes, os, shutil, signal, subprocess, sys, tempfile, time
import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException
from com.sun.star.script import ModuleInfo
from com.sun.star.script.ModuleType import NORMAL
from com.sun.star.sheet import TableFilterField
from com.sun.star.sheet.FilterOperator import EQUAL
from com.sun.star.table import CellRangeAddress

folder = sys.argv[1]
profile = tempfile.mkdtemp(prefix='sheetwright-test-lo-')
pipe = 'sheetwright-test-%d' % os.getpid()


def die_with_parent():
    ctypes.CDLL('libc.so.6').prctl(1, signal.SIGKILL)


def start():
    return subprocess.Popen(
        ['/usr/lib/libreoffice/program/soffice.bin', '--headless', '--invisible', '--norestore',
         '--nodefault', '--nolockcheck', '-env:UserInstallation=' + uno.systemPathToFileUrl(profile),
         '--accept=pipe,name=%s;urp;StarOffice.ComponentContext' % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=die_with_parent)


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


process = start()
local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext('com.sun.star.bridge.UnoUrlResolver', local)
deadline = time.monotonic() + 60
while True:
    try:
        context = resolver.resolve('uno:pipe,name=%s;urp;StarOffice.ComponentContext' % pipe)
        break
    except NoConnectException:
        if process.poll() is not None:
            if process.returncode != 81:  # a fresh profile asks for one restart
                sys.exit('soffice ended with %d' % process.returncode)
            process = start()
        if time.monotonic() > deadline:
            sys.exit('soffice did not answer')
        time.sleep(0.05)
desktop = context.ServiceManager.createInstanceWithContext('com.sun.star.frame.Desktop', context)


def new_book():
    book = desktop.loadComponentFromURL('private:factory/scalc', '_blank', 0, (prop('Hidden', True),))
    book.Sheets.insertNewByName('Second', 1)
    return book


def save(book, name):
    book.storeToURL(uno.systemPathToFileUrl(os.path.join(folder, name)),
                    (prop('FilterName', 'MS Excel 97'),))
    book.close(True)


book = new_book()
for i in range(2):
    book.Sheets.getByIndex(i).getCellRangeByName('B3:B8').setArrayFormula('=ROW()*2')
save(book, 'array.xls')

book = new_book()
for i in range(2):
    sheet = book.Sheets.getByIndex(i)
    for row in range(10):
        sheet.getCellByPosition(0, row).String = 'head' if row == 0 else ('keep' if row % 2 else 'drop')
    area = CellRangeAddress()
    area.Sheet, area.StartColumn, area.StartRow, area.EndColumn, area.EndRow = i, 0, 0, 0, 9
    book.DatabaseRanges.addNewByName('rows%d' % i, area)
    rows = book.DatabaseRanges.getByName('rows%d' % i)
    rows.AutoFilter = True
    condition = TableFilterField()
    condition.Field, condition.Operator, condition.IsNumeric, condition.StringValue = 0, EQUAL, False, 'keep'
    descriptor = rows.getFilterDescriptor()
    descriptor.setFilterFields((condition,))
    rows.refresh()
save(book, 'filtered.xls')

book = new_book()
for column, formula in enumerate(('=CONCATENATE("a";"b")', '=1=1', '=1/0', '=2+3')):
    book.Sheets.getByIndex(0).getCellByPosition(column, 9).Formula = formula
save(book, 'results.xls')

# A VBA module; LibreOffice writes its project as its own export makes it.
book = new_book()
libraries = book.BasicLibraries
libraries.VBACompatibilityMode = True
libraries.ProjectName = 'Standard'
module = ModuleInfo()
module.ModuleType = NORMAL
libraries.getByName('Standard').insertModuleInfo('Module1', module)
libraries.getByName('Standard').insertByName(
    'Module1', 'Option VBASupport 1\nSub Hello()\n    MsgBox "hi"\nEnd Sub\n')
save(book, 'vba.xls')

try:
    desktop.terminate()
except Exception:
    pass  # the bridge drops as soffice ends
try:
    process.wait(30)
except subprocess.TimeoutExpired:
    process.kill()
shutil.rmtree(profile, ignore_errors=True)

# What Excel writes and LibreOffice's export would not: a compiled-cache
# version in _VBA_PROJECT and the editor's own window places.
import olefile
vba = olefile.OleFileIO(os.path.join(folder, 'vba.xls'), write_mode=True)
vba.write_stream('_VBA_PROJECT_CUR/VBA/_VBA_PROJECT', bytes.fromhex('cc61b500000000'))
project = vba.openstream('_VBA_PROJECT_CUR/PROJECT').read()
vba.write_stream('_VBA_PROJECT_CUR/PROJECT', project.replace(b'Module1=25, 25,', b'Module1=52, 52,'))
vba.close()
