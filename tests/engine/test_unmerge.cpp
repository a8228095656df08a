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

QTEST_GUILESS_MAIN(UnmergeTest)
#include "test_unmerge.moc"
