// The compound-file layer: replacing one stream of a real or synthetic
// compound file leaves every other stream, directory entry and byte as it
// was (checked with olefile and a raw reading of the tables), in both sector
// sizes, across the mini-stream cutoff and while the FAT and DIFAT grow;
// hostile files are refused with a reason.

#include "cfb/compound_file.h"
#include "compound_builder.h"
#include "file_bytes.h"
#include "python_check.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using testcfb::BuildCompoundFile;
using testcfb::CompoundShape;
using testcfb::Filler;
using testcfb::GetU32;
using testcfb::PutU32;

namespace
{

std::string ToBytes(const QByteArray &bytes)
{
    return std::string(bytes.constData(), bytes.size());
}

QByteArray ToQt(const std::string &bytes)
{
    return QByteArray(bytes.data(), int(bytes.size()));
}

std::unique_ptr<engine::CompoundFile> Parsed(const std::string &bytes)
{
    engine::Error error;
    auto file = engine::CompoundFile::Parse(bytes, error);
    if (!file)
        qWarning() << "refused:" << QString::fromStdString(error.message);
    return file;
}

std::string Stream(const engine::CompoundFile &file, const char *name)
{
    std::string content;
    engine::Error error;
    if (!file.ReadStream(name, content, error))
        qWarning() << "unreadable" << name << QString::fromStdString(error.message);
    return content;
}

// The original's Workbook (any given stream) shortened, lengthened or replaced.
struct Edit {
    const char *name;
    std::function<std::string(const std::string &)> change;
    bool sameHeader; // no table grows, so the header must not change
};

std::vector<Edit> Edits(size_t size)
{
    return {
        {"identity", [](const std::string &s) { return s; }, true},
        {"shorter", [](const std::string &s) { return s.substr(0, s.size() * 2 / 3); }, true},
        {"longer", [](const std::string &s) { return s + Filler(s.size() / 2 + 5000, 9); }, false},
        {"below cutoff", [](const std::string &) { return Filler(1500, 10); }, false},
        {"above cutoff", [](const std::string &) { return Filler(9000, 11); }, false},
        {"empty", [](const std::string &) { return std::string(); }, size == 0},
    };
}

} // namespace

class CompoundFileTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void replacedStreamsKeepEverythingElse_data();
    void replacedStreamsKeepEverythingElse();
    void fatGrowsWithNewFatSectors();
    void difatSectorsAreAdded();
    void sizeHighBitsOfVersion3AreIgnoredAndKept();
    void shortLastSectorIsReadAndCompleted();
    void fileCutShortCannotGrow();
    void sharedSectorsAreNotRewritten();
    void hostileFilesAreRefused_data();
    void hostileFilesAreRefused();

  private:
    QString Write(const QString &name, const std::string &bytes);
    // olefile's and a raw check of `result` against `original`; empty when sound.
    QString Compare(const QString &original, const QString &result, const char *stream,
                    const std::string &expected, bool sameHeader);
    void CheckEdits(const QString &label, const std::string &original, const char *stream);

    QTemporaryDir dir_;
    std::map<QString, std::string> fixtures_;
};

QString CompoundFileTest::Write(const QString &name, const std::string &bytes)
{
    const QString path = dir_.filePath(name);
    return testsupport::WriteFileBytes(path, ToQt(bytes)) ? path : QString();
}

QString CompoundFileTest::Compare(const QString &original, const QString &result,
                                  const char *stream, const std::string &expected, bool sameHeader)
{
    const QString expectedPath = Write(QStringLiteral("expected.bin"), expected);
    QStringList arguments{original, result, QString::fromLatin1(stream), expectedPath};
    if (sameHeader)
        arguments << QStringLiteral("--same-header");
    const auto check = testsupport::RunPython(
        QString::fromUtf8(testsupport::FileBytes(QStringLiteral(COMPOUND_COMPARE_SCRIPT))),
        arguments);
    return check.ok ? QString() : check.output + check.errors;
}

void CompoundFileTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    // xlwt: Workbook alone, in big sectors. LibreOffice: Workbook in the mini
    // stream beside CompObj, Ole and the property sets, a root CLSID.
    const auto xlwt =
        testsupport::RunPython(QStringLiteral(R"(
import sys, xlwt
book = xlwt.Workbook()
sheet = book.add_sheet('Data')
for r in range(2000):
    sheet.write(r, 0, r)
    sheet.write(r, 1, 'text %d' % r)
sheet.write_merge(0, 1, 3, 4, 'merged')
book.save(sys.argv[1])
small = xlwt.Workbook()
small.add_sheet('One').write(0, 0, 'x')
small.save(sys.argv[2])
)"),
                               {dir_.filePath("xlwt.xls"), dir_.filePath("small.xls")});
    QVERIFY2(xlwt.ok, qPrintable(xlwt.errors));
    fixtures_["xlwt"] = ToBytes(testsupport::FileBytes(dir_.filePath("xlwt.xls")));

    QProcess office;
    office.start(QStringLiteral("soffice"),
                 {QStringLiteral("--headless"),
                  QStringLiteral("-env:UserInstallation=file://") + dir_.filePath("profile"),
                  QStringLiteral("--convert-to"), QStringLiteral("xls:MS Excel 97"),
                  QStringLiteral("--outdir"), dir_.filePath("office"), dir_.filePath("small.xls")});
    QVERIFY2(office.waitForFinished(120000) && office.exitCode() == 0, "LibreOffice is needed");
    fixtures_["office"] = ToBytes(testsupport::FileBytes(dir_.filePath("office/small.xls")));
    QVERIFY(!fixtures_["office"].empty());

    CompoundShape v4;
    v4.version = 4;
    v4.streams = {{"Workbook", Filler(20000, 1)},
                  {"\x05SummaryInformation", Filler(400, 2)},
                  {"\x01"
                   "CompObj",
                   Filler(90, 3)},
                  {"Pictures", Filler(6000, 4)}};
    v4.unusedEntries = 3;
    v4.freeSectors = 1;
    v4.trailing = "trailing bytes";
    fixtures_["v4"] = BuildCompoundFile(v4);
    CompoundShape v3 = v4;
    v3.version = 3;
    v3.streams[0].content = Filler(2000, 5);
    fixtures_["v3 mini"] = BuildCompoundFile(v3);
}

void CompoundFileTest::CheckEdits(const QString &label, const std::string &original,
                                  const char *stream)
{
    const auto file = Parsed(original);
    QVERIFY(file);
    const std::string before = Stream(*file, stream);
    const QString originalPath = Write(label + ".orig", original);
    for (const Edit &edit : Edits(before.size())) {
        const std::string content = edit.change(before);
        std::string result;
        engine::Error error;
        QVERIFY2(
            file->WithStreamReplaced(stream, content, result, error),
            qPrintable(label + " " + edit.name + ": " + QString::fromStdString(error.message)));
        if (std::string(edit.name) == "identity")
            QVERIFY2(result == original, qPrintable(label + ": not byte-identical"));
        const auto reread = Parsed(result);
        QVERIFY2(reread && Stream(*reread, stream) == content, qPrintable(label + " " + edit.name));
        // Old content the stream no longer holds is zeroed, not left behind.
        const std::string gone = before.substr(before.size() * 3 / 4, 48);
        if (gone.size() == 48 && content.find(gone) == std::string::npos)
            QVERIFY2(result.find(gone) == std::string::npos,
                     qPrintable(label + " " + edit.name + ": old content left"));
        const QString problems =
            Compare(originalPath, Write(label + ".out", result), stream, content, edit.sameHeader);
        QVERIFY2(problems.isEmpty(), qPrintable(label + " " + edit.name + ": " + problems));
    }
}

void CompoundFileTest::replacedStreamsKeepEverythingElse_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("stream");
    QTest::newRow("xlwt, big sectors") << "xlwt"
                                       << "Workbook";
    QTest::newRow("LibreOffice, mini stream") << "office"
                                              << "WORKBOOK";
    QTest::newRow("LibreOffice, a property set") << "office"
                                                 << "\x05SummaryInformation";
    QTest::newRow("version 4") << "v4"
                               << "Workbook";
    QTest::newRow("version 4, mini stream") << "v4"
                                            << "\x01"
                                               "CompObj";
    QTest::newRow("version 3, mini stream, trailing bytes") << "v3 mini"
                                                            << "Workbook";
}

void CompoundFileTest::replacedStreamsKeepEverythingElse()
{
    QFETCH(QString, fixture);
    QFETCH(QString, stream);
    const QByteArray name = stream.toLatin1();
    CheckEdits(fixture, fixtures_.at(fixture), name.constData());
}

void CompoundFileTest::fatGrowsWithNewFatSectors()
{
    const std::string original = fixtures_.at("xlwt");
    const auto file = Parsed(original);
    QVERIFY(file);
    const std::string content = Filler(300000, 20);
    std::string result;
    engine::Error error;
    QVERIFY(file->WithStreamReplaced("Workbook", content, result, error));
    QCOMPARE(testcfb::GetU32(result, 44), testcfb::GetU32(original, 44) + 3);
    const QString problems =
        Compare(Write("fat.orig", original), Write("fat.out", result), "Workbook", content, false);
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

// 109 FAT sectors fill the header's list: the next needs a DIFAT sector, and
// a file that has one fills it before adding another.
void CompoundFileTest::difatSectorsAreAdded()
{
    CompoundShape shape;
    shape.streams = {{"Workbook", Filler(13800 * 512, 30)},
                    {"\x05SummaryInformation", Filler(300, 31)}};
    const std::string original = BuildCompoundFile(shape);
    QCOMPARE(testcfb::GetU32(original, 44), 109u);
    QCOMPARE(testcfb::GetU32(original, 72), 0u);
    const auto file = Parsed(original);
    QVERIFY(file);
    const QString originalPath = Write("difat.orig", original);
    for (const size_t added : {size_t(200000), size_t(128 * 128 * 512)}) {
        const std::string content = Stream(*file, "Workbook") + Filler(added, 32);
        std::string result;
        engine::Error error;
        QVERIFY2(file->WithStreamReplaced("Workbook", content, result, error),
                 qPrintable(QString::fromStdString(error.message)));
        QCOMPARE(testcfb::GetU32(result, 72), added > 127 * 128 * 512 ? 2u : 1u);
        const auto reread = Parsed(result);
        QVERIFY(reread && Stream(*reread, "Workbook") == content);
        const QString problems =
            Compare(originalPath, Write("difat.out", result), "Workbook", content, false);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
        // And once more on the result, which now has DIFAT sectors of its own.
        std::string again;
        QVERIFY(reread->WithStreamReplaced("Workbook", content + Filler(70000, 33), again, error));
        QVERIFY(Parsed(again) && Stream(*Parsed(again), "Workbook") == content + Filler(70000, 33));
        QVERIFY2(Compare(Write("difat2.orig", result), Write("difat2.out", again), "Workbook",
                         content + Filler(70000, 33), false)
                     .isEmpty(),
                 "second growth");
    }
}

void CompoundFileTest::sizeHighBitsOfVersion3AreIgnoredAndKept()
{
    std::string original = fixtures_.at("v3 mini");
    const testcfb::BuiltLayout layout = testcfb::LayoutOf(original);
    PutU32(original, layout.EntryOffset(4) + 124, 0xDEADBEEF); // "Pictures", a big stream
    const auto file = Parsed(original);
    QVERIFY(file);
    QCOMPARE(Stream(*file, "Pictures"), Filler(6000, 4));
    std::string result;
    engine::Error error;
    QVERIFY(file->WithStreamReplaced("Pictures", Filler(7000, 40), result, error));
    QCOMPARE(testcfb::GetU32(result, layout.EntryOffset(4) + 124), 0xDEADBEEFu);
    QCOMPARE(testcfb::GetU32(result, layout.EntryOffset(4) + 120), 7000u);
}

// The file ends inside the Workbook's last sector, right after its content.
void CompoundFileTest::shortLastSectorIsReadAndCompleted()
{
    CompoundShape shape;
    shape.streams = {{"Workbook", Filler(5120, 70)}, {"Small", Filler(100, 71)}};
    std::string original = BuildCompoundFile(shape);
    const testcfb::BuiltLayout layout = testcfb::LayoutOf(original);
    const std::uint32_t last = GetU32(original, layout.EntryOffset(1) + 116) + 9;
    const std::uint32_t added = std::uint32_t(original.size() / 512 - 1);
    PutU32(original, layout.FatEntryOffset(last), added);
    PutU32(original, layout.FatEntryOffset(added), 0xFFFFFFFE);
    PutU32(original, layout.EntryOffset(1) + 120, 5120 + 300);
    original += Filler(300, 72);
    const std::string before = Filler(5120, 70) + Filler(300, 72);

    const auto file = Parsed(original);
    QVERIFY(file);
    QCOMPARE(Stream(*file, "Workbook"), before);
    const std::string longer = before + Filler(3000, 73);
    std::string result;
    engine::Error error;
    QVERIFY(file->WithStreamReplaced("Workbook", longer, result, error));
    QCOMPARE(result.size() % 512, size_t(0));
    const QString problems = Compare(Write("short.orig", original), Write("short.out", result),
                                     "Workbook", longer, false);
    QVERIFY2(problems.isEmpty(), qPrintable(problems));

    original.resize(original.size() - 200);
    const auto cut = Parsed(original);
    QVERIFY(cut);
    std::string content;
    QVERIFY(!cut->ReadStream("Workbook", content, error));
    QVERIFY(error.message.find("runs past the end of the file") != std::string::npos);
}

// A FAT that describes sectors past the end: appending would collide with
// them, so growing is refused; shrinking in place still works.
void CompoundFileTest::fileCutShortCannotGrow()
{
    std::string original = fixtures_.at("xlwt");
    const testcfb::BuiltLayout layout = testcfb::LayoutOf(original);
    const std::uint32_t sectors = std::uint32_t(original.size() / 512 - 1);
    PutU32(original, layout.FatEntryOffset(sectors + 2), 0xFFFFFFFE);
    const auto file = Parsed(original);
    QVERIFY(file);
    const std::string before = Stream(*file, "Workbook");
    std::string result;
    engine::Error error;
    QVERIFY(!file->WithStreamReplaced("Workbook", before + Filler(5000, 50), result, error));
    QCOMPARE(error.code, engine::ErrorCode::Damaged);
    QVERIFY(error.message.find("cut short") != std::string::npos);
    QVERIFY(file->WithStreamReplaced("Workbook", before.substr(0, 9000), result, error));
    QCOMPARE(result.size(), original.size());
}

void CompoundFileTest::sharedSectorsAreNotRewritten()
{
    std::string original = fixtures_.at("v4");
    const testcfb::BuiltLayout layout = testcfb::LayoutOf(original);
    // "Pictures" (entry 4) now starts inside Workbook's chain.
    PutU32(original, layout.EntryOffset(4) + 116,
           testcfb::GetU32(original, layout.EntryOffset(1) + 116) + 1);
    const auto file = Parsed(original);
    QVERIFY(file);
    QCOMPARE(Stream(*file, "Workbook"), Filler(20000, 1));
    std::string result;
    engine::Error error;
    QVERIFY(!file->WithStreamReplaced("Workbook", "short", result, error));
    QVERIFY(error.message.find("shares its sectors") != std::string::npos);
}

Q_DECLARE_METATYPE(engine::ErrorCode)

void CompoundFileTest::hostileFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("stream");
    QTest::addColumn<engine::ErrorCode>("code");
    QTest::addColumn<QString>("reason");
    CompoundShape shape;
    shape.streams = {{"Workbook", Filler(130000, 60)}, {"Small", Filler(700, 61)}};
    const std::string good = BuildCompoundFile(shape);
    const testcfb::BuiltLayout at = testcfb::LayoutOf(good);
    const std::uint32_t book = testcfb::GetU32(good, at.EntryOffset(1) + 116);
    const auto damaged = [&](const char *name, std::function<void(std::string &)> damage,
                             const char *stream, engine::ErrorCode code, const char *reason) {
        std::string bytes = good;
        damage(bytes);
        QTest::newRow(name) << ToQt(bytes) << QString::fromLatin1(stream) << code
                            << QString::fromLatin1(reason);
    };
    using engine::ErrorCode;
    const auto header = [&](const char *name, std::function<void(std::string &)> damage,
                            const char *reason) {
        damaged(name, damage, "Workbook", ErrorCode::Damaged, reason);
    };
    damaged(
        "not a compound file", [](std::string &b) { b[0] = 'P'; }, "Workbook",
        ErrorCode::NotSpreadsheet, "not a compound file");
    header(
        "truncated header", [](std::string &b) { b.resize(300); }, "header is cut short");
    header(
        "sector shift 10", [](std::string &b) { b[30] = 10; }, "sector size");
    header(
        "byte order", [](std::string &b) { b[28] = 0; }, "byte order");
    header(
        "FAT sector past the end", [](std::string &b) { PutU32(b, 76, 99999); },
        "past the end of the file");
    header(
        "FAT sector counted twice", [](std::string &b) { PutU32(b, 80, GetU32(b, 76)); },
        "serves two tables");
    header(
        "DIFAT loop",
        [&](std::string &b) {
            PutU32(b, 44, 240), PutU32(b, 68, book + 5), PutU32(b, 72, 1);
            PutU32(b, at.Offset(book + 5) + 508, book + 5);
        },
        "serves two tables");
    header(
        "directory chain loops",
        [&](std::string &b) { PutU32(b, at.FatEntryOffset(at.directory), at.directory); }, "loops");
    header(
        "directory tree loops", [&](std::string &b) { PutU32(b, at.EntryOffset(1) + 68, 1); },
        "loops");
    header(
        "directory tree points past its end",
        [&](std::string &b) { PutU32(b, at.EntryOffset(1) + 72, 40); }, "points past its end");
    header(
        "two streams of one name",
        [&](std::string &b) {
            b.replace(at.EntryOffset(2), 16, "W\0O\0R\0K\0B\0O\0O\0K\0", 16);
            b[at.EntryOffset(2) + 64] = 18;
        },
        "same name");
    header(
        "mini stream larger than its chain",
        [&](std::string &b) { PutU32(b, at.EntryOffset(0) + 120, 9000); },
        "mini stream is shorter");
    header(
        "stream chain loops", [&](std::string &b) { PutU32(b, at.FatEntryOffset(book + 3), book); },
        "loops");
    header(
        "stream chain past the end",
        [&](std::string &b) { PutU32(b, at.FatEntryOffset(book + 3), 5000); },
        "past the end of the file");
    header(
        "stream chain into the directory",
        [&](std::string &b) { PutU32(b, at.FatEntryOffset(book + 253), at.directory); },
        "runs into the file's tables");
    header(
        "stream larger than the file",
        [&](std::string &b) { PutU32(b, at.EntryOffset(1) + 120, 0x7FFFFFFF); },
        "more bytes than the file holds");
    damaged(
        "mini chain loops", [&](std::string &b) { PutU32(b, at.Offset(GetU32(b, 60)) + 4 * 3, 1); },
        "Small", ErrorCode::Damaged, "loops");
    damaged(
        "mini chain past the mini stream",
        [&](std::string &b) { PutU32(b, at.Offset(GetU32(b, 60)) + 4 * 3, 20); }, "Small",
        ErrorCode::Damaged, "past the end");
}

// Refused by Parse, or else by both reading and replacing the stream.
void CompoundFileTest::hostileFilesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, stream);
    QFETCH(engine::ErrorCode, code);
    QFETCH(QString, reason);
    const QByteArray name = stream.toLatin1();
    engine::Error error;
    const auto file = engine::CompoundFile::Parse(ToBytes(bytes), error);
    if (file) {
        std::string content;
        QVERIFY(!file->ReadStream(name.constData(), content, error));
        engine::Error replaceError;
        QVERIFY(!file->WithStreamReplaced(name.constData(), "x", content, replaceError));
        QCOMPARE(replaceError.message, error.message);
    }
    QCOMPARE(error.code, code);
    QVERIFY2(QString::fromStdString(error.message).contains(reason),
             qPrintable(QString::fromStdString(error.message)));
}

QTEST_GUILESS_MAIN(CompoundFileTest)
#include "test_compound_file.moc"
