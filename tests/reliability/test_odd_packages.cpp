// Packages that other readers open although their zip headers or texts are
// odd: local headers that disagree with the central directory in fields
// reading ignores, `\` separators, UTF-16 parts. Each is opened, edited and
// written back clean, and openpyxl reads the result. What is ambiguous or
// damaged is still refused, with its reason.

#include "bounded_cli.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "hostile_packages.h"
#include "python_check.h"
#include "zip_compare.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;
using hostile::ZipItem;

namespace
{

constexpr int kTimeoutMs = 60000;
constexpr std::uint16_t kDataDescriptorFlag = 1u << 3;
constexpr std::uint16_t kUtf8NameFlag = 1u << 11;
const char kSheetPart[] = "xl/worksheets/sheet1.xml";
// Text past the Basic Multilingual Plane, so UTF-16 needs surrogate pairs.
const char kCellText[] = "表格 \xF0\x9F\x93\x8A";

std::string MergedSheet()
{
    return hostile::SheetXml(std::string("<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\">"
                                         "<is><t>") +
                             kCellText +
                             "</t></is></c></row></sheetData><mergeCells count=\"1\">"
                             "<mergeCell ref=\"A1:B2\"/></mergeCells>");
}

// The part as some writers store it: byte order mark, UTF-16, a declaration
// that says so.
std::string Utf16(std::string xml, bool bigEndian)
{
    const size_t encoding = xml.find("UTF-8");
    if (encoding != std::string::npos)
        xml.replace(encoding, 5, "UTF-16");
    std::string out = bigEndian ? "\xfe\xff" : "\xff\xfe";
    for (const char16_t unit : QString::fromStdString(xml).toStdU16String()) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xff);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

using Quirk = std::function<void(std::vector<ZipItem> &)>;

std::string OddPackage(const Quirk &quirk)
{
    std::vector<ZipItem> items = hostile::BookParts({MergedSheet()});
    quirk(items);
    return hostile::BuildZip(items);
}

ZipItem &Part(std::vector<ZipItem> &items, const std::string &name)
{
    for (ZipItem &item : items)
        if (item.name == name)
            return item;
    return items.front();
}

Quirk OnSheet(const std::function<void(ZipItem &)> &change)
{
    return [change](std::vector<ZipItem> &items) { change(Part(items, kSheetPart)); };
}

void UseBackslashes(std::vector<ZipItem> &items)
{
    for (ZipItem &item : items)
        std::replace(item.name.begin(), item.name.end(), '/', '\\');
}

std::uint32_t Read(const QByteArray &bytes, int at, int size)
{
    std::uint32_t value = 0;
    for (int i = size; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// What makes the written package other than clean: a `\` in a name, a data
// descriptor, or a local header that does not repeat its central one.
QString Unclean(const QByteArray &zip)
{
    const int end = zip.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (end < 0)
        return QStringLiteral("no end record");
    int at = static_cast<int>(Read(zip, end + 16, 4));
    for (int i = 0; i < static_cast<int>(Read(zip, end + 10, 2)); ++i) {
        const int nameSize = static_cast<int>(Read(zip, at + 28, 2));
        const QByteArray name = zip.mid(at + 46, nameSize);
        const int local = static_cast<int>(Read(zip, at + 42, 4));
        // From "version needed" to the name's length, then the name itself.
        if (zip.mid(at + 6, 24) != zip.mid(local + 4, 24) || zip.mid(local + 30, nameSize) != name)
            return "headers disagree for " + name;
        if (name.contains('\\') || (Read(zip, at + 8, 2) & kDataDescriptorFlag))
            return "odd entry " + name;
        at += 46 + nameSize + static_cast<int>(Read(zip, at + 30, 2) + Read(zip, at + 32, 2));
    }
    return QString();
}

QString CellText(const QJsonObject &snapshot)
{
    return snapshot["Sheet1"].toObject()["cells"].toObject()["A1"].toArray().at(0).toString();
}

} // namespace

class OddPackagesTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void readableOddities_data();
    void readableOddities();
    void utf16PartsKeptUnlessEdited();
    void ambiguousOrDamagedRefused_data();
    void ambiguousOrDamagedRefused();

  private:
    BoundedRun Run(const QString &job, const QString &folder);
    QTemporaryDir dir_;
    QString template_;
};

void OddPackagesTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    template_ = dir_.filePath(QStringLiteral("template.xlsx"));
    QVERIFY(WriteRichWorkbook(template_));
}

BoundedRun OddPackagesTest::Run(const QString &job, const QString &folder)
{
    QStringList arguments{job, folder};
    if (job == QLatin1String("transfer"))
        arguments << QStringLiteral("--template") << template_ << QStringLiteral("--last-row")
                  << QStringLiteral("4");
    return RunCliBounded(arguments, kTimeoutMs);
}

void OddPackagesTest::readableOddities_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const auto row = [](const char *name, const Quirk &quirk) {
        const QByteArray bytes = QByteArray::fromStdString(OddPackage(quirk));
        QTest::newRow(qPrintable(QStringLiteral("unmerge, ") + name)) << bytes;
        QTest::newRow(qPrintable(QStringLiteral("transfer, ") + name)) << bytes;
    };
    row("local time differs", OnSheet([](ZipItem &item) { item.local.time = 0x6c21; }));
    row("local version needed higher",
        OnSheet([](ZipItem &item) { item.local.versionNeeded = 45; }));
    row("data descriptor bit only in the directory", OnSheet([](ZipItem &item) {
            item.local.sizesAfterData = true;
            item.centralFlags = kDataDescriptorFlag;
        }));
    row("UTF-8 name bit, a padded extra field and another time only in the local header",
        OnSheet([](ZipItem &item) {
            item.local.flags = kUtf8NameFlag;
            item.local.extra = std::string(3, '\0');
            item.local.time = 0x6c21;
        }));
    row("local name with backslashes",
        OnSheet([](ZipItem &item) { item.local.name = "xl\\worksheets\\sheet1.xml"; }));
    row("backslashes in both headers", UseBackslashes);
    row("UTF-16 LE workbook part", [](std::vector<ZipItem> &items) {
        ZipItem &workbook = Part(items, "xl/workbook.xml");
        workbook.data = Utf16(workbook.data, false);
    });
    row("UTF-16 BE sheet and styles", [](std::vector<ZipItem> &items) {
        for (const char *name : {kSheetPart, "xl/styles.xml"}) {
            ZipItem &part = Part(items, name);
            part.data = Utf16(part.data, true);
        }
    });
}

// The job succeeds, the package comes back clean, and openpyxl reads it; after
// an unmerge, no merged area is left and the text is intact.
void OddPackagesTest::readableOddities()
{
    QFETCH(QByteArray, bytes);
    const QString job = QString::fromLatin1(QTest::currentDataTag()).section(',', 0, 0);
    QTemporaryDir folder(dir_.filePath(QStringLiteral("run-XXXXXX")));
    const QString book = folder.filePath(QStringLiteral("odd.xlsx"));
    QVERIFY(WriteFileBytes(book, bytes));

    const BoundedRun run = Run(job, folder.path());
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors));
    const QByteArray written = FileBytes(book);
    QVERIFY(written != bytes);
    QCOMPARE(Unclean(written), QString());
    const QByteArray sheet = EntryData(book, kSheetPart);
    QVERIFY2(sheet.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\""), sheet.constData());
    const QJsonObject snapshot = WorkbookSnapshot(book);
    QVERIFY(!snapshot.isEmpty());
    if (job != QLatin1String("unmerge"))
        return; // the template's merged areas may cover the cell
    QVERIFY(snapshot["Sheet1"].toObject()["merges"].toArray().isEmpty());
    QCOMPARE(CellText(snapshot), QString::fromUtf8(kCellText));
}

// A UTF-16 part the job does not edit keeps its stored bytes.
void OddPackagesTest::utf16PartsKeptUnlessEdited()
{
    QTemporaryDir folder(dir_.filePath(QStringLiteral("run-XXXXXX")));
    const QString book = folder.filePath(QStringLiteral("utf16.xlsx"));
    const QString before = dir_.filePath(QStringLiteral("utf16-before.xlsx"));
    const QByteArray bytes = QByteArray::fromStdString(OddPackage([](std::vector<ZipItem> &items) {
        for (ZipItem &part : items)
            part.data = Utf16(part.data, false);
    }));
    QVERIFY(WriteFileBytes(book, bytes));
    QVERIFY(WriteFileBytes(before, bytes));

    const BoundedRun run = Run(QStringLiteral("unmerge"), folder.path());
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors));
    QCOMPARE(DifferingEntries(before, book), QStringList{kSheetPart});
    QCOMPARE(CellText(WorkbookSnapshot(book)), QString::fromUtf8(kCellText));
}

void OddPackagesTest::ambiguousOrDamagedRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const auto row = [](const char *name, const Quirk &quirk, const char *reason) {
        QTest::newRow(name) << QByteArray::fromStdString(OddPackage(quirk))
                            << QString::fromUtf8(reason);
    };
    row(
        "names differing only by case",
        [](std::vector<ZipItem> &items) {
            items.push_back(ZipItem{"XL/Worksheets/Sheet1.xml", MergedSheet()});
        },
        "two entries named");
    row(
        "names clashing once separators are mapped",
        [](std::vector<ZipItem> &items) {
            items.push_back(ZipItem{"xl\\worksheets\\sheet1.xml", MergedSheet()});
        },
        "two entries named");
    row("local name another part's",
        OnSheet([](ZipItem &item) { item.local.name = "xl/worksheets/sheet2.xml"; }),
        "disagree on its name");
    row("local compressed size stated and different",
        OnSheet([](ZipItem &item) { item.local.compressedSizeDelta = 5; }), "disagree on its size");
    row("local method different", OnSheet([](ZipItem &item) { item.local.method = 0; }),
        "disagree on its compression");
    row("encrypted by the local header only", OnSheet([](ZipItem &item) {
            item.local.time = 0x6c21;
            item.local.flags = 1;
        }),
        "disagree on its encryption");
    row("size disagreeing with the data, times differing", OnSheet([](ZipItem &item) {
            item.local.time = 0x6c21;
            item.declaredSize = 7;
        }),
        "damaged zip entry");
    row(
        "UTF-16 with a lone surrogate",
        [](std::vector<ZipItem> &items) {
            ZipItem &workbook = Part(items, "xl/workbook.xml");
            workbook.data = Utf16(workbook.data, false) + std::string("\x00\xd8", 2);
        },
        "broken UTF-16");
}

void OddPackagesTest::ambiguousOrDamagedRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir folder(dir_.filePath(QStringLiteral("run-XXXXXX")));
    const QString book = folder.filePath(QStringLiteral("odd.xlsx"));
    QVERIFY(WriteFileBytes(book, bytes));

    const BoundedRun run = Run(QStringLiteral("unmerge"), folder.path());
    QVERIFY2(run.finished, qPrintable(run.errors));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains("failed: " + QDir::toNativeSeparators(book) + ": ") &&
                 run.errors.contains(reason),
             qPrintable(run.errors));
    QCOMPARE(FileBytes(book), bytes);
}

QTEST_GUILESS_MAIN(OddPackagesTest)

#include "test_odd_packages.moc"
