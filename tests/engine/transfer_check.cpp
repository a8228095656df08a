#include "transfer_check.h"

#include "python_check.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace
{

const char kCheckScript[] = R"PY(
import datetime, json, sys, openpyxl
from openpyxl.utils.datetime import to_excel
from openpyxl.cell.cell import Cell
from openpyxl.utils import range_boundaries
from openpyxl.worksheet.cell_range import CellRange

tpl_path, before_path, after_path, name, area, pastes = sys.argv[1:7]
pastes = set(p for p in pastes.split(',') if p)
load = lambda p, d=False: openpyxl.load_workbook(p, data_only=d)
tpl, tplv = load(tpl_path).worksheets[0], load(tpl_path, True).worksheets[0]
before, after = load(before_path)[name], load(after_path)[name]
afterv = load(after_path, True)[name]
boxes, wholes = [], []
for entry in area.split(','):
    c1, r1, c2, r2 = range_boundaries(entry)
    wholes.append(c1 is None)
    boxes.append(CellRange(min_col=c1 or 1, min_row=r1 or 1, max_col=c2 or 16384,
                           max_row=r2 or 1048576))
problems = []

def inside(r, c):
    return any(b.min_row <= r <= b.max_row and b.min_col <= c <= b.max_col for b in boxes)

def col_dim(ws, c):
    for d in ws.column_dimensions.values():
        if d.min and d.max and d.min <= c <= d.max:
            return d
    return None

def facets(o):
    f, b, a, p = o.font, o.border, o.alignment, o.protection
    color = None if f.color is None else (
        f.color.rgb if f.color.type == 'rgb' else 'theme%s' % f.color.theme)
    return [f.name, f.sz, f.b, f.i, f.u, color, o.fill.fill_type, str(o.fill.fgColor.rgb),
            b.left.style, b.right.style, b.top.style, b.bottom.style,
            a.horizontal, a.vertical, a.wrap_text, o.number_format, p.locked, p.hidden]

def effective(ws, r, c):
    if (r, c) in ws._cells:
        return facets(ws._cells[(r, c)])
    if r in ws.row_dimensions and ws.row_dimensions[r].customFormat:
        return facets(ws.row_dimensions[r])
    d = col_dim(ws, c)
    if d is not None and d.has_style:
        return facets(d)
    return facets(Cell(ws, row=r, column=c))

def value(ws, r, c):
    cell = ws._cells.get((r, c))
    v = None if cell is None else cell.value
    # a date is a number shown through a format; pasting values keeps the number
    return to_excel(v) if isinstance(v, (datetime.date, datetime.time)) else v

# a merged area shows its first cell only; the others keep what they held
def hidden_by_merge(ws, r, c):
    return any(m.min_row <= r <= m.max_row and m.min_col <= c <= m.max_col and
               (r, c) != (m.min_row, m.min_col) for m in ws.merged_cells.ranges)

def check(label, got, want):
    if got != want and len(problems) < 40:
        problems.append('%s: got %r, want %r' % (label, got, want))

coords = set(before._cells) | set(after._cells)
positions = set((r, c) for r, c in coords | set(tpl._cells) if inside(r, c))
for b in boxes:
    if b.size['rows'] * b.size['columns'] <= 5000:
        positions |= set((r, c) for r in range(b.min_row, b.max_row + 1)
                         for c in range(b.min_col, b.max_col + 1))

for r, c in sorted(positions):
    at = '%s%d' % (openpyxl.utils.get_column_letter(c), r)
    check('format ' + at, effective(after, r, c),
          effective(tpl if 'formats' in pastes else before, r, c))
    if hidden_by_merge(after, r, c):
        continue
    if 'values' in pastes:
        check('value ' + at, value(after, r, c), value(tplv, r, c))
    elif 'formulas' in pastes:
        check('formula ' + at, value(after, r, c), value(tpl, r, c))
        check('cached ' + at, value(afterv, r, c), value(tplv, r, c))
    else:
        check('content ' + at, value(after, r, c), value(before, r, c))

for r, c in sorted(coords):
    if not inside(r, c) and not hidden_by_merge(before, r, c):
        at = 'outside %s%d' % (openpyxl.utils.get_column_letter(c), r)
        check(at, value(after, r, c), value(before, r, c))
        check(at + ' format', effective(after, r, c), effective(before, r, c))

def width(ws, c):
    d = col_dim(ws, c)
    return None if d is None or not d.customWidth else d.width

def hidden(ws, c):
    d = col_dim(ws, c)
    return bool(d is not None and d.hidden)

# whole rows carry the template's columns, other areas every column they span
def carries_width(b, whole, c):
    return col_dim(tpl, c) is not None if whole else b.min_col <= c <= b.max_col

for c in range(1, 30):
    want = width(before, c)
    if 'widths' in pastes and any(carries_width(b, w, c) for b, w in zip(boxes, wholes)):
        d = col_dim(tpl, c)
        want = d.width if d is not None and d.width else 8.43
    check('width %d' % c, width(after, c), want)
    check('hidden %d' % c, hidden(after, c), hidden(before, c))

def height(ws, r):
    return ws.row_dimensions[r].height if r in ws.row_dimensions else None

for r in range(1, 40):
    whole_row = any(w and b.min_row <= r <= b.max_row for b, w in zip(boxes, wholes))
    source = tpl if whole_row and 'formats' in pastes else before
    check('height %d' % r, height(after, r), height(source, r))

merges = lambda ws: sorted(str(m) for m in ws.merged_cells.ranges)
# passes run one after the other; each replaces what lies in its own area
want = merges(before)
for box in boxes if 'formats' in pastes else []:
    want = sorted([m for m in want if CellRange(m).isdisjoint(box)] +
                  [m for m in merges(tpl) if CellRange(m).issubset(box)])
check('merges', merges(after), want)

def rules(cf):
    out = []
    for rule in cf.rules:
        dxf = rule.dxf
        fill = None if dxf is None or dxf.fill is None else str(dxf.fill.fgColor.rgb)
        font = None if dxf is None or dxf.font is None else str(dxf.font.color.rgb)
        out.append([rule.type, rule.operator, list(rule.formula), fill, font])
    return out

# a rule's range as the cells it covers, however it is cut into rectangles
def covered(ranges):
    return sorted(set((r, c) for cr in ranges for r in range(cr.min_row, cr.max_row + 1)
                      for c in range(cr.min_col, cr.max_col + 1)))

def formats(ws):
    return [(covered(cf.sqref.ranges), [rule])
            for cf in ws.conditional_formatting for rule in rules(cf)]

# the pasted cells leave each target rule; the template's come clipped
want = formats(before)
for box in boxes if 'formats' in pastes else []:
    want = [([(r, c) for r, c in cells if not (box.min_row <= r <= box.max_row and
                                               box.min_col <= c <= box.max_col)], rs)
            for cells, rs in want]
    want = [w for w in want if w[0]]
    for cf in tpl.conditional_formatting:
        clipped = covered(r.intersection(box) for r in cf.sqref.ranges if not r.isdisjoint(box))
        want += [(clipped, [rule]) for rule in rules(cf) if clipped]
check('conditional formats', sorted(map(repr, formats(after))), sorted(map(repr, want)))
check('validations', [str(v.sqref) for v in after.data_validations.dataValidation],
      [str(v.sqref) for v in before.data_validations.dataValidation])
print(json.dumps(problems))
)PY";

} // namespace

QStringList TransferProblems(const TransferExpectation &e)
{
    const testsupport::PythonResult result = testsupport::RunPython(
        QString::fromUtf8(kCheckScript),
        {e.templatePath, e.beforePath, e.afterPath, e.sheet, e.area, e.pastes.join(',')});
    if (!result.ok)
        return {QStringLiteral("openpyxl failed: ") + result.errors.right(2000)};
    QStringList problems;
    for (const QJsonValue &problem : QJsonDocument::fromJson(result.output.toUtf8()).array())
        problems << problem.toString();
    return problems;
}
