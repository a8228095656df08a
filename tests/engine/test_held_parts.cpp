// Sheets too big to hold: held without most of their rows, which go back into
// the saved part as the compressed blocks they were read from. Every edit
// must give exactly what it gives on the whole part, and an edit that would
// need the rows left in the stored stream is refused.

#include "engine/transfer_state.h"
#include "engine/workbook.h"
#include "parts/styles_part.h"
#include "transfer/clipboard_snapshot.h"
#include "transfer/paste.h"

#include "engine_test_helpers.h"
#include "file_size_limit.h"

#include "file_bytes.h"
#include "fixtures.h"
#include "python_check.h"
#include "zip_compare.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace engine;
using namespace testsupport;

namespace
{

// Small enough that a sheet of a few MB is held around a hole.
constexpr PartHolding kSmallHolding{256 * 1024, 32 * 1024};
constexpr int kRows = 20000;

// Rows with numbers, styled cells and a formula; a formatted row and a far
// cell in the rows that stay stored; merged areas at both ends.
QByteArray BigSheet(bool numberRows = true)
{
    QByteArray rows;
    for (int row = 1; row <= kRows; ++row) {
        const QByteArray r = QByteArray::number(row);
        rows += numberRows || row < 100 ? "<row r=\"" + r + "\"" : QByteArray("<row");
        rows += row == 15000 ? " customFormat=\"1\" s=\"1\">" : ">";
        rows += "<c r=\"A" + r + "\"><v>" + r + "</v></c><c r=\"B" + r + "\" s=\"1\"><v>" +
                QByteArray::number(row * 3.25) + "</v></c><c r=\"C" + r + "\"><f>A" + r +
                "*2</f></c>";
        if (row == 17000)
            rows += "<c r=\"AB17000\"><v>1</v></c>";
        rows += "</row>";
    }
    return WorksheetXml("<dimension ref=\"A1:AB20000\"/><sheetData>" + rows +
                        "</sheetData><mergeCells count=\"2\"><mergeCell ref=\"A1:B1\"/>"
                        "<mergeCell ref=\"C16000:D16000\"/></mergeCells>"
                        "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
                        "header=\"0.3\" footer=\"0.3\"/>");
}

const char kSheetPart[] = "xl/worksheets/sheet1.xml";

const char kStyles[] =
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font/></fonts><fills count=\"1\"><fill/></fills>"
    "<borders count=\"1\"><border/></borders><cellXfs count=\"2\"><xf/>"
    "<xf numFmtId=\"2\" applyNumberFormat=\"1\"/></cellXfs></styleSheet>";

// Values for A1:C2, from a small hand-written template.
ClipboardSnapshot TemplateValues(const char *area = "A1:C2")
{
    StylesPart styles;
    WorksheetPart sheet;
    ClipboardSnapshot snapshot;
    Error error;
    const std::string xml =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>title</t></is></c>"
        "<c r=\"C1\"><v>7</v></c></row><row r=\"2\"><c r=\"B2\"><v>8</v></c></row>"
        "</sheetData></worksheet>";
    if (!styles.Load(kStyles, error) || !sheet.Load(xml, error) ||
        !TakeSnapshot(TemplateSheet{sheet, styles, nullptr}, *ParseA1Area(area), snapshot, error))
        qFatal("%s", error.message.c_str());
    return snapshot;
}

using Edit = std::function<bool(Workbook &, Error &)>;

bool UnmergeAll(Workbook &book, Error &error)
{
    Worksheet *sheet = book.CellSheet(0, error);
    return sheet && sheet->UnMerge(std::nullopt, error);
}

bool PasteValues(Workbook &book, Error &error)
{
    Worksheet *sheet = book.CellSheet(0, error);
    return sheet && PasteContents(TemplateValues(), PastePlace{1, 1}, ContentKind::Values,
                                  sheet->Part(), error);
}

} // namespace

class HeldPartsTest : public QObject
{
    Q_OBJECT

  private:
    QTemporaryDir dir_;

    QString Book(const QString &name, const QByteArray &sheet = BigSheet())
    {
        const QString path = dir_.filePath(name);
        if (!WritePackage(path, MinimalWorkbookParts({sheet})))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // Applies the edits to a workbook and saves it; `held` says whether the
    // sheet was held around a hole.
    QString EditAndSave(const QString &path, PartHolding holding, const std::vector<Edit> &edits,
                        bool &held)
    {
        Error error;
        const auto book = Workbook::Open(path.toStdString(), error, holding);
        Worksheet *sheet = book ? book->CellSheet(0, error) : nullptr;
        if (!sheet)
            return QString::fromStdString(error.message);
        held = sheet->Part().Hole() != nullptr;
        for (const Edit &edit : edits)
            if (!edit(*book, error))
                return QString::fromStdString(error.message);
        return book->Save(error) ? QString() : QString::fromStdString(error.message);
    }

    // The same edits on two copies, one held around a hole and one whole:
    // every entry must come out the same.
    void CompareWithWhole(const QString &name, const QByteArray &sheet,
                          const std::vector<Edit> &edits, bool expectHeld)
    {
        const QString heldPath = Book(name + "-held.xlsx", sheet);
        const QString wholePath = Book(name + "-whole.xlsx", sheet);
        bool held = false;
        bool wholeHeld = true;
        QCOMPARE(EditAndSave(heldPath, kSmallHolding, edits, held), QString());
        QCOMPARE(EditAndSave(wholePath, PartHolding{}, edits, wholeHeld), QString());
        QCOMPARE(held, expectHeld);
        QVERIFY(!wholeHeld);
        QCOMPARE(EntryNames(heldPath), EntryNames(wholePath));
        for (const QString &entry : EntryNames(wholePath))
            QVERIFY2(EntryData(heldPath, entry) == EntryData(wholePath, entry), qPrintable(entry));
    }

  private slots:
    void editsGiveWhatTheyGiveOnTheWholePart_data()
    {
        QTest::addColumn<int>("edits"); // 1 unmerge, 2 paste, 3 both
        QTest::newRow("unmerge") << 1;
        QTest::newRow("paste values into held rows") << 2;
        QTest::newRow("both") << 3;
    }
    void editsGiveWhatTheyGiveOnTheWholePart()
    {
        QFETCH(int, edits);
        std::vector<Edit> steps;
        if (edits & 1)
            steps.push_back(UnmergeAll);
        if (edits & 2)
            steps.push_back(PasteValues);
        CompareWithWhole(QString::number(edits), BigSheet(), steps, true);
    }

    // What we wrote is read around a hole again: its blocks are ours then.
    void aSavedPartIsHeldAndEditedAgain()
    {
        const QString heldPath = Book("again-held.xlsx");
        const QString wholePath = Book("again-whole.xlsx");
        bool held = false;
        QCOMPARE(EditAndSave(heldPath, kSmallHolding, {UnmergeAll}, held), QString());
        QCOMPARE(EditAndSave(heldPath, kSmallHolding, {PasteValues}, held), QString());
        QVERIFY(held);
        QCOMPARE(EditAndSave(wholePath, PartHolding{}, {UnmergeAll, PasteValues}, held), QString());
        QCOMPARE(EntryData(heldPath, kSheetPart), EntryData(wholePath, kSheetPart));
    }

    void partsWithUnnumberedRowsAreHeldWhole()
    {
        CompareWithWhole("unnumbered", BigSheet(false), {UnmergeAll}, false);
    }

    void usedRangeCountsTheRowsLeftStored()
    {
        const QString path = Book("used.xlsx");
        for (const PartHolding &holding : {kSmallHolding, PartHolding{}}) {
            Error error;
            const auto book = Workbook::Open(path.toStdString(), error, holding);
            QVERIFY(book);
            CellArea area;
            QVERIFY(book->CellSheet(0, error)->UsedArea(area, error));
            QCOMPARE(area.firstRow, 1u);
            QCOMPARE(area.firstColumn, 1u);
            QCOMPARE(area.lastRow, 20000u);
            QCOMPARE(area.lastColumn, 28u); // AB, in the 17000th row
        }
    }

    void editsThatReachTheStoredRowsAreRefused()
    {
        const QString path = Book("refused.xlsx");
        const QByteArray before = FileBytes(path);
        Error error;
        const auto book = Workbook::Open(path.toStdString(), error, kSmallHolding);
        Worksheet *sheet = book->CellSheet(0, error);
        QVERIFY(sheet && sheet->Part().Hole());
        const std::uint32_t stored = sheet->Part().Hole()->firstRow;
        QVERIFY(stored > 2 && stored < 1000);
        const QString area = QString("A%1:C%2").arg(stored - 1).arg(stored);
        QVERIFY(!PasteContents(TemplateValues("A1:C2"), PastePlace{stored - 1, 1},
                               ContentKind::Values, sheet->Part(), error));
        QVERIFY2(QString::fromStdString(error.message).contains("too big"),
                 qPrintable(area + ": " + QString::fromStdString(error.message)));
        QVERIFY(book->Save(error));
        QCOMPARE(FileBytes(path), before);
    }

    // Through the transfer's own steps, a paste that needs the stored rows
    // takes them back in first, and gives what it gives on the whole part.
    void aTransferReachingTheStoredRowsTakesThemBack()
    {
        const Edit pasteLow = [](Workbook &book, Error &error) {
            TransferState transfer(book);
            const bool pasted = book.CellSheet(0, error) &&
                                transfer.Paste(0, TemplateValues(), PastePlace{15999, 1},
                                               PasteKind::Values, error) &&
                                transfer.Commit(error);
            return pasted && !book.CellSheet(0, error)->Part().Hole();
        };
        CompareWithWhole("low", BigSheet(), {UnmergeAll, pasteLow}, true);
    }

    // The copied blocks go out as they are read: a write that fails among
    // them leaves the original and no temporary file.
    void aWriteFailingAmongTheCopiedBlocksKeepsTheOriginal()
    {
        QTemporaryDir own;
        const QString path = own.filePath("book.xlsx");
        QVERIFY(WritePackage(path, MinimalWorkbookParts({BigSheet()})));
        const QByteArray before = FileBytes(path);
        QString message;
        bool held = false;
        {
            FileSizeLimit limit(static_cast<rlim_t>(before.size() / 2));
            message = EditAndSave(path, kSmallHolding, {UnmergeAll}, held);
        }
        QVERIFY(held);
        QVERIFY2(message.startsWith("cannot write the workbook"), qPrintable(message));
        QCOMPARE(FileBytes(path), before);
        QCOMPARE(QDir(own.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"book.xlsx"});
    }

    // An independent reader sees every row, the formula and the merges gone.
    void openpyxlReadsTheSavedPart()
    {
        const QString path = Book("python.xlsx");
        bool held = false;
        QCOMPARE(EditAndSave(path, kSmallHolding, {UnmergeAll, PasteValues}, held), QString());
        QVERIFY(held);
        const PythonResult result = RunPython(
            "import sys, openpyxl\n"
            "ws = openpyxl.load_workbook(sys.argv[1], read_only=True).worksheets[0]\n"
            "rows = list(ws.iter_rows(values_only=True))\n"
            "print(len(rows), rows[0][:3], rows[1][:3], rows[16999][27], rows[19999][2])\n",
            {path});
        QVERIFY2(result.ok, qPrintable(result.errors));
        QCOMPARE(result.output.trimmed(),
                 QString("20000 ('title', None, 7) (None, 8, None) 1 =A20000*2"));
        QVERIFY(!QString(EntryData(path, kSheetPart)).contains("mergeCell"));
    }
};

QTEST_GUILESS_MAIN(HeldPartsTest)
#include "test_held_parts.moc"
