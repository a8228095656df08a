#include "sample_books.h"

#include <xlsxwriter.h>

#include <string>

namespace
{

lxw_format *FilledFormat(lxw_workbook *book, lxw_color_t color)
{
    lxw_format *format = workbook_add_format(book);
    format_set_bg_color(format, color);
    format_set_border(format, LXW_BORDER_THIN);
    format_set_bold(format);
    format_set_num_format(format, "0.00%");
    format_set_align(format, LXW_ALIGN_CENTER);
    return format;
}

void FillTemplateSheet(lxw_workbook *book, lxw_worksheet *sheet)
{
    lxw_format *header = FilledFormat(book, 0xFFCC00);
    lxw_format *body = workbook_add_format(book);
    format_set_font_name(body, "Arial");
    format_set_italic(body);
    format_set_num_format(body, "#,##0.00");
    worksheet_set_column(sheet, 0, 0, 24, nullptr);
    worksheet_set_column(sheet, 2, 4, 6.5, body);
    worksheet_set_row(sheet, 1, 30, header);
    for (lxw_row_t row = 0; row < 12; ++row)
        for (lxw_col_t col = 0; col < 6; ++col)
            worksheet_write_number(sheet, row, col, row * 10 + col,
                                   (row + col) % 3 ? body : header);
    worksheet_write_string(sheet, 0, 0, "模板 header", header);
    worksheet_write_formula(sheet, 11, 5, "=SUM(A1:E11)", body);
    worksheet_write_array_formula(sheet, 10, 0, 10, 1, "{=A1:B1*2}", nullptr);
    worksheet_merge_range(sheet, 3, 1, 4, 3, "merged", header);
    lxw_conditional_format condition = {};
    condition.type = LXW_CONDITIONAL_TYPE_CELL;
    condition.criteria = LXW_CONDITIONAL_CRITERIA_GREATER_THAN;
    condition.value = 50;
    condition.format = header;
    worksheet_conditional_format_range(sheet, 0, 0, 11, 5, &condition);
}

void FillMergedSheet(lxw_workbook *book, lxw_worksheet *sheet, int variant)
{
    lxw_format *format = FilledFormat(book, 0x99CCFF + static_cast<lxw_color_t>(variant));
    const int rows = 5 + variant * 3;
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < 4 + variant; ++col)
            worksheet_write_number(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col),
                                   row + col, col == variant ? format : nullptr);
    for (int merge = 0; merge < 1 + variant; ++merge)
        worksheet_merge_range(sheet, static_cast<lxw_row_t>(merge * 2), 0,
                              static_cast<lxw_row_t>(merge * 2 + 1), 1, "m", format);
    worksheet_write_string(sheet, static_cast<lxw_row_t>(rows), 0, "文字", nullptr);
    worksheet_write_formula(sheet, static_cast<lxw_row_t>(rows + 1), 2, "=A1+B2", nullptr);
}

} // namespace

bool WriteTemplateBook(const std::string &path)
{
    lxw_workbook *book = workbook_new(path.c_str());
    if (!book)
        return false;
    FillTemplateSheet(book, workbook_add_worksheet(book, "Template"));
    workbook_add_worksheet(book, "Second");
    return workbook_close(book) == LXW_NO_ERROR;
}

bool WriteMergedBook(const std::string &path, int sheets, int variant)
{
    lxw_workbook *book = workbook_new(path.c_str());
    if (!book)
        return false;
    for (int i = 0; i < sheets; ++i)
        FillMergedSheet(book, workbook_add_worksheet(book, nullptr), (variant + i) % 4);
    if (variant % 2) {
        lxw_chart *chart = workbook_add_chart(book, LXW_CHART_COLUMN);
        chart_add_series(chart, nullptr, "=Sheet1!$A$1:$A$5");
        chartsheet_set_chart(workbook_add_chartsheet(book, nullptr), chart);
    }
    return workbook_close(book) == LXW_NO_ERROR;
}

bool WriteTallBook(const std::string &path, int rows)
{
    lxw_workbook *book = workbook_new(path.c_str());
    if (!book)
        return false;
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    lxw_format *format = FilledFormat(book, 0xCCFF99);
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < 5; ++col)
            worksheet_write_number(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col),
                                   row * 7 + col, col == 1 ? format : nullptr);
    worksheet_merge_range(sheet, 0, 0, 1, 1, "top", format);
    worksheet_merge_range(sheet, static_cast<lxw_row_t>(rows - 2), 2,
                          static_cast<lxw_row_t>(rows - 1), 3, "bottom", format);
    return workbook_close(book) == LXW_NO_ERROR;
}
