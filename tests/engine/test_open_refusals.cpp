// Files that are not editable workbooks are refused with a reason, quickly
// and without a crash, whatever their bytes.

#include "engine_test_helpers.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "zip_compare.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;

namespace
{

const QByteArray kOleSignature = QByteArray::fromHex("D0CF11E0A1B11AE1");

QByteArray Utf16(const char *ascii)
{
    QByteArray out;
    for (const char *c = ascii; *c; ++c)
        out.append(*c).append('\0');
    return out;
}

engine::ErrorCode OpenCode(const QString &path)
{
    engine::Error error;
    const auto workbook = engine::Workbook::Open(path.toStdString(), error);
    return workbook ? engine::ErrorCode::None : error.code;
}

PackageEntries WithPart(PackageEntries parts, const QString &name, const QByteArray &data)
{
    for (auto &part : parts)
        if (part.first == name)
            part.second = data;
    return parts;
}

} // namespace

Q_DECLARE_METATYPE(engine::ErrorCode)

class OpenRefusalsTest : public QObject
{
    Q_OBJECT

  private slots:
    void refusedFiles_data();
    void refusedFiles();
    void hostileSheetFailsWhenRead_data();
    void hostileSheetFailsWhenRead();
    void damagedRowsFailWhatReadsThem();

  private:
    QTemporaryDir dir_;
};

void OpenRefusalsTest::refusedFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<engine::ErrorCode>("code");
    QVERIFY(dir_.isValid());
    const PackageEntries parts = MinimalWorkbookParts({WorksheetXml("<sheetData/>")});
    const auto path = [this](const char *name) { return dir_.filePath(name); };

    QVERIFY(WriteFileBytes(path("legacy.xls"), kOleSignature + QByteArray(4096, '\0') +
                                                   Utf16("Workbook") + QByteArray(512, '\0')));
    QTest::newRow("legacy xls") << "legacy.xls" << engine::ErrorCode::LegacyFormat;
    QVERIFY(WriteFileBytes(path("encrypted.xlsx"), kOleSignature + QByteArray(70000, '\0') +
                                                       Utf16("EncryptionInfo") +
                                                       Utf16("EncryptedPackage")));
    QTest::newRow("encrypted") << "encrypted.xlsx" << engine::ErrorCode::Encrypted;

    QVERIFY(WritePackage(path("good.xlsx"), parts));
    QFile good(path("good.xlsx"));
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = good.readAll();
    QVERIFY(WriteFileBytes(path("truncated.xlsx"), goodBytes.left(goodBytes.size() - 30)));
    QTest::newRow("truncated zip") << "truncated.xlsx" << engine::ErrorCode::Damaged;
    QByteArray flipped = goodBytes;
    flipped[60] = static_cast<char>(flipped[60] ^ 0x5a); // inside the first entry's data
    QVERIFY(WriteFileBytes(path("flipped.xlsx"), flipped));
    QTest::newRow("corrupted data") << "flipped.xlsx" << engine::ErrorCode::Damaged;
    QVERIFY(WritePackage(path("stored.xlsx"), parts, Compression::Store));
    QByteArray storedBytes = FileBytes(path("stored.xlsx"));
    const int contentTypes = storedBytes.indexOf("<Types");
    storedBytes[contentTypes + 1] = 't'; // same size, wrong CRC
    QVERIFY(WriteFileBytes(path("stored-flipped.xlsx"), storedBytes));
    QTest::newRow("corrupted stored data") << "stored-flipped.xlsx" << engine::ErrorCode::Damaged;
    QVERIFY(WriteFileBytes(path("text.xlsx"), "just some text, not a zip\n"));
    QTest::newRow("text file") << "text.xlsx" << engine::ErrorCode::Damaged;
    QVERIFY(WriteFileBytes(path("empty.xlsx"), QByteArray()));
    QTest::newRow("empty file") << "empty.xlsx" << engine::ErrorCode::Damaged;
    QTest::newRow("missing file") << "missing.xlsx" << engine::ErrorCode::FileAccess;

    QVERIFY(WritePackage(path("document.xlsx"),
                         WithPart(parts, "[Content_Types].xml",
                                  "<Types><Override PartName=\"/xl/workbook.xml\" ContentType=\""
                                  "application/vnd.openxmlformats-officedocument."
                                  "wordprocessingml.document.main+xml\"/></Types>")));
    QTest::newRow("not a spreadsheet") << "document.xlsx" << engine::ErrorCode::NotSpreadsheet;
    QVERIFY(WritePackage(path("plain.xlsx"), {{"readme.txt", "hello"}}));
    QTest::newRow("zip without package") << "plain.xlsx" << engine::ErrorCode::NotSpreadsheet;

    PackageEntries bomb = parts;
    bomb.emplace_back("xl/media/padding.bin", QByteArray(8 << 20, '\0'));
    QVERIFY(WritePackage(path("bomb.xlsx"), bomb));
    QTest::newRow("zip bomb") << "bomb.xlsx" << engine::ErrorCode::LimitExceeded;

    QVERIFY(
        WritePackage(path("doctype.xlsx"),
                     WithPart(parts, "xl/workbook.xml",
                              "<?xml version=\"1.0\"?><!DOCTYPE lol [<!ENTITY lol \"lol\">]>"
                              "<workbook><sheets><sheet name=\"&lol;\"/></sheets></workbook>")));
    QTest::newRow("DOCTYPE") << "doctype.xlsx" << engine::ErrorCode::Unsupported;
    QVERIFY(WritePackage(path("deep.xlsx"),
                         WithPart(parts, "xl/workbook.xml",
                                  "<workbook>" + QByteArray("<a>").repeated(100000) +
                                      QByteArray("</a>").repeated(100000) + "</workbook>")));
    QTest::newRow("deep nesting") << "deep.xlsx" << engine::ErrorCode::LimitExceeded;
    QVERIFY(WritePackage(path("nosheetpart.xlsx"), PackageEntries(parts.begin(), parts.end() - 1)));
    QTest::newRow("sheet part missing") << "nosheetpart.xlsx" << engine::ErrorCode::Damaged;
}

void OpenRefusalsTest::refusedFiles()
{
    QFETCH(QString, name);
    QFETCH(engine::ErrorCode, code);
    const QString path = dir_.filePath(name);
    QCOMPARE(OpenCode(path), code);
    QVERIFY(!OpenError(path).isEmpty());
}

void OpenRefusalsTest::hostileSheetFailsWhenRead_data()
{
    QTest::addColumn<QByteArray>("sheet");
    QTest::newRow("DOCTYPE") << QByteArray("<!DOCTYPE x [<!ENTITY e \"e\">]><worksheet/>");
    QTest::newRow("mismatched tags") << WorksheetXml("<cols><col></cols><sheetData/>");
    QTest::newRow("unterminated") << QByteArray("<worksheet><sheetData>");
    QTest::newRow("deep") << WorksheetXml(QByteArray("<x>").repeated(5000) +
                                          QByteArray("</x>").repeated(5000));
}

// A sheet part is read on first use: the workbook opens, the sheet does not.
void OpenRefusalsTest::hostileSheetFailsWhenRead()
{
    QFETCH(QByteArray, sheet);
    const QString path = dir_.filePath("hostile-sheet.xlsx");
    QVERIFY(WritePackage(path, MinimalWorkbookParts({sheet})));
    engine::Error error;
    const auto workbook = engine::Workbook::Open(path.toStdString(), error);
    QVERIFY(workbook);
    QVERIFY(!workbook->CellSheet(0, error));
    QVERIFY(error);
    QCOMPARE(UnmergeAndSave(path).left(6), QStringLiteral("sheet:"));
}

// Rows are read, and so checked, only by what needs them: a sheet whose rows
// are damaged opens, its used range (which reads the rows) fails, and an
// unmerge takes the merged areas out and leaves the rows as they were.
void OpenRefusalsTest::damagedRowsFailWhatReadsThem()
{
    const QByteArray rows = "<sheetData><row r=\"1\"><c r=\"A1\"></row></sheetData>";
    const QString path = dir_.filePath("damaged-rows.xlsx");
    QVERIFY(WritePackage(path, MinimalWorkbookParts({WorksheetXml(
                                   rows + "<mergeCells count=\"1\"><mergeCell ref=\"A1:B1\"/>"
                                          "</mergeCells>")})));
    {
        engine::Error error;
        const auto workbook = engine::Workbook::Open(path.toStdString(), error);
        QVERIFY(workbook);
        engine::Worksheet *sheet = workbook->CellSheet(0, error);
        QVERIFY(sheet);
        engine::CellArea area;
        QVERIFY(!sheet->UsedArea(area, error));
        QVERIFY2(error.message.rfind("damaged XML", 0) == 0, error.message.c_str());
    }
    QCOMPARE(UnmergeAndSave(path), QString());
    const QByteArray part = EntryData(path, "xl/worksheets/sheet1.xml");
    QVERIFY(part.contains(rows));
    QVERIFY(!part.contains("mergeCell"));
}

QTEST_GUILESS_MAIN(OpenRefusalsTest)
#include "test_open_refusals.moc"
