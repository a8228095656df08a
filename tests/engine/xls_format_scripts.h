#pragma once
// Python (xlwt, xlrd) run by the .xls format table tests.

namespace
{

// xlwt writes a template with varied formats (a custom palette colour
// among them) and a plain two-sheet target; their Workbook streams are
// taken out of the compound files for the test to edit.
const char kMakeFixtures[] = R"PY(
import sys, os, xlwt, olefile
folder = sys.argv[1]
xlwt.add_palette_colour("own_teal", 0x21)
book = xlwt.Workbook()
book.set_colour_RGB(0x21, 10, 20, 30)
sheet = book.add_sheet("T")
styles = [
    ("font: name Times New Roman, height 280, bold on, italic on, underline double,"
     " struck_out on, colour red; align: horiz center, vert top, wrap on, rota 45;"
     " borders: left thin, right medium, top dashed, bottom thick, diag dotted,"
     " left_colour blue, bottom_colour green, need_diag1 on;"
     " pattern: pattern solid, fore_colour yellow;"
     " protection: cell_locked false, formula_hidden true", None),
    ("font: name Arial, height 200", "0.000%"),
    ("font: name SimSun, height 240, charset ansi_chinese_gbk", u'#,##0.00 "\u5143"'),
    ("align: indent 3, shrink_to_fit on, horiz right, vert center", "yyyy-mm-dd"),
    ("font: escapement superscript, colour own_teal; pattern: pattern thick_forward_diag,"
     " fore_colour sea_green, back_colour light_yellow", "0.00"),
    ("font: underline single, outline on, shadow on; align: rota -30, horiz distributed;"
     " borders: left hair, right double, top medium_dash_dotted,"
     " bottom slanted_medium_dash_dotted, top_colour gray25", None),
]
for row, (text, num) in enumerate(styles):
    style = xlwt.easyxf(text, num_format_str=num) if num else xlwt.easyxf(text)
    sheet.write(row, 0, row * 1.5, style)
book.save(os.path.join(folder, "template.xls"))
target = xlwt.Workbook()
s = target.add_sheet("S")
s.write(0, 0, 1)
s.write(0, 1, "text")
target.add_sheet("Other").write(2, 2, "kept")
target.save(os.path.join(folder, "target.xls"))
for name in ("template", "target"):
    with olefile.OleFileIO(os.path.join(folder, name + ".xls")) as ole:
        data = ole.openstream("Workbook").read()
    with open(os.path.join(folder, name + ".bin"), "wb") as out:
        out.write(data)
)PY";

// Compares formats pair by pair ("template xf:result xf"), the target's
// own formats before and after, and every cell's type, value and format.
// A colour the result's palette lacks must be the nearest one it has.
const char kCompareFormats[] = R"PY(
import sys, xlrd

def book(path):
    with open(path, "rb") as f:
        return xlrd.open_workbook(file_contents=f.read(), formatting_info=True)

def same_colour(a, ia, b, ib, where, problems):
    ca, cb = a.colour_map.get(ia), b.colour_map.get(ib)
    if ca == cb:
        return
    if ca is not None and cb is not None and ca not in b.colour_map.values():
        dist = lambda c: sum((x - y) ** 2 for x, y in zip(c, ca))
        if dist(cb) == min(dist(c) for c in b.colour_map.values() if c):
            return
    problems.append("%s colour %r != %r" % (where, ca, cb))

def font_of(bk, xf):
    f = bk.font_list[xf.font_index]
    return f, (f.name, f.height, f.bold, f.weight, f.italic, f.underline_type, f.struck_out,
               f.outline, f.shadow, f.escapement, f.character_set, f.family)

def compare(a, xa, b, xb, tag, problems):
    fa, da = font_of(a, xa)
    fb, db = font_of(b, xb)
    if da != db:
        problems.append("%s font %r != %r" % (tag, da, db))
    same_colour(a, fa.colour_index, b, fb.colour_index, tag + " font", problems)
    sa, sb = a.format_map[xa.format_key].format_str, b.format_map[xb.format_key].format_str
    if sa != sb:
        problems.append("%s format %r != %r" % (tag, sa, sb))
    for part, names in (("alignment", ("hor_align", "vert_align", "rotation", "text_wrapped",
                                       "indent_level", "shrink_to_fit", "text_direction")),
                        ("protection", ("cell_locked", "formula_hidden")),
                        ("border", ("left_line_style", "right_line_style", "top_line_style",
                                    "bottom_line_style", "diag_line_style", "diag_down",
                                    "diag_up")),
                        ("background", ("fill_pattern",))):
        pa, pb = getattr(xa, part), getattr(xb, part)
        for name in names:
            if getattr(pa, name) != getattr(pb, name):
                problems.append("%s %s.%s %r != %r" % (tag, part, name, getattr(pa, name),
                                                      getattr(pb, name)))
    for side in ("left", "right", "top", "bottom", "diag"):
        if getattr(xa.border, side + "_line_style"):
            same_colour(a, getattr(xa.border, side + "_colour_index"), b,
                        getattr(xb.border, side + "_colour_index"), tag + " " + side, problems)
    if xa.background.fill_pattern:
        for name in ("pattern_colour_index", "background_colour_index"):
            same_colour(a, getattr(xa.background, name), b, getattr(xb.background, name),
                        tag + " " + name, problems)

def cells(bk):
    return [[(s.cell_type(r, c), s.cell_value(r, c), s.cell_xf_index(r, c))
             for r in range(s.nrows) for c in range(s.ncols)] for s in bk.sheets()]

template, before, after = book(sys.argv[1]), book(sys.argv[2]), book(sys.argv[3])
problems = []
for pair in sys.argv[4:]:
    ia, ib = map(int, pair.split(":"))
    compare(template, template.xf_list[ia], after, after.xf_list[ib], pair, problems)
for i, xf in enumerate(before.xf_list):
    compare(before, xf, after, after.xf_list[i], "kept %d" % i, problems)
if cells(before) != cells(after) or before.sheet_names() != after.sheet_names():
    problems.append("cells changed")
print("\n".join(problems))
sys.exit(1 if problems else 0)
)PY";

// The formats of the style fixture's cell formats as xlrd reads them after
// interning: arguments are the edited stream and the four XF indexes.
const char kCheckXlsxFormats[] = R"PY(
import sys, xlrd
b = xlrd.open_workbook(file_contents=open(sys.argv[1], "rb").read(), formatting_info=True)
plain, styled, dated, redefined = (b.xf_list[int(i)] for i in sys.argv[2:])
font = b.font_list[styled.font_index]
assert (font.name, font.height, font.bold) == ("Arial", 280, 1), vars(font)
# theme colour accent1 (4F81BD) lands on the nearest palette colour
dist = lambda c: sum((x - y) ** 2 for x, y in zip(c, (0x4f, 0x81, 0xbd)))
assert dist(b.colour_map[font.colour_index]) == min(dist(c) for c in b.colour_map.values() if c)
assert b.format_map[styled.format_key].format_str == "0.000%"
assert (styled.alignment.hor_align, styled.alignment.text_wrapped) == (2, 1)
assert styled.protection.cell_locked == 0 and plain.protection.cell_locked == 1
assert styled.background.fill_pattern == 1
assert b.colour_map[styled.background.pattern_colour_index] == (255, 255, 0)
assert styled.border.left_line_style == 1 and styled.border.top_line_style == 0
assert dated.format_key == 14
assert b.format_map[redefined.format_key].format_str == "#,##0.0"
assert b.font_list[plain.font_index].height == 220
# the named cell style the target lacked comes with its style format
heading = b.style_name_map["Heading"][1]
assert b.xf_list[heading].is_style and dated.parent_style_index == heading
assert b.font_list[b.xf_list[heading].font_index].bold
)PY";

} // namespace
