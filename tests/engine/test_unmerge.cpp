// Unmerging and saving: merged areas go, everything else stays, byte for
// byte where the job had no reason to touch it.

#include "engine_test_helpers.h"
#include "fixtures.h"
#include "python_check.h"
#include "zip_compare.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace
{

// Prints the header fields of every entry that differ between two packages;
// sizes and CRC are left out, as rewritten parts have new ones.
const char kEntryHeadersScript[] = R"(
import sys, zipfile
def fields(i):
    return (i.filename, i.date_time, i.create_system, i.create_version, i.extract_version,
            i.flag_bits, i.internal_attr, i.external_attr, i.extra, i.comment)
before = zipfile.ZipFile(sys.argv[1]).infolist()
after = zipfile.ZipFile(sys.argv[2]).infolist()
for b, a in zip(before, after):
    if fields(b) != fields(a):
        print(fields(b), fields(a))
print(len(before) - len(after))
)";

// A merged-heading table as a spreadsheet application leaves it: each
// cell carries its own part of the outline, so the top-left cell has no
// right or bottom border of its own.
const char kEdgeBorderedScript[] = R"(
import sys, openpyxl
from openpyxl.styles import Border, Side
medium, thin = Side(style='medium'), Side(style='thin')
wb = openpyxl.Workbook(); ws = wb.active; ws.title = 'Rates'
ws['A1'] = 'Tax rates'
ws['A1'].border = Border(left=medium, top=medium)
ws['B1'].border = Border(top=medium)
ws['C1'].border = Border(top=medium, right=medium)
ws['A2'].border = Border(left=medium, bottom=thin)
ws['B2'].border = Border(bottom=thin)
ws['C2'].border = Border(right=medium, bottom=thin)
ws.merge_cells('A1:C2')
for row in range(3, 6):
    for col in 'ABC':
        ws[col + str(row)] = row
        ws[col + str(row)].border = Border(left=thin, right=thin, top=thin, bottom=thin)
wb.save(sys.argv[1])
)";

// Prints every cell whose borders differ between the original with its
// merges taken out by zipfile (what an unmerge must leave) and the unmerged
// file, then the number of merges left and of cells compared. openpyxl reads
// the original without merges, since it rewrites the borders of merged cells.
const char kBordersScript[] = R"(
import io, re, sys, zipfile, openpyxl
def without_merges(path):
    out = io.BytesIO()
    with zipfile.ZipFile(path) as src, zipfile.ZipFile(out, 'w') as dst:
        for info in src.infolist():
            data = src.read(info.filename)
            if info.filename.startswith('xl/worksheets/'):
                data = re.sub(rb'<mergeCells.*?</mergeCells>', b'', data, flags=re.S)
            dst.writestr(info, data)
    return out
def borders(book):
    ws = book.worksheets[0]
    return {c.coordinate: [(s.style, str(s.color.rgb) if s.color else None)
                           for s in (c.border.left, c.border.right, c.border.top, c.border.bottom)]
            for row in ws.iter_rows(min_row=1, max_row=9, max_col=5) for c in row}
expected = borders(openpyxl.load_workbook(without_merges(sys.argv[1])))
unmerged = openpyxl.load_workbook(sys.argv[2])
got = borders(unmerged)
for cell in expected:
    if expected[cell] != got[cell]:
        print(cell, expected[cell], got[cell])
print(len(unmerged.worksheets[0].merged_cells.ranges), len(expected))
)";

const QByteArray kMerges = "<mergeCells count=\"2\"><mergeCell ref=\"A1:B2\"/>"
                           "<mergeCell ref=\"D4:E4\"/></mergeCells>";

QByteArray SheetEntry(const QString &path, int sheet = 1)
{
    return EntryData(path, QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheet));
}

} // namespace

class UnmergeTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { QVERIFY(dir_.isValid()); }
    void richWorkbookKeepsValuesStylesAndParts();
    void rangeRemovesOnlyIntersectingAreas();
    void untouchedSpansSurviveByteForByte_data();
    void untouchedSpansSurviveByteForByte();
    void emptyMergeCellsIsRemoved_data();
    void emptyMergeCellsIsRemoved();
    void workbookWithoutChangeIsNotRewritten();
    void keepsPermissionBitsAndOwner();
    void saveThroughLinkReplacesItsTarget();
    void severalWorkbooksAtOnce();
    void dissolvedMergesKeepEveryCellsBorders();

  private:
    QString Path(const QString &name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

void UnmergeTest::richWorkbookKeepsValuesStylesAndParts()
{
    const QString original = Path("rich-original.xlsx");
    const QString edited = Path("rich.xlsx");
    QVERIFY(WriteRichWorkbook(original));
    QVERIFY(QFile::copy(original, edited));
    const QJsonObject before = WorkbookSnapshot(original);
    QVERIFY(!before.value("Data").toObject().value("merges").toArray().isEmpty());

    QCOMPARE(UnmergeAndSave(edited), QString());

    const QJsonObject after = WorkbookSnapshot(edited);
    QCOMPARE(after.keys(), before.keys());
    for (const QString &sheet : before.keys()) {
        QVERIFY2(after[sheet].toObject()["merges"].toArray().isEmpty(), qPrintable(sheet));
        const QJsonObject cellsBefore = before[sheet].toObject()["cells"].toObject();
        const QJsonObject cellsAfter = after[sheet].toObject()["cells"].toObject();
        for (const QString &cell : cellsBefore.keys())
            QVERIFY2(cellsAfter[cell] == cellsBefore[cell], qPrintable(sheet + "!" + cell));
    }
    // Only the two worksheets with merges were rewritten: drawings, chart,
    // image, comments, styles and the chart sheet are copied as stored.
    QCOMPARE(DifferingEntries(original, edited),
             QStringList({"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml"}));
    QCOMPARE(EntryNames(edited), EntryNames(original));
    const PythonResult headers =
        RunPython(QString::fromUtf8(kEntryHeadersScript), {original, edited});
    QVERIFY2(headers.ok, qPrintable(headers.errors));
    QCOMPARE(headers.output.trimmed(), QStringLiteral("0"));
}

void UnmergeTest::rangeRemovesOnlyIntersectingAreas()
{
    const QString path = Path("range.xlsx");
    QVERIFY(WritePackage(path, MinimalWorkbookParts({WorksheetXml(
                                   "<sheetData/><mergeCells count=\"3\"><mergeCell ref=\"A1:B2\"/>"
                                   "<mergeCell ref=\"D4:E4\"/><mergeCell ref=\"C9:C12\"/>"
                                   "</mergeCells>")})));
    QCOMPARE(UnmergeAndSave(path, engine::ParseA1Area("$E$1:$C$10")), QString());
    QCOMPARE(SheetEntry(path), WorksheetXml("<sheetData/><mergeCells count=\"1\">"
                                            "<mergeCell ref=\"A1:B2\"/></mergeCells>"));

    QCOMPARE(UnmergeAndSave(path, engine::ParseA1Area("Z99")), QString());
    QCOMPARE(SheetEntry(path), WorksheetXml("<sheetData/><mergeCells count=\"1\">"
                                            "<mergeCell ref=\"A1:B2\"/></mergeCells>"));
}

void UnmergeTest::untouchedSpansSurviveByteForByte_data()
{
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray prefixedRoot =
        "<?xml version=\"1.0\"?>\r\n<x:worksheet "
        "xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">\r\n"
        "  <x:sheetData><x:row r=\"1\"><x:c r=\"A1\" t=\"inlineStr\"><x:is><x:t "
        "xml:space=\"preserve\">  </x:t></x:is></x:c></x:row></x:sheetData>\r\n";
    QTest::newRow("prefixed namespace")
        << prefixedRoot + "  <x:mergeCells count=\"1\"><x:mergeCell ref=\"A1:C1\"/></x:mergeCells>"
                          "\r\n</x:worksheet>"
        << prefixedRoot + "  \r\n</x:worksheet>";

    const QByteArray head = "<sheetPr><tabColor rgb=\"FFFF0000\"/></sheetPr>"
                            "<dimension ref=\"A1:XFD1048576\"/>"
                            "<sheetData><row r=\"2\" spans=\"1:3\"><c r=\"B2\" t=\"b\"><v>0</v></c>"
                            "<c r=\"C2\"><f>SUM(1,2)</f><v>3</v></c></row></sheetData>";
    const QByteArray tail =
        "<mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/"
        "2006\"><mc:Choice Requires=\"x14\"><x14:thing xmlns:x14=\"urn:x14\" a=\"&gt;\"/>"
        "</mc:Choice></mc:AlternateContent><!-- a comment <mergeCells> -->"
        "<extLst><ext uri=\"{78C0D931-6437-407d-A8EE-F0AAD7539E65}\"><![CDATA[<mergeCells/>]]>"
        "</ext></extLst>";
    QTest::newRow("comments, CDATA, extensions, huge dimension")
        << WorksheetXml(head + kMerges + tail) << WorksheetXml(head + tail);
}

void UnmergeTest::untouchedSpansSurviveByteForByte()
{
    QFETCH(QByteArray, sheet);
    QFETCH(QByteArray, expected);
    const QString path = Path("handmade.xlsx");
    // Stored entries: the engine reads them without inflating.
    QVERIFY(WritePackage(path, MinimalWorkbookParts({sheet}), Compression::Store));
    QCOMPARE(UnmergeAndSave(path), QString());
    QCOMPARE(SheetEntry(path), expected);
    const QJsonObject snapshot = WorkbookSnapshot(path);
    QVERIFY2(!snapshot.isEmpty(), "openpyxl cannot read the result");
    QVERIFY(snapshot["Sheet1"].toObject()["merges"].toArray().isEmpty());
}

void UnmergeTest::emptyMergeCellsIsRemoved_data()
{
    QTest::addColumn<QByteArray>("mergeCells");
    QTest::newRow("self-closing") << QByteArray("<mergeCells count=\"0\"/>");
    QTest::newRow("open and close") << QByteArray("<mergeCells count=\"0\">\n</mergeCells>");
}

void UnmergeTest::emptyMergeCellsIsRemoved()
{
    QFETCH(QByteArray, mergeCells);
    const QString path = Path("empty.xlsx");
    QVERIFY(WritePackage(path, MinimalWorkbookParts({WorksheetXml("<sheetData/>" + mergeCells +
                                                                  "<pageMargins left=\"1\"/>")})));
    QCOMPARE(UnmergeAndSave(path, engine::ParseA1Area("A1")), QString());
    QCOMPARE(SheetEntry(path), WorksheetXml("<sheetData/><pageMargins left=\"1\"/>"));
}

void UnmergeTest::workbookWithoutChangeIsNotRewritten()
{
    const QString path = Path("plain.xlsx");
    QVERIFY(WritePackage(path, MinimalWorkbookParts({WorksheetXml("<sheetData/>"),
                                                     WorksheetXml("<sheetData/>" + kMerges)})));
    struct stat before {
    };
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
    QCOMPARE(UnmergeAndSave(path, engine::ParseA1Area("H1:H9")), QString());
    struct stat after {
    };
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

void UnmergeTest::keepsPermissionBitsAndOwner()
{
    const QString path = Path("shared.xlsx");
    const QByteArray name = QFile::encodeName(path);
    QVERIFY(WritePackage(path, MinimalWorkbookParts({WorksheetXml("<sheetData/>" + kMerges)})));
    QVERIFY(::chmod(name.constData(), 0640) == 0);
    // Only root may hand a file to another owner; others keep their own.
    const bool canChown = ::chown(name.constData(), 4321, 4322) == 0;
    QCOMPARE(UnmergeAndSave(path), QString());
    struct stat info {
    };
    QCOMPARE(::stat(name.constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, 0640u);
    if (canChown) {
        QCOMPARE(info.st_uid, 4321u);
        QCOMPARE(info.st_gid, 4322u);
    }
    // The temporary file of the save is gone.
    QCOMPARE(QDir(dir_.path()).entryList({".sheetwright*"}, QDir::Files | QDir::Hidden),
             QStringList());
}

void UnmergeTest::saveThroughLinkReplacesItsTarget()
{
    QVERIFY(QDir(dir_.path()).mkpath("real"));
    const QString target = Path("real/book.xlsx");
    const QString link = Path("link.xlsx");
    QVERIFY(WritePackage(target, MinimalWorkbookParts({WorksheetXml("<sheetData/>" + kMerges)})));
    QVERIFY(QFile::link(target, link));
    QCOMPARE(UnmergeAndSave(link), QString());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(SheetEntry(target), WorksheetXml("<sheetData/>"));
    QCOMPARE(QDir(Path("real")).entryList(QDir::Files | QDir::Hidden), QStringList{"book.xlsx"});
}

// Workbooks share nothing in the engine, so they can be processed on several
// threads at once.
void UnmergeTest::severalWorkbooksAtOnce()
{
    QStringList paths;
    for (int i = 0; i < 8; ++i) {
        paths << Path(QStringLiteral("parallel-%1.xlsx").arg(i));
        QVERIFY(WriteMergedWorkbook(paths.last()));
    }
    std::vector<QString> messages(static_cast<size_t>(paths.size()));
    std::vector<std::thread> threads;
    for (int i = 0; i < paths.size(); ++i)
        threads.emplace_back(
            [&, i] { messages[static_cast<size_t>(i)] = UnmergeAndSave(paths[i]); });
    for (std::thread &thread : threads)
        thread.join();
    for (int i = 0; i < paths.size(); ++i) {
        QCOMPARE(messages[static_cast<size_t>(i)], QString());
        for (int sheet = 1; sheet <= 3; ++sheet)
            QVERIFY(!SheetEntry(paths[i], sheet).contains("mergeCell"));
    }
}

// Every cell of a dissolved merge, the top-left one included, keeps the
// borders it had, whichever writer spread the outline over the cells.
void UnmergeTest::dissolvedMergesKeepEveryCellsBorders()
{
    const QString whole = Path("whole-format.xlsx");
    QVERIFY(WriteBorderedMergesWorkbook(whole));
    const QString edges = Path("edge-borders.xlsx");
    const PythonResult written = RunPython(QString::fromUtf8(kEdgeBorderedScript), {edges});
    QVERIFY2(written.ok, qPrintable(written.errors));
    for (const QString &original : {whole, edges}) {
        const QString edited = original + ".unmerged.xlsx";
        QVERIFY(QFile::copy(original, edited));
        QCOMPARE(UnmergeAndSave(edited), QString());
        const PythonResult compared =
            RunPython(QString::fromUtf8(kBordersScript), {original, edited});
        QVERIFY2(compared.ok, qPrintable(compared.errors));
        QCOMPARE(compared.output.trimmed(), QStringLiteral("0 45"));
    }
}

QTEST_GUILESS_MAIN(UnmergeTest)
#include "test_unmerge.moc"
