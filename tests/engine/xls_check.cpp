#include "xls_check.h"

#include "python_check.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace xlscheck
{
namespace
{

const char kXlwtScript[] = R"(
import sys, xlwt, olefile
book = xlwt.Workbook()
data = book.add_sheet('Data', cell_overwrite_ok=True)
for r in range(120):
    for c in range(5):
        data.write(r, c, 'text %d-%d %s' % (r, c, 'x' * (r % 7)))
data.write(0, 6, 1234.5)
data.write_merge(1, 2, 0, 1, 'a')
data.write_merge(30, 40, 2, 3, 'b')
data.write_merge(60, 60, 0, 4, 'c')
data.col(1).width = 5000
data.col(2).width = 4000
data.col(2).hidden = True
second = book.add_sheet(u'\u7b2c\u4e8c', cell_overwrite_ok=True)
second.write(0, 0, 1.5)
second.write_merge(3, 4, 3, 4, 'z')
book.add_sheet('Empty')
book.save(sys.argv[1])
with open(sys.argv[2], 'wb') as out:
    out.write(olefile.OleFileIO(sys.argv[1]).openstream('Workbook').read())
)";

const char kXlrdScript[] = R"(
import sys, json, xlrd
with open(sys.argv[1], 'rb') as f:
    book = xlrd.open_workbook(file_contents=f.read(), formatting_info=True)
out = {}
for sheet in book.sheets():
    cells = {}
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype != xlrd.XL_CELL_EMPTY:
                cells['%d,%d' % (r, c)] = [cell.ctype, str(cell.value), cell.xf_index]
    columns = {str(c): [i.width, i.hidden, i.xf_index] for c, i in sheet.colinfo_map.items()}
    out[sheet.name] = {'merges': sorted(list(m) for m in sheet.merged_cells),
                       'cells': cells, 'columns': columns}
print(json.dumps(out))
)";

// Walks every record of both streams and compares them in order, each body
// with the stream positions it holds blanked: BOUNDSHEET8 lbPlyPos, INDEX's
// DEFCOLWIDTH and DBCELL positions, DBCELL offsets, EXTSST string positions.
const char kRecordDiffScript[] = R"(
import sys, struct, difflib, json
def records(path):
    data = open(path, 'rb').read()
    out, at = [], 0
    while at + 4 <= len(data):
        rid, size = struct.unpack_from('<HH', data, at)
        body = data[at + 4:at + 4 + size]
        if len(body) != size:
            sys.exit('cut off')
        if rid == 0x0085:
            body = body[4:]
        elif rid == 0x020B:
            body = body[:12]
        elif rid == 0x00D7:
            body = b''
        elif rid == 0x00FF:
            body = body[:2] + b''.join(body[k + 4:k + 8] for k in range(2, len(body) - 7, 8))
        out.append((rid, body))
        at += 4 + size
    return out
a, b = records(sys.argv[1]), records(sys.argv[2])
types = set()
for tag, i1, i2, j1, j2 in difflib.SequenceMatcher(None, a, b, autojunk=False).get_opcodes():
    if tag != 'equal':
        types.update(r[0] for r in a[i1:i2] + b[j1:j2])
print(json.dumps(sorted('0x%04x' % t for t in types)))
)";

const char kPositionsScript[] = R"(
import sys, struct
data = open(sys.argv[1], 'rb').read()
starts, at = {}, 0
while at + 4 <= len(data):
    rid, size = struct.unpack_from('<HH', data, at)
    starts[at] = (rid, size)
    at += 4 + size
def check(ok, what):
    if not ok:
        sys.exit(what)
def u32(at): return struct.unpack_from('<I', data, at)[0]
sst = []
for at, (rid, size) in sorted(starts.items()):
    body = at + 4
    if rid == 0x0085:
        check(starts.get(u32(body), (0,))[0] == 0x0809, 'sheet not at a BOF')
    elif rid == 0x020B:
        check(starts.get(u32(body + 12), (0,))[0] == 0x0055, 'INDEX misses DEFCOLWIDTH')
        for k in range(16, size, 4):
            check(starts.get(u32(body + k), (0,))[0] == 0x00D7, 'INDEX misses a DBCELL')
    elif rid == 0x00D7 and u32(body):
        check(starts.get(at - u32(body), (0,))[0] == 0x0208, 'DBCELL misses its ROW')
    elif rid == 0x00FC or (rid == 0x003C and sst and sst[-1][1] == at):
        sst.append((at, at + 4 + size))
    elif rid == 0x00FF:
        for k in range(2, size - 7, 8):
            ib, cb = struct.unpack_from('<IH', data, body + k)
            check(any(b <= ib < e and ib - b == cb for b, e in sst), 'EXTSST misses a string')
)";

} // namespace

bool StreamPositionsHold(const QString &streamPath)
{
    return testsupport::RunPython(kPositionsScript, {streamPath}).ok;
}

bool ConvertWithLibreOffice(const QString &xlsPath, const QString &outputFolder)
{
    QProcess office;
    office.start(QStringLiteral("soffice"),
                 {QStringLiteral("-env:UserInstallation=file://") + outputFolder +
                      QStringLiteral("/profile"),
                  QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                  QStringLiteral("xls:MS Excel 97"), QStringLiteral("--outdir"), outputFolder,
                  xlsPath});
    return office.waitForFinished(120000) && office.exitCode() == 0;
}

bool WriteXlwtWorkbook(const QString &xlsPath, const QString &streamPath)
{
    return testsupport::RunPython(kXlwtScript, {xlsPath, streamPath}).ok;
}

QJsonObject XlrdView(const QString &path)
{
    const testsupport::PythonResult result = testsupport::RunPython(kXlrdScript, {path});
    return result.ok ? QJsonDocument::fromJson(result.output.toUtf8()).object() : QJsonObject();
}

QStringList DifferingRecordTypes(const QString &before, const QString &after, bool &ok)
{
    const testsupport::PythonResult result =
        testsupport::RunPython(kRecordDiffScript, {before, after});
    ok = result.ok;
    QStringList types;
    for (const QJsonValue &type : QJsonDocument::fromJson(result.output.toUtf8()).array())
        types << type.toString();
    return types;
}

} // namespace xlscheck
