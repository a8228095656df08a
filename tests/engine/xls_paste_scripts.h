#pragma once
// Python (openpyxl, xlwt, olefile, xlrd) run by the .xls formats paste tests.

namespace
{

// A styled .xlsx template and an xlwt target whose A1:C3 cells all have
// records (a label, a merged pair, a run of blanks, a boolean, a formula,
// numbers), with a formatted cell outside and a second sheet.
const char kMakePasteFixtures[] = R"PY(
import sys, os, xlwt, openpyxl
from openpyxl.styles import Font, PatternFill, Border, Side, Alignment
folder = sys.argv[1]
wb = openpyxl.Workbook()
ws = wb.active
ws["A1"] = "a"
ws["A1"].font = Font(bold=True, color="FFFF0000", size=14, name="Arial")
ws["A1"].fill = PatternFill("solid", fgColor="FFFFFF00")
ws["B2"] = 0.5
ws["B2"].number_format = "0.00%"
ws["B2"].alignment = Alignment(horizontal="center", wrap_text=True)
ws["C3"].border = Border(left=Side(style="thin"), bottom=Side(style="double", color="FF0000FF"))
ws["C1"].number_format = '#,##0.000" kg"'
ws["E5"] = "merged"
ws.merge_cells("E5:F5")
wb.save(os.path.join(folder, "template.xlsx"))
t = xlwt.Workbook()
s = t.add_sheet("S")
s.write_merge(0, 0, 0, 1, "merged")
s.write(0, 2, 3.25)
for c in range(3):
    s.write(1, c, None, xlwt.easyxf("font: italic on"))
s.write(2, 0, True)
s.write(2, 1, xlwt.Formula("1+2"))
s.write(2, 2, 7)
s.write(3, 3, "outside", xlwt.easyxf("font: bold on"))
s.write(5, 1, "b6")
s.write(5, 3, 4.5)
t.add_sheet("Other").write(0, 0, "kept")
t.save(os.path.join(folder, "target.xls"))
)PY";

// The Workbook stream of the .xls file argv[1], written to argv[2].
const char kTakeStream[] = R"PY(
import sys, olefile
with olefile.OleFileIO(sys.argv[1]) as ole:
    data = ole.openstream("Workbook").read()
open(sys.argv[2], "wb").write(data)
)PY";

// The pasted formats as xlrd reads them from argv[2], against the target as
// it was (argv[1]): every cell's type and value, the cell outside, the other
// sheet and the merges.
const char kCheckPaste[] = R"PY(
import sys, xlrd
before = xlrd.open_workbook(sys.argv[1], formatting_info=True)
after = xlrd.open_workbook(sys.argv[2], formatting_info=True)
s, old = after.sheet_by_name("S"), before.sheet_by_name("S")
def xf(r, c):
    return after.xf_list[s.cell_xf_index(r, c)]
def font(r, c):
    return after.font_list[xf(r, c).font_index]
def fmt(r, c):
    return after.format_map[xf(r, c).format_key].format_str
a1 = font(0, 0)
assert (a1.name, a1.height, a1.bold, after.colour_map[a1.colour_index]) == ("Arial", 280, 1, (255, 0, 0)), vars(a1)
assert xf(0, 0).background.fill_pattern == 1
assert after.colour_map[xf(0, 0).background.pattern_colour_index] == (255, 255, 0)
assert not font(0, 1).bold and not font(1, 0).italic and fmt(0, 1) == "General"
assert fmt(1, 1) == "0.00%" and xf(1, 1).alignment.hor_align == 2 and xf(1, 1).alignment.text_wrapped
assert fmt(0, 2) == '#,##0.000" kg"', fmt(0, 2)
b = xf(2, 2).border
assert (b.left_line_style, b.bottom_line_style, b.top_line_style) == (1, 6, 0)
assert after.colour_map[b.bottom_colour_index] == (0, 0, 255)
assert s.merged_cells == [], s.merged_cells
outside = after.font_list[xf(3, 3).font_index]
assert outside.bold and s.cell_xf_index(3, 3) == old.cell_xf_index(3, 3)
def cells(sheet):
    return [(sheet.cell_type(r, c), sheet.cell_value(r, c))
            for r in range(sheet.nrows) for c in range(sheet.ncols)]
assert cells(s) == cells(old)
o, oo = after.sheet_by_name("Other"), before.sheet_by_name("Other")
assert cells(o) == cells(oo) and o.cell_xf_index(0, 0) == oo.cell_xf_index(0, 0)
)PY";

// argv[1] after the template's A1:C3 was pasted onto E5:G7: rows 5 and 7
// had no cells (nor ROW records in xlwt's file), row 6 had B6 and D6.
const char kCheckNewRows[] = R"PY(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = b.sheet_by_name("S")
assert s.nrows == 7 and s.ncols == 7, (s.nrows, s.ncols)
xf = lambda r, c: b.xf_list[s.cell_xf_index(r, c)]
for r in range(4, 7):
    assert [s.cell_type(r, c) for c in range(4, 7)] == [6, 6, 6], r
e5 = b.font_list[xf(4, 4).font_index]
assert (e5.name, e5.weight, e5.height) == ("Arial", 700, 280), vars(e5)
assert b.format_map[xf(5, 5).format_key].format_str == "0.00%"
assert xf(6, 6).border.bottom_line_style == 6, vars(xf(6, 6).border)
assert (s.cell_value(5, 1), s.cell_value(5, 3), s.cell_value(3, 3)) == ("b6", 4.5, "outside")
assert s.cell_type(4, 3) == xlrd.XL_CELL_EMPTY and s.cell_type(6, 0) == xlrd.XL_CELL_EMPTY
)PY";

// Exits 0 when the sheet S of the Workbook stream argv[1] has row blocks.
const char kHasRowBlocks[] = R"PY(
import sys, struct
data = open(sys.argv[1], "rb").read()
at, ids = 0, set()
while at + 4 <= len(data):
    rid, size = struct.unpack_from("<HH", data, at)
    ids.add(rid)
    at += 4 + size
sys.exit(0 if 0x00D7 in ids else 1)
)PY";

// Row 6 of argv[1] after A1:E1 of the template was pasted onto it: its
// missing cells A6, C6, E6 are formatted blanks, B6 and D6 keep their values.
const char kCheckBlanks[] = R"PY(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = b.sheet_by_name("S")
row = [(s.cell_type(5, c), s.cell_value(5, c)) for c in range(5)]
assert row == [(6, ""), (1, "b6"), (6, ""), (2, 4.5), (6, "")], row
xf = lambda c: b.xf_list[s.cell_xf_index(5, c)]
a6 = b.font_list[xf(0).font_index]
assert (a6.name, a6.weight) == ("Arial", 700), vars(a6)
assert b.format_map[xf(2).format_key].format_str == '#,##0.000" kg"'
assert s.cell_value(0, 0) == "merged" and s.cell_value(3, 3) == "outside"
)PY";

// argv[1] after the template's merged E5:F5 was pasted onto A3: the merge
// is made beside the target's own A1:B1, values stay.
const char kCheckMerges[] = R"PY(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = b.sheet_by_name("S")
assert sorted(s.merged_cells) == [(0, 1, 0, 2), (2, 3, 0, 2)], s.merged_cells
assert (s.cell_type(2, 0), s.cell_value(2, 0)) == (xlrd.XL_CELL_BOOLEAN, 1)
assert s.cell_value(0, 0) == "merged"
)PY";

// argv[1] after A1:C3 of the template was pasted onto IU1: IU1:IV3 formatted
// (A1's bold on IU1), the rest cut off at the sheet's edge.
const char kCheckEdge[] = R"PY(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = b.sheet_by_name("S")
assert s.ncols == 256, s.ncols
font = b.font_list[b.xf_list[s.cell_xf_index(0, 254)].font_index]
assert (font.name, font.weight) == ("Arial", 700)
assert s.cell_type(2, 255) == xlrd.XL_CELL_BLANK and s.cell_value(0, 0) == "merged"
)PY";

} // namespace
