#include "transfer_fixtures.h"

#include "fixtures.h"
#include "zip_compare.h"

#include <QRegularExpression>

#include <xlsxwriter.h>

namespace
{

const char kMainNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

lxw_format *Format(lxw_workbook *book, const std::function<void(lxw_format *)> &set)
{
    lxw_format *format = workbook_add_format(book);
    set(format);
    return format;
}

// Turns the plain formulas of `cells` (first one the master) into one shared group.
QByteArray ShareFormulas(QByteArray sheet, const QStringList &cells, const QString &ref)
{
    for (int i = 0; i < cells.size(); ++i) {
        const QRegularExpression formula(
            QStringLiteral("(<c r=\"%1\"[^>]*>)<f>([^<]*)</f>").arg(cells[i]));
        const QString replacement =
            i == 0 ? QStringLiteral("\\1<f t=\"shared\" ref=\"%1\" si=\"0\">\\2</f>").arg(ref)
                   : QStringLiteral("\\1<f t=\"shared\" si=\"0\"/>");
        sheet = QString::fromUtf8(sheet).replace(formula, replacement).toUtf8();
    }
    return sheet;
}

void WriteTemplateCells(lxw_workbook *book, lxw_worksheet *sheet)
{
    lxw_format *header = Format(book, [](lxw_format *f) {
        format_set_bold(f);
        format_set_font_size(f, 14);
        format_set_font_color(f, LXW_COLOR_RED);
        format_set_bg_color(f, LXW_COLOR_YELLOW);
        format_set_border(f, LXW_BORDER_THIN);
        format_set_align(f, LXW_ALIGN_CENTER);
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    });
    lxw_format *custom = Format(book, [](lxw_format *f) { format_set_num_format(f, "0.000"); });
    lxw_format *percent = Format(book, [](lxw_format *f) { format_set_num_format_index(f, 10); });
    lxw_format *date = Format(book, [](lxw_format *f) { format_set_num_format(f, "yyyy-mm-dd"); });
    lxw_format *unlocked = Format(book, [](lxw_format *f) {
        format_set_unlocked(f);
        format_set_text_wrap(f);
        format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
        format_set_italic(f);
        format_set_font_name(f, "Arial");
    });
    lxw_format *boxed = Format(book, [](lxw_format *f) {
        format_set_border(f, LXW_BORDER_DOUBLE);
        format_set_num_format(f, "#,##0.00");
    });
    lxw_format *bold = Format(book, [](lxw_format *f) { format_set_bold(f); });

    worksheet_write_string(sheet, 1, 1, "Header", header);
    worksheet_write_number(sheet, 1, 2, 1234.5678, custom);
    worksheet_write_number(sheet, 1, 3, 0.25, percent);
    worksheet_write_formula_num(sheet, 2, 1, "=C2*2", nullptr, 2469.1356);
    worksheet_write_formula_str(sheet, 2, 2, "=B2&\"!\"", nullptr, "Header!");
    worksheet_write_boolean(sheet, 2, 3, 1, nullptr);
    lxw_rich_string_tuple boldPart = {bold, const_cast<char *>("Bold ")};
    lxw_rich_string_tuple plainPart = {nullptr, const_cast<char *>("plain")};
    lxw_rich_string_tuple *rich[] = {&boldPart, &plainPart, nullptr};
    worksheet_write_rich_string(sheet, 3, 1, rich, nullptr);
    lxw_datetime day = {2024, 3, 1, 0, 0, 0};
    worksheet_write_datetime(sheet, 3, 2, &day, date);
    worksheet_write_string(sheet, 3, 3, "unlocked", unlocked);
    worksheet_write_number(sheet, 4, 2, 5, nullptr);
    worksheet_merge_range(sheet, 6, 1, 7, 2, "merged", header);
    worksheet_write_formula_num(sheet, 8, 1, "=SUM(C2:D2)", nullptr, 1234.8278);
    worksheet_write_blank(sheet, 8, 3, boxed);
    worksheet_write_string(sheet, 1, 4, "outside", unlocked);
    worksheet_write_string(sheet, 0, 5, "F-head", header);
    for (int row = 1; row <= 3; ++row)
        worksheet_write_formula_num(sheet, lxw_row_t(row), 5,
                                    QStringLiteral("=C%1*3").arg(row + 1).toUtf8().constData(),
                                    nullptr, row);
    worksheet_write_formula_num(sheet, 9, 5, "=B3+1", nullptr, 2470.1356);
    worksheet_write_string(sheet, 11, 0, "row twelve", bold);
}

void WriteTemplateLayout(lxw_workbook *book, lxw_worksheet *sheet)
{
    lxw_format *rowFill = Format(book, [](lxw_format *f) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, 0xCCE5FF);
    });
    lxw_format *columnFill =
        Format(book, [](lxw_format *f) { format_set_bg_color(f, LXW_COLOR_GREEN); });
    lxw_format *alarm = Format(book, [](lxw_format *f) {
        format_set_font_color(f, 0x9C0006);
        format_set_bg_color(f, 0xFFC7CE);
    });
    worksheet_set_column(sheet, 1, 1, 20, nullptr);
    worksheet_set_column(sheet, 2, 2, 5.5, nullptr);
    worksheet_set_column(sheet, 5, 5, 30, columnFill);
    worksheet_set_row(sheet, 2, 30, nullptr);
    worksheet_set_row(sheet, 4, 22, rowFill);
    lxw_conditional_format above = {};
    above.type = LXW_CONDITIONAL_TYPE_CELL;
    above.criteria = LXW_CONDITIONAL_CRITERIA_GREATER_THAN;
    above.value = 100;
    above.format = alarm;
    worksheet_conditional_format_range(sheet, 1, 1, 8, 3, &above);
    lxw_conditional_format positive = {};
    positive.type = LXW_CONDITIONAL_TYPE_FORMULA;
    positive.value_string = const_cast<char *>("=$A1>0");
    positive.format = alarm;
    worksheet_conditional_format_range(sheet, 0, 0, 2, 1, &positive);
}

void WriteTargetData(lxw_workbook *book, lxw_worksheet *sheet)
{
    lxw_format *green =
        Format(book, [](lxw_format *f) { format_set_bg_color(f, LXW_COLOR_GREEN); });
    lxw_format *italic = Format(book, [](lxw_format *f) { format_set_italic(f); });
    lxw_format *blue =
        Format(book, [](lxw_format *f) { format_set_font_color(f, LXW_COLOR_BLUE); });
    worksheet_write_string(sheet, 0, 0, "keep", nullptr);
    worksheet_write_string(sheet, 1, 1, "old", green);
    worksheet_write_number(sheet, 2, 2, 42, nullptr);
    worksheet_write_string(sheet, 3, 3, "x", nullptr);
    worksheet_write_number(sheet, 4, 4, 5, italic);
    worksheet_write_number(sheet, 7, 6, 7, nullptr);
    for (int row = 7; row <= 11; ++row) {
        worksheet_write_number(sheet, lxw_row_t(row), 6, row, nullptr);
        worksheet_write_formula_num(sheet, lxw_row_t(row), 1,
                                    QStringLiteral("=G%1*2").arg(row + 1).toUtf8().constData(),
                                    nullptr, row * 2);
    }
    worksheet_set_column(sheet, 1, 1, 10, nullptr);
    lxw_row_col_options hidden = {1, 0, 0};
    worksheet_set_column_opt(sheet, 2, 2, 12, nullptr, &hidden);
    worksheet_set_row(sheet, 2, 25, nullptr);
    worksheet_merge_range(sheet, 5, 2, 5, 3, "m", blue);
    worksheet_merge_range(sheet, 0, 7, 0, 8, "h", blue);
    lxw_conditional_format one = {};
    one.type = LXW_CONDITIONAL_TYPE_CELL;
    one.criteria = LXW_CONDITIONAL_CRITERIA_EQUAL_TO;
    one.value = 1;
    one.format = blue;
    worksheet_conditional_format_range(sheet, 2, 2, 3, 2, &one);
    worksheet_conditional_format_range(sheet, 1, 7, 4, 7, &one);
    lxw_data_validation list = {};
    list.validate = LXW_VALIDATION_TYPE_LIST;
    const char *choices[] = {"old", "new", nullptr};
    list.value_list = const_cast<char **>(choices);
    worksheet_data_validation_cell(sheet, 1, 1, &list);
}

} // namespace

bool EditPackage(const QString &path,
                 const std::function<QByteArray(const QString &, QByteArray)> &edit,
                 const QList<QPair<QString, QByteArray>> &extra)
{
    testsupport::PackageEntries entries;
    for (const QString &name : testsupport::EntryNames(path))
        entries.emplace_back(name, edit(name, testsupport::EntryData(path, name)));
    for (const auto &[name, data] : extra)
        entries.emplace_back(name, data);
    return !entries.empty() && testsupport::WritePackage(path, entries);
}

bool WriteTransferTemplate(const QString &path)
{
    lxw_workbook *book = workbook_new(path.toLocal8Bit().constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Template");
    WriteTemplateCells(book, sheet);
    WriteTemplateLayout(book, sheet);
    worksheet_write_string(workbook_add_worksheet(book, "Notes"), 0, 0, "not copied", nullptr);
    if (workbook_close(book) != LXW_NO_ERROR)
        return false;
    return EditPackage(path, [](const QString &name, QByteArray data) {
        return name == "xl/worksheets/sheet1.xml" ? ShareFormulas(data, {"F2", "F3", "F4"}, "F2:F4")
                                                  : data;
    });
}

bool WriteTransferTarget(const QString &path)
{
    lxw_workbook *book = workbook_new(path.toLocal8Bit().constData());
    WriteTargetData(book, workbook_add_worksheet(book, "Data"));
    lxw_worksheet *second = workbook_add_worksheet(book, "Second");
    worksheet_write_string(second, 0, 0, "second", nullptr);
    worksheet_merge_range(second, 1, 1, 1, 2, "wide", nullptr);
    if (workbook_close(book) != LXW_NO_ERROR)
        return false;
    return EditPackage(path, [](const QString &name, QByteArray data) {
        return name == "xl/worksheets/sheet1.xml"
                   ? ShareFormulas(data, {"B8", "B9", "B10", "B11", "B12"}, "B8:B12")
                   : data;
    });
}

bool WriteConditionalTarget(const QString &path)
{
    lxw_workbook *book = workbook_new(path.toLocal8Bit().constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Data");
    for (int row = 0; row < 12; ++row)
        for (int column = 0; column < 7; ++column)
            worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(column), row + column, nullptr);
    lxw_format *red = Format(book, [](lxw_format *f) { format_set_font_color(f, LXW_COLOR_RED); });
    lxw_conditional_format rule = {};
    rule.type = LXW_CONDITIONAL_TYPE_CELL;
    rule.criteria = LXW_CONDITIONAL_CRITERIA_GREATER_THAN;
    rule.format = red;
    // the first range of each, then all of them
    const struct {
        lxw_row_t firstRow, lastRow;
        lxw_col_t firstColumn, lastColumn;
        const char *ranges;
    } cellRules[] = {{0, 3, 0, 2, "A1:C4"},
                     {4, 4, 0, 4, "A5:E5 G1:G3 C7:C8"},
                     {2, 3, 2, 3, "C3:D4"},
                     {0, 2, 5, 5, "F1:F3"}};
    for (const auto &cells : cellRules) {
        rule.value = cells.firstRow + 1;
        rule.multi_range = const_cast<char *>(cells.ranges);
        worksheet_conditional_format_range(sheet, cells.firstRow, cells.firstColumn, cells.lastRow,
                                           cells.lastColumn, &rule);
    }
    lxw_conditional_format bars = {};
    bars.type = LXW_CONDITIONAL_DATA_BAR;
    bars.data_bar_2010 = LXW_TRUE;
    worksheet_conditional_format_range(sheet, 0, 3, 11, 3, &bars);
    worksheet_conditional_format_range(sheet, 2, 1, 5, 1, &bars);
    return workbook_close(book) == LXW_NO_ERROR;
}

bool PrefixMainNamespace(const QString &path)
{
    const QByteArray unprefixed = "xmlns=\"" + QByteArray(kMainNamespace) + "\"";
    const QByteArray prefixed = "xmlns:x=\"" + QByteArray(kMainNamespace) + "\"";
    // an element name right after "<" or "</", with no prefix of its own
    static const QRegularExpression name(QStringLiteral("<(/?)([A-Za-z_][\\w.-]*)(?=[\\s/>])"));
    return EditPackage(path, [&](const QString &, QByteArray data) {
        if (!data.contains(unprefixed))
            return data;
        const QString text = QString::fromUtf8(data.replace(unprefixed, prefixed));
        return QString(text).replace(name, QStringLiteral("<\\1x:\\2")).toUtf8();
    });
}

bool AddCalcChain(const QString &path)
{
    const QByteArray chain = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                             "<calcChain xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
                             "2006/main\"><c r=\"B8\" i=\"1\"/></calcChain>";
    return EditPackage(
        path,
        [](const QString &name, QByteArray data) {
            if (name == "[Content_Types].xml")
                data.replace("</Types>", "<Override PartName=\"/xl/calcChain.xml\" ContentType=\""
                                         "application/vnd.openxmlformats-officedocument."
                                         "spreadsheetml.calcChain+xml\"/></Types>");
            if (name == "xl/_rels/workbook.xml.rels")
                data.replace("</Relationships>",
                             "<Relationship Id=\"rId99\" Type=\"http://schemas.openxmlformats.org/"
                             "officeDocument/2006/relationships/calcChain\" "
                             "Target=\"calcChain.xml\"/></Relationships>");
            return data;
        },
        {{"xl/calcChain.xml", chain}});
}
