#!/usr/bin/python3
"""Copies the column widths and, unless --widths-only, the formats (paste special,
formats only) and row heights of rows 1..LAST_ROW of the template's first sheet
onto every sheet of every workbook below FOLDER, saving each in place in its own
format (xlsx, xlsm or xls), through a headless LibreOffice over UNO."""
import itertools
import sys

from office import Office, store_as, used_area
from workbooks import process_all, transfer_arguments, workbook_paths

# Paste special flags: "T" pastes formats only (values, formulas and notes stay).
FORMATS_ONLY = "T"
MOVE_NOTHING = 4


def last_used_column(sheet):
    return used_area(sheet).RangeAddress.EndColumn


class Template:
    """The template's first sheet: its widths and heights read once, rows 1..last
    row kept on the office clipboard for every paste of the run."""

    def __init__(self, office, path, last_row):
        self.document = office.load(path)
        sheet = self.document.Sheets.getByIndex(0)
        columns = sheet.Columns
        self.widths = [columns.getByIndex(i).Width for i in range(last_used_column(sheet) + 1)]
        self.default_width = columns.getByIndex(columns.Count - 1).Width
        rows = [sheet.Rows.getByIndex(i) for i in range(last_row)]
        self.heights = [None if row.OptimalHeight else row.Height for row in rows]
        whole_rows = sheet.getCellRangeByPosition(0, 0, columns.Count - 1, last_row - 1)
        self.document.CurrentController.select(whole_rows)
        office.dispatch(self.document, ".uno:Copy")

    def width_of(self, column):
        return self.widths[column] if column < len(self.widths) else self.default_width

    def paste_widths(self, sheet):
        columns = sheet.Columns
        for column in range(max(len(self.widths), last_used_column(sheet) + 1)):
            columns.getByIndex(column).Width = self.width_of(column)

    def paste_formats(self, office, document, sheet):
        controller = document.CurrentController
        controller.setActiveSheet(sheet)
        controller.select(sheet.getCellRangeByName("A1"))
        office.dispatch(document, ".uno:InsertContents", Flags=FORMATS_ONLY, FormulaCommand=0,
                        SkipEmptyCells=False, Transpose=False, AsLink=False, MoveMode=MOVE_NOTHING)
        self.paste_heights(sheet)

    def paste_heights(self, sheet):
        # One call per run of equal heights: each call makes the office lay out rows again.
        first = 0
        for height, run in itertools.groupby(self.heights):
            count = len(list(run))
            rows = sheet.getCellRangeByPosition(0, first, 0, first + count - 1).Rows
            if height is None:
                rows.OptimalHeight = True
            else:
                rows.Height = height
            first += count

    def close(self):
        self.document.close(True)


def main(argv):
    args = transfer_arguments(argv, __doc__)
    with Office() as office:
        template = Template(office, args.template, args.last_row)

        def transfer_workbook(path):
            document = office.load(path)
            try:
                for sheet in document.Sheets:
                    template.paste_widths(sheet)
                    if not args.widths_only:
                        template.paste_formats(office, document, sheet)
                store_as(document, path)
            finally:
                document.close(True)

        try:
            return process_all(workbook_paths(args.folder), transfer_workbook)
        finally:
            template.close()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
