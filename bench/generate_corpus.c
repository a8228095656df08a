/*
 * Deterministic benchmark corpus for Sheetwright: many workbooks of one layout,
 * a template for the format transfer, and optionally one very tall workbook.
 *
 *   generate_corpus corpus DIR [--count N] [--sheets S] [--rows R] [--cols C]
 *                              [--merges M] [--per-folder K] [--seed X]
 *   generate_corpus template FILE [--cols C] [--seed X]
 *   generate_corpus tall FILE [--rows R] [--cols C] [--merges M] [--seed X]
 *
 * The same options always give byte-identical files: every workbook draws from
 * its own generator seeded by (seed, index), and the creation time is fixed.
 */
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <xlsxwriter.h>

/* 2024-01-01 00:00:00 UTC: a fixed creation time keeps the output reproducible. */
#define FIXED_CREATION_TIME 1704067200

typedef struct {
    int count, sheets, rows, cols, merges, per_folder;
    uint64_t seed;
} Shape;

typedef struct {
    lxw_row_t first_row, last_row;
    lxw_col_t first_col, last_col;
} Area;

/* ---- random numbers: splitmix64, independent of the C library ---- */

static uint64_t next_random(uint64_t *state)
{
    uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

static int random_below(uint64_t *state, int bound)
{
    return (int)(next_random(state) % (uint64_t)bound);
}

static double random_unit(uint64_t *state)
{
    return (double)(next_random(state) >> 11) / 9007199254740992.0;
}

/* ---- cell formats shared by every data sheet of one workbook ---- */

enum ColumnKind { KIND_CODE, KIND_DATE, KIND_REGION, KIND_ITEM, KIND_MONEY, KIND_COUNT,
                  KIND_SHARE, KIND_TOTAL, KIND_COUNT_OF_KINDS };

typedef struct {
    lxw_format *header;
    lxw_format *title;
    /* [kind][banded row][negative value] */
    lxw_format *cell[KIND_COUNT_OF_KINDS][2][2];
} Formats;

static const char *number_format_of(enum ColumnKind kind)
{
    switch (kind) {
    case KIND_DATE: return "yyyy-mm-dd";
    case KIND_MONEY: return "#,##0.00;[Red]-#,##0.00";
    case KIND_COUNT: return "0";
    case KIND_SHARE: return "0.0%";
    case KIND_TOTAL: return "#,##0.00";
    default: return NULL;
    }
}

static lxw_format *make_cell_format(lxw_workbook *book, enum ColumnKind kind, int banded, int negative)
{
    lxw_format *format = workbook_add_format(book);
    const char *number_format = number_format_of(kind);
    if (number_format)
        format_set_num_format(format, number_format);
    format_set_border(format, LXW_BORDER_THIN);
    format_set_border_color(format, 0xBFBFBF);
    if (banded) {
        format_set_pattern(format, LXW_PATTERN_SOLID);
        format_set_bg_color(format, 0xEAF1FB);
    }
    if (negative)
        format_set_font_color(format, 0xC00000);
    if (kind == KIND_TOTAL)
        format_set_bold(format);
    if (kind == KIND_REGION || kind == KIND_CODE)
        format_set_align(format, LXW_ALIGN_CENTER);
    return format;
}

static Formats make_formats(lxw_workbook *book)
{
    Formats formats;
    formats.header = workbook_add_format(book);
    format_set_bold(formats.header);
    format_set_font_color(formats.header, LXW_COLOR_WHITE);
    format_set_pattern(formats.header, LXW_PATTERN_SOLID);
    format_set_bg_color(formats.header, 0x1F4E79);
    format_set_border(formats.header, LXW_BORDER_MEDIUM);
    format_set_align(formats.header, LXW_ALIGN_CENTER);
    format_set_text_wrap(formats.header);

    formats.title = workbook_add_format(book);
    format_set_bold(formats.title);
    format_set_italic(formats.title);
    format_set_font_size(formats.title, 12);
    format_set_align(formats.title, LXW_ALIGN_CENTER);
    format_set_align(formats.title, LXW_ALIGN_VERTICAL_CENTER);
    format_set_pattern(formats.title, LXW_PATTERN_SOLID);
    format_set_bg_color(formats.title, 0xFFF2CC);
    format_set_border(formats.title, LXW_BORDER_THIN);

    for (int kind = 0; kind < KIND_COUNT_OF_KINDS; ++kind)
        for (int banded = 0; banded < 2; ++banded)
            for (int negative = 0; negative < 2; ++negative)
                formats.cell[kind][banded][negative] = make_cell_format(book, kind, banded, negative);
    return formats;
}

/* ---- sheet content ---- */

static const char *const REGIONS[] = { "华东区", "华南区", "华北区", "西南区", "East", "West", "North", "South" };
static const char *const ITEMS[] = {
    "办公用品", "打印纸 A4", "墨盒（黑）", "订书机", "Laptop stand", "USB-C cable", "Monitor 27\"",
    "Desk lamp", "文件夹", "白板笔", "Ergonomic chair", "Network switch", "会议室预订", "差旅报销",
};
#define COUNT_OF(a) ((int)(sizeof(a) / sizeof((a)[0])))

/* Columns A..D describe the row; the total sums E up to the column before it. */
#define FIRST_SUMMED_COLUMN 4

static enum ColumnKind kind_of_column(int col, int cols)
{
    static const enum ColumnKind leading[FIRST_SUMMED_COLUMN] = { KIND_CODE, KIND_DATE, KIND_REGION, KIND_ITEM };
    if (col == cols - 1 && cols > 5)
        return KIND_TOTAL;
    if (col < COUNT_OF(leading))
        return leading[col];
    static const enum ColumnKind numeric[] = { KIND_MONEY, KIND_MONEY, KIND_COUNT, KIND_SHARE };
    return numeric[(col - COUNT_OF(leading)) % COUNT_OF(numeric)];
}

static double value_of(enum ColumnKind kind, uint64_t *rng)
{
    switch (kind) {
    case KIND_DATE: return 44927 + random_below(rng, 730); /* 2023 and 2024 */
    case KIND_MONEY: return (random_below(rng, 2000000) - 150000) / 100.0;
    case KIND_COUNT: return random_below(rng, 5000);
    case KIND_SHARE: return random_unit(rng);
    default: return 0;
    }
}

static void write_header(lxw_worksheet *sheet, int cols, const Formats *formats)
{
    char text[48];
    for (int col = 0; col < cols; ++col) {
        snprintf(text, sizeof text, "字段 %d / Field %d", col + 1, col + 1);
        worksheet_write_string(sheet, 0, (lxw_col_t)col, text, formats->header);
    }
}

/* Writes one cell and returns the number it holds (0 for text), so the total
   column can carry the result its formula would compute. */
static double write_cell(lxw_worksheet *sheet, int row, int col, int cols, const Formats *formats,
                         double sum_so_far, uint64_t *rng)
{
    enum ColumnKind kind = kind_of_column(col, cols);
    int banded = row % 5 == 0;
    char text[48];
    if (kind == KIND_CODE) {
        snprintf(text, sizeof text, "ORD-%08llu", (unsigned long long)(next_random(rng) % 100000000));
        worksheet_write_string(sheet, row, col, text, formats->cell[kind][banded][0]);
    } else if (kind == KIND_REGION || kind == KIND_ITEM) {
        const char *const *pool = kind == KIND_REGION ? REGIONS : ITEMS;
        int size = kind == KIND_REGION ? COUNT_OF(REGIONS) : COUNT_OF(ITEMS);
        worksheet_write_string(sheet, row, col, pool[random_below(rng, size)], formats->cell[kind][banded][0]);
    } else if (kind == KIND_TOTAL) {
        char last_column[8];
        lxw_col_to_name(last_column, (lxw_col_t)(col - 1), 0);
        snprintf(text, sizeof text, "=SUM(E%d:%s%d)", row + 1, last_column, row + 1);
        worksheet_write_formula_num(sheet, row, col, text, formats->cell[kind][banded][sum_so_far < 0],
                                    sum_so_far);
    } else if (random_below(rng, 20) == 0) {
        /* Real sheets have gaps; a formatted blank keeps its border and band. */
        worksheet_write_blank(sheet, row, col, formats->cell[kind][banded][0]);
    } else {
        double value = value_of(kind, rng);
        worksheet_write_number(sheet, row, col, value, formats->cell[kind][banded][value < 0]);
        return value;
    }
    return 0;
}

/* Merged areas sit one per band of rows below the header, so they never overlap
   and the area covering a cell is found without a search. */
static int band_height(const Shape *shape)
{
    int data_rows = shape->rows - 1;
    return shape->merges > 0 && data_rows / shape->merges > 0 ? data_rows / shape->merges : 0;
}

static Area place_merge(const Shape *shape, int band, int max_height, uint64_t *rng)
{
    int height = 1 + random_below(rng, max_height);
    int width = 2 + random_below(rng, 3);
    if (height > band_height(shape))
        height = band_height(shape);
    if (width > shape->cols)
        width = shape->cols;
    Area area;
    area.first_row = (lxw_row_t)(1 + band * band_height(shape) + random_below(rng, band_height(shape) - height + 1));
    area.last_row = area.first_row + (lxw_row_t)height - 1;
    area.first_col = (lxw_col_t)random_below(rng, shape->cols - width + 1);
    area.last_col = area.first_col + (lxw_col_t)width - 1;
    return area;
}

/* The merged area of the band that holds this row, if any. */
static const Area *area_of_band(const Area *areas, int count, const Shape *shape, int row)
{
    if (count == 0 || row == 0)
        return NULL;
    int band = (row - 1) / band_height(shape);
    return band < count ? &areas[band] : NULL;
}

static int covered_by_merge(const Area *areas, int count, const Shape *shape, int row, int col)
{
    const Area *area = area_of_band(areas, count, shape, row);
    return area && row >= (int)area->first_row && row <= (int)area->last_row &&
           col >= (int)area->first_col && col <= (int)area->last_col;
}

static const Area *merge_starting_at(const Area *areas, int count, const Shape *shape, int row)
{
    const Area *area = area_of_band(areas, count, shape, row);
    return area && (int)area->first_row == row ? area : NULL;
}

static int count_of_merges(const Shape *shape)
{
    return band_height(shape) > 0 ? shape->merges : 0;
}

static void set_column_widths(lxw_worksheet *sheet, int cols, uint64_t *rng)
{
    for (int col = 0; col < cols; ++col)
        worksheet_set_column(sheet, (lxw_col_t)col, (lxw_col_t)col, 8 + random_below(rng, 17), NULL);
}

/* Rows are written in order and each merged area right after its first row, so the
   same loop also works in libxlsxwriter's row-streaming mode (one-row areas there). */
static void write_data_sheet(lxw_worksheet *sheet, const Shape *shape, const Formats *formats,
                             int max_merge_height, uint64_t *rng)
{
    int merges = count_of_merges(shape);
    Area *areas = calloc((size_t)(merges ? merges : 1), sizeof *areas);
    for (int band = 0; band < merges; ++band)
        areas[band] = place_merge(shape, band, max_merge_height, rng);

    set_column_widths(sheet, shape->cols, rng);
    worksheet_freeze_panes(sheet, 1, 0);
    write_header(sheet, shape->cols, formats);
    for (int row = 1; row < shape->rows; ++row) {
        double sum = 0;
        for (int col = 0; col < shape->cols; ++col)
            if (!covered_by_merge(areas, merges, shape, row, col))
                sum += write_cell(sheet, row, col, shape->cols, formats, sum, rng) * (col >= FIRST_SUMMED_COLUMN);
        const Area *area = merge_starting_at(areas, merges, shape, row);
        if (area)
            worksheet_merge_range(sheet, area->first_row, area->first_col, area->last_row, area->last_col,
                                  ITEMS[random_below(rng, COUNT_OF(ITEMS))], formats->title);
    }
    free(areas);
}

/* ---- workbooks ---- */

/* A cell takes about 46 bytes of sheet XML; past ~2.8 GB of it a part may outgrow
   plain zip's 4 GB. Below that, zip64 headers would only make the package unusual. */
#define CELLS_NEEDING_ZIP64 60000000ull

static int needs_zip64(const Shape *shape)
{
    return (uint64_t)shape->rows * (uint64_t)shape->cols * (uint64_t)shape->sheets > CELLS_NEEDING_ZIP64;
}

static lxw_workbook *open_workbook(const char *path, int streaming, int zip64)
{
    lxw_workbook_options options = { .constant_memory = (uint8_t)streaming, .tmpdir = NULL,
                                     .use_zip64 = (uint8_t)zip64 };
    lxw_workbook *book = workbook_new_opt(path, &options);
    if (!book)
        return NULL;
    lxw_doc_properties properties = { .title = "Sheetwright benchmark", .author = "bench",
                                      .created = FIXED_CREATION_TIME };
    workbook_set_properties(book, &properties);
    return book;
}

static int close_workbook(lxw_workbook *book, const char *path)
{
    lxw_error error = workbook_close(book);
    if (error != LXW_NO_ERROR) {
        fprintf(stderr, "generate_corpus: %s: %s\n", path, lxw_strerror(error));
        return -1;
    }
    return 0;
}

static int write_data_workbook(const char *path, const Shape *shape, uint64_t seed, int streaming)
{
    lxw_workbook *book = open_workbook(path, streaming, needs_zip64(shape));
    if (!book)
        return -1;
    Formats formats = make_formats(book);
    uint64_t rng = seed;
    for (int index = 0; index < shape->sheets; ++index) {
        char name[32];
        snprintf(name, sizeof name, "明细%d", index + 1);
        write_data_sheet(workbook_add_worksheet(book, name), shape, &formats, streaming ? 1 : 3, &rng);
    }
    return close_workbook(book, path);
}

static lxw_format *template_format(lxw_workbook *book, int row, int col)
{
    static const uint8_t borders[] = { LXW_BORDER_THIN, LXW_BORDER_DASHED, LXW_BORDER_DOTTED,
                                       LXW_BORDER_DOUBLE, LXW_BORDER_MEDIUM };
    static const char *const number_formats[] = { "0.00", "#,##0", "0%", "yyyy/m/d", "@", "0.000E+00" };
    static const lxw_color_t fills[] = { 0xFCE4D6, 0xE2EFDA, 0xDDEBF7, 0xFFF2CC, 0xEDEDED };
    lxw_format *format = workbook_add_format(book);
    format_set_num_format(format, number_formats[(row + col) % COUNT_OF(number_formats)]);
    format_set_border(format, borders[row % COUNT_OF(borders)]);
    format_set_pattern(format, LXW_PATTERN_SOLID);
    format_set_bg_color(format, fills[col % COUNT_OF(fills)]);
    format_set_font_name(format, row % 2 ? "Arial" : "宋体");
    format_set_font_size(format, 9 + row % 4);
    if (col % 3 == 0)
        format_set_bold(format);
    if (row % 7 == 0)
        format_set_italic(format);
    return format;
}

/* The template's first sheet carries its own widths, heights, a distinct format in
   every cell of rows 1..100 and a few merged areas, so a transfer visibly changes
   every workbook. */
static int write_template(const char *path, int cols, uint64_t seed)
{
    lxw_workbook *book = open_workbook(path, 0, 0);
    if (!book)
        return -1;
    uint64_t rng = seed;
    lxw_worksheet *sheet = workbook_add_worksheet(book, "模板");
    for (int col = 0; col < cols; ++col)
        worksheet_set_column(sheet, (lxw_col_t)col, (lxw_col_t)col, 6 + random_below(&rng, 30), NULL);
    const int template_rows = 100;
    for (int row = 0; row < template_rows; ++row) {
        if (row % 10 == 0)
            worksheet_set_row(sheet, (lxw_row_t)row, 18 + row / 10, NULL);
        for (int col = 0; col < cols; ++col)
            worksheet_write_blank(sheet, (lxw_row_t)row, (lxw_col_t)col, template_format(book, row, col));
    }
    lxw_format *title = workbook_add_format(book);
    format_set_bold(title);
    format_set_font_size(title, 14);
    format_set_align(title, LXW_ALIGN_CENTER);
    worksheet_merge_range(sheet, 0, 0, 0, (lxw_col_t)(cols > 4 ? 4 : cols - 1), "月度报表", title);
    for (int row = 20; row + 1 < template_rows; row += 20)
        worksheet_merge_range(sheet, (lxw_row_t)row, 1, (lxw_row_t)row + 1, 2, "小计", title);
    workbook_add_worksheet(book, "说明");
    return close_workbook(book, path);
}

/* ---- command line ---- */

static int make_directory(const char *path)
{
    if (mkdir(path, 0777) == 0 || errno == EEXIST)
        return 0;
    perror(path);
    return -1;
}

static int write_corpus(const char *root, const Shape *shape)
{
    char folder[4096], path[4200];
    if (make_directory(root) != 0)
        return -1;
    for (int index = 0; index < shape->count; ++index) {
        snprintf(folder, sizeof folder, "%s/dept_%02d", root, index / shape->per_folder);
        if (index % shape->per_folder == 0 && make_directory(folder) != 0)
            return -1;
        snprintf(path, sizeof path, "%s/book_%04d.xlsx", folder, index);
        if (write_data_workbook(path, shape, shape->seed * 1000003u + (uint64_t)index, 0) != 0)
            return -1;
    }
    return 0;
}

static int usage(void)
{
    fputs("usage: generate_corpus corpus DIR [--count N] [--sheets S] [--rows R] [--cols C]\n"
          "                              [--merges M] [--per-folder K] [--seed X]\n"
          "       generate_corpus template FILE [--cols C] [--seed X]\n"
          "       generate_corpus tall FILE [--rows R] [--cols C] [--merges M] [--seed X]\n",
          stderr);
    return 2;
}

static int parse_option(Shape *shape, const char *name, const char *text)
{
    char *end;
    long long value = strtoll(text, &end, 10);
    if (*end != '\0' || value < 1)
        return -1;
    struct { const char *name; int *field; } fields[] = {
        { "--count", &shape->count }, { "--sheets", &shape->sheets }, { "--rows", &shape->rows },
        { "--cols", &shape->cols }, { "--merges", &shape->merges }, { "--per-folder", &shape->per_folder },
    };
    if (strcmp(name, "--seed") == 0) {
        shape->seed = (uint64_t)value;
        return 0;
    }
    for (int i = 0; i < COUNT_OF(fields); ++i)
        if (strcmp(name, fields[i].name) == 0) {
            *fields[i].field = (int)value;
            return 0;
        }
    return -1;
}

static int shape_is_valid(const Shape *shape)
{
    return shape->rows >= 2 && shape->rows <= 1048576 && shape->cols >= 2 && shape->cols <= 16384;
}

int main(int argc, char **argv)
{
    Shape shape = { .count = 200, .sheets = 3, .rows = 500, .cols = 20, .merges = 30,
                    .per_folder = 25, .seed = 20240101 };
    if (argc < 3 || argc % 2 == 0)
        return usage();
    const char *mode = argv[1], *target = argv[2];
    int tall = strcmp(mode, "tall") == 0;
    if (tall)
        shape.rows = 1000000, shape.sheets = 1;
    for (int i = 3; i + 1 < argc; i += 2)
        if (parse_option(&shape, argv[i], argv[i + 1]) != 0)
            return usage();
    if (!shape_is_valid(&shape))
        return usage();
    if (strcmp(mode, "corpus") == 0)
        return write_corpus(target, &shape) == 0 ? 0 : 1;
    if (strcmp(mode, "template") == 0)
        return write_template(target, shape.cols, shape.seed) == 0 ? 0 : 1;
    if (tall)
        return write_data_workbook(target, &shape, shape.seed, 1) == 0 ? 0 : 1;
    return usage();
}
