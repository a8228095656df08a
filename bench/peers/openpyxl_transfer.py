#!/usr/bin/python3
"""Copies the column widths and, unless --widths-only, the cell formats, row
heights and merged areas of rows 1..LAST_ROW of the template's first sheet onto
every sheet of every workbook below FOLDER, saving each in place (openpyxl)."""
import copy
import sys

import openpyxl
from openpyxl.styles.cell_style import StyleArray
from openpyxl.utils import get_column_letter
from openpyxl.worksheet.cell_range import CellRange

from workbooks import process_all, transfer_arguments, workbook_paths

EXCEL_DEFAULT_WIDTH = 8.43


def single_column_widths(sheet):
    """Column letter -> width, with grouped <col min..max> entries spread out."""
    widths = {}
    for dimension in sheet.column_dimensions.values():
        if dimension.width and dimension.customWidth:
            for index in range(dimension.min, dimension.max + 1):
                widths[get_column_letter(index)] = dimension.width
    return widths


def split_column_groups(sheet):
    """Gives every column its own dimension, so one width can change alone."""
    for key, dimension in list(sheet.column_dimensions.items()):
        for index in range(dimension.min + 1, dimension.max + 1):
            single = copy.copy(dimension)
            single.index = get_column_letter(index)
            single.min = single.max = index
            sheet.column_dimensions[single.index] = single
        dimension.max = dimension.min


class Template:
    def __init__(self, path, last_row):
        sheet = openpyxl.load_workbook(path).worksheets[0]
        self.last_row = last_row
        self.widths = single_column_widths(sheet)
        self.default_width = sheet.sheet_format.defaultColWidth or EXCEL_DEFAULT_WIDTH
        self.heights = {row: sheet.row_dimensions[row].height for row in range(1, last_row + 1)}
        self.merges = [area.coord for area in sheet.merged_cells.ranges if area.max_row <= last_row]
        # Cells of one template style share one entry, so each target workbook
        # interns a style once instead of once per cell.
        unique = {}
        self.style_of_cell = {}
        for row in sheet.iter_rows(min_row=1, max_row=last_row):
            for cell in row:
                if cell.has_style:
                    key = tuple(cell._style)
                    if key not in unique:
                        unique[key] = (copy.copy(cell.font), copy.copy(cell.fill), copy.copy(cell.border),
                                       copy.copy(cell.alignment), cell.number_format,
                                       copy.copy(cell.protection))
                    self.style_of_cell[(cell.row, cell.column)] = unique[key]

    def paste_widths(self, sheet):
        split_column_groups(sheet)
        for letter, dimension in sheet.column_dimensions.items():
            if letter not in self.widths:
                dimension.width = self.default_width
        for letter, width in self.widths.items():
            sheet.column_dimensions[letter].width = width

    def paste_formats(self, sheet, interned):
        """interned: template style -> the same style in this sheet's workbook."""
        area = CellRange(min_row=1, max_row=self.last_row, min_col=1, max_col=16384)
        for merged in list(sheet.merged_cells.ranges):
            if not merged.isdisjoint(area):
                sheet.unmerge_cells(merged.coord)
        for row in sheet.iter_rows(min_row=1, max_row=self.last_row):
            for cell in row:
                if (cell.row, cell.column) not in self.style_of_cell:
                    cell._style = StyleArray()
        for (row, column), style in self.style_of_cell.items():
            cell = sheet.cell(row=row, column=column)
            if id(style) not in interned:
                (cell.font, cell.fill, cell.border, cell.alignment, cell.number_format,
                 cell.protection) = style
                interned[id(style)] = StyleArray(cell._style)
            cell._style = StyleArray(interned[id(style)])
        for row, height in self.heights.items():
            sheet.row_dimensions[row].height = height
        for coord in self.merges:
            sheet.merge_cells(coord)


def main(argv):
    args = transfer_arguments(argv, __doc__)
    template = Template(args.template, args.last_row)

    def transfer_workbook(path):
        book = openpyxl.load_workbook(path, keep_vba=path.lower().endswith(".xlsm"))
        interned = {}
        for sheet in book.worksheets:
            template.paste_widths(sheet)
            if not args.widths_only:
                template.paste_formats(sheet, interned)
        book.save(path)

    return process_all(workbook_paths(args.folder), transfer_workbook)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
