# What xlrd (an independent reader) sees in a legacy workbook, as JSON:
# {"Sheet": {"hidden": bool, "merges": [[r0, r1, c0, c1]], "widths": [...],
#  "cells": {"r,c": [type, value, bold, fill colour, number format]}}}
import json, sys, xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
out = {}
for sheet in book.sheets():
    cells = {}
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            xf = book.xf_list[sheet.cell_xf_index(r, c)]
            font = book.font_list[xf.font_index]
            cells['%d,%d' % (r, c)] = [sheet.cell_type(r, c), sheet.cell_value(r, c),
                                       font.weight >= 700, xf.background.pattern_colour_index,
                                       book.format_map[xf.format_key].format_str]
    widths = []
    for c in range(8):
        info = sheet.colinfo_map.get(c)
        widths.append(info.width if info else sheet.standardwidth or 2340)
    out[sheet.name] = {'hidden': sheet.visibility != 0, 'merges': sorted(sheet.merged_cells),
                       'widths': widths, 'cells': cells}
print(json.dumps(out))
