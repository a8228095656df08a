#!/usr/bin/python3
"""Unmerges every merged area of every sheet of every workbook below FOLDER and
saves each workbook in place, the way a user would script it with openpyxl."""
import sys

import openpyxl

from workbooks import folder_argument, process_all, workbook_paths


def unmerge_workbook(path):
    book = openpyxl.load_workbook(path, keep_vba=path.lower().endswith(".xlsm"))
    for sheet in book.worksheets:
        for area in list(sheet.merged_cells.ranges):
            sheet.unmerge_cells(area.coord)
    book.save(path)


def main(argv):
    args = folder_argument(argv, __doc__)
    return process_all(workbook_paths(args.folder), unmerge_workbook)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
