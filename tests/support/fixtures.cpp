#include "fixtures.h"

#include <xlsxwriter.h>
#include <zip.h>

namespace testsupport
{
namespace
{

const char kOnePixelPng[] =
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA"
    "60e6kgAAAABJRU5ErkJggg==";

void FillSheet(lxw_worksheet *sheet, lxw_format *bold, const MergedBookShape &shape)
{
    for (int row = 0; row < shape.rows; ++row) {
        for (int column = 0; column < shape.columns; ++column) {
            const lxw_row_t r = static_cast<lxw_row_t>(row);
            const lxw_col_t c = static_cast<lxw_col_t>(column);
            if (column % 2 == 0)
                worksheet_write_number(sheet, r, c, row * 100 + column, nullptr);
            else
                worksheet_write_string(sheet, r, c, "text", row % 5 == 0 ? bold : nullptr);
        }
    }
    for (int merge = 0; merge < shape.mergesPerSheet; ++merge) {
        const lxw_row_t top = static_cast<lxw_row_t>((merge * 3) % (shape.rows - 1));
        const lxw_col_t left =
            static_cast<lxw_col_t>(((merge * 3) / (shape.rows - 1)) * 2 % (shape.columns - 1));
        worksheet_merge_range(sheet, top, left, top + 1, left + 1, "merged", bold);
    }
}

void AddRichData(lxw_workbook *book, lxw_worksheet *sheet)
{
    lxw_format *money = workbook_add_format(book);
    format_set_num_format(money, "#,##0.00");
    format_set_bg_color(money, LXW_COLOR_YELLOW);
    format_set_border(money, LXW_BORDER_THIN);
    lxw_format *title = workbook_add_format(book);
    format_set_bold(title);
    format_set_align(title, LXW_ALIGN_CENTER);
    format_set_font_color(title, LXW_COLOR_RED);
    worksheet_merge_range(sheet, 0, 0, 0, 3, "Title", title);
    for (lxw_row_t row = 1; row <= 5; ++row) {
        worksheet_write_string(sheet, row, 0, "item", nullptr);
        worksheet_write_number(sheet, row, 1, row * 1.5, money);
    }
    worksheet_write_formula(sheet, 6, 1, "=SUM(B2:B6)", money);
    worksheet_merge_range(sheet, 8, 0, 10, 1, "Block", title);
    worksheet_write_comment(sheet, 1, 0, "a comment");
    lxw_data_validation validation = {};
    validation.validate = LXW_VALIDATION_TYPE_INTEGER;
    validation.criteria = LXW_VALIDATION_CRITERIA_BETWEEN;
    validation.minimum_number = 1;
    validation.maximum_number = 10;
    worksheet_data_validation_cell(sheet, 1, 2, &validation);
    const QByteArray png = QByteArray::fromBase64(kOnePixelPng);
    worksheet_insert_image_buffer(sheet, 12, 4, reinterpret_cast<const unsigned char *>(png.data()),
                                  static_cast<size_t>(png.size()));
    workbook_define_name(book, "Totals", "=Data!$B$7");
}

lxw_chart *SeriesChart(lxw_workbook *book)
{
    lxw_chart *chart = workbook_add_chart(book, LXW_CHART_COLUMN);
    chart_add_series(chart, nullptr, "=Data!$B$2:$B$6");
    return chart;
}

} // namespace

bool WriteMergedWorkbook(const QString &path, const MergedBookShape &shape)
{
    lxw_workbook *book = workbook_new(path.toLocal8Bit().constData());
    if (!book)
        return false;
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    for (int i = 0; i < shape.sheets; ++i) {
        const QByteArray name = QStringLiteral("Sheet%1").arg(i + 1).toUtf8();
        FillSheet(workbook_add_worksheet(book, name.constData()), bold, shape);
    }
    return workbook_close(book) == LXW_NO_ERROR;
}

bool WriteBorderedMergesWorkbook(const QString &path)
{
    lxw_workbook *book = workbook_new(path.toLocal8Bit().constData());
    if (!book)
        return false;
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Rates");
    lxw_format *heading = workbook_add_format(book);
    format_set_border(heading, LXW_BORDER_MEDIUM);
    format_set_bold(heading);
    worksheet_merge_range(sheet, 0, 0, 0, 3, "Tax rates", heading);
    lxw_format *block = workbook_add_format(book);
    format_set_left(block, LXW_BORDER_DOUBLE);
    format_set_top(block, LXW_BORDER_DOUBLE);
    format_set_right(block, LXW_BORDER_THIN);
    format_set_bottom(block, LXW_BORDER_DASHED);
    worksheet_merge_range(sheet, 2, 0, 4, 1, "Band", block);
    lxw_format *cell = workbook_add_format(book);
    format_set_border(cell, LXW_BORDER_THIN);
    for (lxw_row_t row = 5; row < 8; ++row)
        for (lxw_col_t column = 0; column < 4; ++column)
            worksheet_write_number(sheet, row, column, row * 0.05, cell);
    return workbook_close(book) == LXW_NO_ERROR;
}

bool WriteRichWorkbook(const QString &path)
{
    lxw_workbook *book = workbook_new(path.toLocal8Bit().constData());
    if (!book)
        return false;
    lxw_worksheet *data = workbook_add_worksheet(book, "Data");
    lxw_worksheet *second = workbook_add_worksheet(book, "Second");
    lxw_chartsheet *chartSheet = workbook_add_chartsheet(book, "Chart");
    AddRichData(book, data);
    worksheet_insert_chart(data, 2, 6, SeriesChart(book));
    chartsheet_set_chart(chartSheet, SeriesChart(book));
    MergedBookShape shape;
    shape.mergesPerSheet = 2;
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    FillSheet(second, bold, shape);
    return workbook_close(book) == LXW_NO_ERROR;
}

bool WritePackage(const QString &path, const PackageEntries &entries, Compression compression)
{
    int code = 0;
    zip_t *archive = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive)
        return false;
    for (const auto &[name, data] : entries) {
        zip_source_t *source =
            zip_source_buffer(archive, data.constData(), static_cast<zip_uint64_t>(data.size()), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8)
                   : -1;
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        if (compression == Compression::Store)
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    return zip_close(archive) == 0;
}

QByteArray WorksheetXml(const QByteArray &children)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">" +
           children + "</worksheet>";
}

PackageEntries MinimalWorkbookParts(const std::vector<QByteArray> &sheetXml)
{
    QByteArray overrides;
    QByteArray sheets;
    QByteArray relationships;
    for (size_t i = 0; i < sheetXml.size(); ++i) {
        const QByteArray n = QByteArray::number(static_cast<int>(i + 1));
        overrides += "<Override PartName=\"/xl/worksheets/sheet" + n +
                     ".xml\" ContentType=\"application/"
                     "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
        sheets += "<sheet name=\"Sheet" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        relationships += "<Relationship Id=\"rId" + n +
                         "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                         "relationships/worksheet\" Target=\"worksheets/sheet" +
                         n + ".xml\"/>";
    }
    PackageEntries parts = {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
         "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>" +
             overrides + "</Types>"},
        {"_rels/.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
         "2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook "
         "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
         "<sheets>" +
             sheets + "</sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
             relationships + "</Relationships>"},
    };
    for (size_t i = 0; i < sheetXml.size(); ++i)
        parts.emplace_back(QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1), sheetXml[i]);
    return parts;
}

} // namespace testsupport
