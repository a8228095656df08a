#!/usr/bin/python3
"""Workbooks with Chinese folder and file names for the Windows programs under
Wine, made and checked with openpyxl on the Linux side (a Linux Python started
from a Windows process never reports back).

  sample_books.py make DIR              unmerge/, transfer/ and 模板.xlsx in DIR
  sample_books.py check DIR unmerge     after sheetwright-cli unmerge DIR/unmerge
  sample_books.py check DIR transfer    after transfer DIR/transfer --range A1:C5
Exit status 1 and one line per problem on any fault."""
import glob
import os
import sys

import openpyxl
from openpyxl.styles import Alignment, Font, PatternFill

MERGED_BOOKS = {
    os.path.join("unmerge", "合并.xlsx"): {"数据": ["A1:C1", "B3:B5"], "Second": ["D2:E4"]},
    os.path.join("unmerge", "子目录 甲", "中文名称.xlsx"): {"表一": ["A1:B2", "C5:E5"]},
    os.path.join("unmerge", "plain.xlsx"): {"Data": []},
}
TARGETS = [os.path.join("transfer", "目标一.xlsx"), os.path.join("transfer", "子目录", "目标二.xlsx")]
WIDTHS = {"A": 21.5, "B": 9.25, "C": 33.0}


def cell_value(sheet, row, column):
    return f"{sheet}-{row}-{column}" if column % 2 else row * column


def make_book(path, sheets):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    book = openpyxl.Workbook()
    book.remove(book.active)
    for name, merges in sheets.items():
        sheet = book.create_sheet(name)
        for row in range(1, 11):
            for column in range(1, 6):
                sheet.cell(row, column, value=cell_value(name, row, column))
        for area in merges:
            sheet.merge_cells(area)
    book.save(path)


def make(root):
    for name, sheets in MERGED_BOOKS.items():
        make_book(os.path.join(root, name), sheets)
    for name in TARGETS:
        make_book(os.path.join(root, name), {"Data": []})
    template = openpyxl.Workbook()
    sheet = template.active
    for column, width in WIDTHS.items():
        sheet.column_dimensions[column].width = width
    for row in range(1, 6):
        for column in range(1, 4):
            cell = sheet.cell(row, column, value=f"template {row} {column}")
            cell.font = Font(bold=True, color="FFC00000")
            cell.fill = PatternFill("solid", fgColor="FFFFFF00")
            cell.alignment = Alignment(horizontal="center")
            cell.number_format = "0.00%"
    template.save(os.path.join(root, "模板.xlsx"))


def check_unmerge(root):
    problems = []
    found = sorted(glob.glob(os.path.join(root, "unmerge", "**", "*.xlsx"), recursive=True))
    if len(found) != len(MERGED_BOOKS):
        problems.append(f"{len(found)} workbooks, {len(MERGED_BOOKS)} expected")
    for path in found:
        for sheet in openpyxl.load_workbook(path).worksheets:
            if sheet.merged_cells.ranges:
                problems.append(f"{path} {sheet.title}: still merged {sheet.merged_cells.ranges}")
            for row in (1, 10):
                if sheet.cell(row, 1).value != cell_value(sheet.title, row, 1):
                    problems.append(f"{path} {sheet.title}: A{row} is {sheet.cell(row, 1).value!r}")
    return problems


def check_transfer(root):
    problems = []
    for name in TARGETS:
        sheet = openpyxl.load_workbook(os.path.join(root, name))["Data"]
        for column, width in WIDTHS.items():
            if abs((sheet.column_dimensions[column].width or 0) - width) > 0.01:
                problems.append(f"{name}: column {column} is {sheet.column_dimensions[column].width} wide")
        for row in range(1, 6):
            for column in range(1, 4):
                cell = sheet.cell(row, column)
                if not (cell.font.b and cell.fill.fgColor.rgb == "FFFFFF00" and cell.number_format == "0.00%"):
                    problems.append(f"{name}: {cell.coordinate} is not formatted")
                if cell.value != cell_value("Data", row, column):
                    problems.append(f"{name}: {cell.coordinate} holds {cell.value!r}")
        if sheet["D1"].font.b:
            problems.append(f"{name}: D1, outside the range, was formatted")
    return problems


def main():
    if sys.argv[1] == "make":
        make(sys.argv[2])
        return 0
    problems = (check_unmerge if sys.argv[3] == "unmerge" else check_transfer)(sys.argv[2])
    for problem in problems:
        print("problem:", problem)
    print(f"{sys.argv[3]}: {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
