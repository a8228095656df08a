"""Spot-checks a tool's .xls output against the workbook it started from, read by
xlrd with its formatting (a reader independent of every tool measured); from the
command line through verify.py. The template is the .xls form of the one the
tools were given: xlrd reads the formatting of .xls files only."""
import xlrd
from xlrd.biffh import XL_CELL_BLANK, XL_CELL_EMPTY, XL_CELL_TEXT

# Widths are in 1/256 of a character; a store by the office rounds them to its
# own units (1/100 mm), which moves them by a few.
WIDTH_TOLERANCE = 16
FLOAT_TOLERANCE = 1e-9
BOLD_WEIGHT = 700


def open_book(path):
    return xlrd.open_workbook(path, formatting_info=True, on_demand=False)


def hidden_by_merge(sheet):
    """Cells under a merged area other than its top-left one."""
    hidden = set()
    for first_row, end_row, first_col, end_col in sheet.merged_cells:
        hidden.update((r, c) for r in range(first_row, end_row) for c in range(first_col, end_col))
        hidden.discard((first_row, first_col))
    return hidden


def same_value(before, after):
    if before.ctype == XL_CELL_TEXT or after.ctype == XL_CELL_TEXT:
        return before.value == after.value
    try:
        a, b = float(before.value), float(after.value)
    except (TypeError, ValueError):
        return before.value == after.value
    return abs(a - b) <= FLOAT_TOLERANCE * max(1.0, abs(a))


def cell_or_none(sheet, row, col):
    return sheet.cell(row, col) if row < sheet.nrows and col < sheet.ncols else None


def value_problems(original, result):
    problems = []
    if original.nsheets != result.nsheets:
        problems.append("sheet count %d became %d" % (original.nsheets, result.nsheets))
    for before, after in zip(original.sheets(), result.sheets()):
        hidden = hidden_by_merge(after)
        for row in range(before.nrows):
            for col in range(before.ncols):
                cell = before.cell(row, col)
                if cell.ctype in (XL_CELL_EMPTY, XL_CELL_BLANK) or (row, col) in hidden:
                    continue
                now = cell_or_none(after, row, col)
                if now is None or not same_value(cell, now):
                    problems.append("%s!%s: value %r became %r" % (before.name, xlrd.cellname(row, col), cell.value,
                                                                    now.value if now else None))
    return problems


def check_unmerged(original, result):
    problems = value_problems(original, result)
    for sheet in result.sheets():
        for first_row, end_row, first_col, end_col in sheet.merged_cells:
            problems.append("%s: merged area %s:%s left" % (sheet.name, xlrd.cellname(first_row, first_col),
                                                           xlrd.cellname(end_row - 1, end_col - 1)))
    return problems


def colour(book, index):
    return book.colour_map.get(index)


def format_of(book, sheet, row, col):
    """What a reader sees of a cell's format, independent of the workbook's own XF
    and font numbering; None for a cell the sheet does not hold."""
    cell = cell_or_none(sheet, row, col)
    if cell is None:
        return None
    xf = book.xf_list[cell.xf_index]
    number_format = book.format_map[xf.format_key].format_str
    # The office writes equivalent codes differently ("[RED]\\-" for "[Red]-").
    return (font_of(book, sheet, row, col, xf), number_format.replace("\\", "").lower(),
            xf.background.fill_pattern, colour(book, xf.background.pattern_colour_index),
            xf.border.left_line_style, xf.border.bottom_line_style)


def font_of(book, sheet, row, col, xf):
    """Bold and italic of the cell's font, or None where its text carries font runs
    of its own: those are what a reader shows, whatever the cell's format says. The
    office writes text mixing Chinese and Latin script that way and keeps the runs
    through a formats-only paste."""
    if (row, col) in sheet.rich_text_runlist_map:
        return None
    font = book.font_list[xf.font_index]
    # Weight, not the bold flag: the office writes 700 without the flag.
    return font.weight >= BOLD_WEIGHT, bool(font.italic)


def same_format(expected, actual):
    if expected is None or actual is None:
        return expected == actual
    font_unknown = expected[0] is None or actual[0] is None
    return expected[1:] == actual[1:] and (font_unknown or expected[0] == actual[0])


def width_of(sheet, col):
    info = sheet.colinfo_map.get(col)
    return info.width if info else None


def width_problems(template, sheet):
    problems = []
    for col in sorted(template.colinfo_map):
        expected, actual = width_of(template, col), width_of(sheet, col)
        if actual is None or abs(actual - expected) > WIDTH_TOLERANCE:
            problems.append("%s: column %s width %s, template %s" % (sheet.name, xlrd.colname(col), actual, expected))
    return problems


def format_problems(template_book, template, book, sheet, last_row):
    problems = []
    for row in range(min(last_row, template.nrows)):
        for col in range(template.ncols):
            expected, actual = format_of(template_book, template, row, col), format_of(book, sheet, row, col)
            if not same_format(expected, actual):
                problems.append("%s!%s: format %s, template %s" % (sheet.name, xlrd.cellname(row, col), actual,
                                                                 expected))
    expected = sorted(area for area in template.merged_cells if area[1] <= last_row)
    actual = sorted(area for area in sheet.merged_cells if area[0] < last_row)
    if expected != actual:
        problems.append("%s: merged areas in rows 1..%d are %s, template %s" % (sheet.name, last_row, actual, expected))
    return problems


def check_transferred(template_path, original, result, last_row):
    template_book = open_book(template_path)
    template = template_book.sheet_by_index(0)
    problems = value_problems(original, result)
    for sheet in result.sheets():
        problems += width_problems(template, sheet)
        problems += format_problems(template_book, template, result, sheet, last_row)
    return problems


def check(job, original_path, result_path, template=None, last_row=None):
    original, result = open_book(original_path), open_book(result_path)
    if job == "unmerge":
        return check_unmerged(original, result)
    return check_transferred(template, original, result, last_row)

