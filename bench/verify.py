#!/usr/bin/python3
"""Spot-checks a tool's output against the workbook it started from, read by
openpyxl (a reader independent of every tool measured).

    verify.py unmerge ORIGINAL RESULT
    verify.py transfer ORIGINAL RESULT --template FILE --last-row N [--widths-only]

An .xls ORIGINAL is checked by verify_xls.py, against an .xls template.

Prints one line per problem; exit status 0 when there is none."""
import argparse
import datetime
import sys

import openpyxl
from openpyxl.utils import column_index_from_string
from openpyxl.utils.datetime import to_excel

import verify_xls

# The office stores widths in its own units; a round trip moves them by ~0.01.
WIDTH_TOLERANCE = 0.05
FLOAT_TOLERANCE = 1e-9
# openpyxl reads a number under a time format as a time rounded to the millisecond.
DATE_TOLERANCE_DAYS = 1e-6
DATE_TYPES = (datetime.datetime, datetime.date, datetime.time)


def raw_values(value):
    """The stored numbers a value read by openpyxl may stand for: a format change must
    not read as a value change. Before 1900-03-01 openpyxl maps two serials to one date
    (the spreadsheet's phantom 1900-02-29), so such a date stands for both."""
    if not isinstance(value, DATE_TYPES):
        return (value,)
    serial = to_excel(value)
    return (serial, serial + 1) if 59 <= serial < 60 else (serial,)


def hidden_by_merge(sheet):
    """Cells under a merged area other than its top-left one: openpyxl shows them
    empty whatever the file holds."""
    hidden = set()
    for area in sheet.merged_cells.ranges:
        hidden.update(area.cells)
        hidden.discard((area.min_row, area.min_col))
    return hidden


def same_number(a, b, tolerance):
    try:
        return abs(float(a) - float(b)) <= max(tolerance, FLOAT_TOLERANCE * max(1.0, abs(float(a))))
    except (TypeError, ValueError):
        return False


def same_value(a, b):
    tolerance = DATE_TOLERANCE_DAYS if isinstance(a, DATE_TYPES) or isinstance(b, DATE_TYPES) else 0
    for x in raw_values(a):
        for y in raw_values(b):
            numeric = isinstance(x, float) or isinstance(y, float)
            if (same_number(x, y, tolerance) if numeric else x == y):
                return True
    return False


def value_problems(original, result):
    problems = []
    for before, after in zip(original.worksheets, result.worksheets):
        cells_after = {(c.row, c.column): c.value for row in after.iter_rows() for c in row}
        hidden = hidden_by_merge(after)
        for row in before.iter_rows():
            for cell in row:
                value = cells_after.get((cell.row, cell.column))
                if cell.value is None or (cell.row, cell.column) in hidden:
                    continue
                if not same_value(cell.value, value):
                    problems.append("%s!%s: value %r became %r" % (before.title, cell.coordinate, cell.value, value))
    if len(original.worksheets) != len(result.worksheets):
        problems.append("sheet count %d became %d" % (len(original.worksheets), len(result.worksheets)))
    return problems


def check_unmerged(original, result):
    problems = value_problems(original, result)
    for sheet in result.worksheets:
        for area in sheet.merged_cells.ranges:
            problems.append("%s: merged area %s left" % (sheet.title, area.coord))
    return problems


def number_format_key(code):
    """LibreOffice writes equivalent codes differently ("[RED]\\-" for "[Red]-")."""
    return code.replace("\\", "").lower()


def format_of(cell):
    return (cell.fill.fill_type, cell.fill.fgColor.rgb, cell.border.left.style, cell.border.bottom.style,
            number_format_key(cell.number_format), bool(cell.font.b), bool(cell.font.i))


def width_of(sheet, letter):
    """The explicit width of a column, also when a <col> entry covers a span of columns."""
    index = column_index_from_string(letter)
    for dimension in sheet.column_dimensions.values():
        if dimension.min <= index <= dimension.max and dimension.customWidth:
            return dimension.width
    return None


def width_problems(template, sheet):
    problems = []
    for letter in list(template.column_dimensions):
        expected, actual = width_of(template, letter), width_of(sheet, letter)
        if expected is not None and (actual is None or abs(actual - expected) > WIDTH_TOLERANCE):
            problems.append("%s: column %s width %s, template %s" % (sheet.title, letter, actual, expected))
    return problems


def format_problems(template, sheet, last_row):
    problems = []
    for row in template.iter_rows(min_row=1, max_row=last_row):
        for cell in row:
            if cell.has_style and format_of(cell) != format_of(sheet[cell.coordinate]):
                problems.append("%s!%s: format %s, template %s"
                                % (sheet.title, cell.coordinate, format_of(sheet[cell.coordinate]), format_of(cell)))
    expected = {a.coord for a in template.merged_cells.ranges if a.max_row <= last_row}
    actual = {a.coord for a in sheet.merged_cells.ranges if a.min_row <= last_row}
    if expected != actual:
        problems.append("%s: merged areas in rows 1..%d are %s, template %s"
                        % (sheet.title, last_row, sorted(actual), sorted(expected)))
    return problems


def unchanged_format_problems(before, after, last_row):
    problems = []
    for row in before.iter_rows(min_row=1, max_row=last_row):
        for cell in row:
            if format_of(cell) != format_of(after[cell.coordinate]):
                problems.append("%s!%s: format changed by a widths-only transfer" % (after.title, cell.coordinate))
    return problems


def check_transferred(template_path, original, result, last_row, widths_only):
    template = openpyxl.load_workbook(template_path).worksheets[0]
    problems = value_problems(original, result)
    for before, after in zip(original.worksheets, result.worksheets):
        problems += width_problems(template, after)
        if widths_only:
            problems += unchanged_format_problems(before, after, last_row)
        else:
            problems += format_problems(template, after, last_row)
    return problems


def check(job, original_path, result_path, template=None, last_row=None, widths_only=False):
    original = openpyxl.load_workbook(original_path)
    result = openpyxl.load_workbook(result_path)
    if job == "unmerge":
        return check_unmerged(original, result)
    return check_transferred(template, original, result, last_row, widths_only)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("job", choices=["unmerge", "transfer"])
    parser.add_argument("original")
    parser.add_argument("result")
    parser.add_argument("--template")
    parser.add_argument("--last-row", type=int)
    parser.add_argument("--widths-only", action="store_true")
    args = parser.parse_args(argv)
    if args.job == "transfer" and (args.template is None or args.last_row is None):
        parser.error("transfer needs --template and --last-row")
    if not args.original.lower().endswith(".xls"):
        problems = check(args.job, args.original, args.result, args.template, args.last_row, args.widths_only)
    elif args.widths_only:
        parser.error("--widths-only is not checked on .xls workbooks")
    else:
        problems = verify_xls.check(args.job, args.original, args.result, args.template, args.last_row)
    if problems:
        print("\n".join(problems[:50]))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
