// Parsing only the rows of an interval: the bytes around them come back
// unchanged, new rows and cells land in ascending place.
#include "sheet/sheet_rows.h"
#include "transfer/paste_area.h"

#include <QtTest>

using engine::RowWindow;

namespace
{

const char *const kSheetData =
    "<sheetData><row r=\"1\" spans=\"1:2\"><c r=\"A1\"><v>1</v></c></row>\n"
    "<row r=\"3\"><c r=\"B3\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> </t></is></c>"
    "<c r=\"D3\" s=\"2\"/></row>\n"
    "<row r=\"7\"><c r=\"A7\"><f>SUM(A1:A3)</f><v>1</v></c></row></sheetData>";

RowWindow Loaded(const char *text, std::uint32_t first, std::uint32_t last)
{
    RowWindow window;
    engine::Error error;
    if (!window.Load(text, first, last, error))
        qFatal("%s", error.message.c_str());
    return window;
}

// The window as the paste operations load it: from the worksheet's own scan.
QString SerialisedFromPart(const std::string &sheetData, std::uint32_t first, std::uint32_t last,
                           int &rows)
{
    engine::WorksheetPart part;
    engine::Error error;
    if (!part.Load("<?xml version=\"1.0\"?>\n<worksheet><dimension ref=\"A1\"/>" + sheetData +
                       "<pageMargins/></worksheet>",
                   error))
        qFatal("%s", error.message.c_str());
    engine::WorksheetEdit edit(part);
    RowWindow window;
    size_t index = 0;
    if (!engine::LoadSheetData(edit, first, last, window, index, error))
        qFatal("%s", error.message.c_str());
    rows = int(window.Rows().size());
    return QString::fromStdString(window.Serialise());
}

} // namespace

class SheetRowsTest : public QObject
{
    Q_OBJECT

  private slots:
    void untouchedWindowWritesBackTheSameBytes()
    {
        for (auto [first, last] : {std::pair{1u, 1u}, {2u, 5u}, {3u, 3u}, {4u, 6u}, {1u, 9u}}) {
            RowWindow window = Loaded(kSheetData, first, last);
            QCOMPARE(QString::fromStdString(window.Serialise()),
                     QString(kSheetData)
                         .remove(QRegularExpression(first == 1 && last == 9 ? "\n" : "(?!)")));
        }
        RowWindow middle = Loaded(kSheetData, 2, 5);
        QCOMPARE(int(middle.Rows().size()), 1);
        QVERIFY(middle.Row(3));
        QVERIFY(!middle.Row(1));
    }

    void rowsAndCellsAreInsertedInAscendingPlace()
    {
        RowWindow window = Loaded(kSheetData, 2, 6);
        pugi::xml_node row = window.RowForWriting(5);
        engine::RowCells(row).FindOrAdd(row, 2, window.Prefix()).append_attribute("s") = 4;
        pugi::xml_node three = window.RowForWriting(3);
        engine::RowCells cells(three);
        cells.FindOrAdd(three, 3, window.Prefix());
        cells.FindOrAdd(three, 1, window.Prefix());
        window.RowForWriting(2);
        const QString text = QString::fromStdString(window.Serialise());
        QVERIFY(text.contains("<row r=\"2\"/><row r=\"3\"><c r=\"A3\"/><c r=\"B3\" "
                              "t=\"inlineStr\"><is><t xml:space=\"preserve\"> </t></is></c>"
                              "<c r=\"C3\"/><c r=\"D3\" s=\"2\"/></row><row r=\"5\"><c r=\"B5\" "
                              "s=\"4\"/></row>\n<row r=\"7\">"));
        QVERIFY(text.startsWith("<sheetData><row r=\"1\" spans=\"1:2\">"));
    }

    void emptyAndPrefixedSheetData()
    {
        RowWindow empty = Loaded("<x:sheetData/>", 1, 3);
        empty.RowForWriting(2);
        QCOMPARE(QString::fromStdString(empty.Serialise()),
                 QString("<x:sheetData><x:row r=\"2\"/></x:sheetData>"));
    }

    void implicitNumbersBecomeExplicitOverTheWholeSheet()
    {
        RowWindow window = Loaded("<sheetData><row><c><v>1</v></c><c/></row><row r=\"4\"/>"
                                  "<row><c r=\"C5\"/><c/></row></sheetData>",
                                  5, 5);
        QCOMPARE(int(window.Rows().size()), 3);
        QCOMPARE(
            QString::fromStdString(window.Serialise()),
            QString("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"/></row>"
                    "<row r=\"4\"/><row r=\"5\"><c r=\"C5\"/><c r=\"D5\"/></row></sheetData>"));
    }

    void cellsGoBeforeARowExtension()
    {
        RowWindow window =
            Loaded("<sheetData><row r=\"1\"><c r=\"A1\"/><extLst/></row></sheetData>", 1, 1);
        engine::RowCells(window.Row(1)).FindOrAdd(window.Row(1), 2, "");
        QCOMPARE(QString::fromStdString(window.Serialise()),
                 QString("<sheetData><row r=\"1\"><c r=\"A1\"/><c r=\"B1\"/><extLst/></row>"
                         "</sheetData>"));
    }

    void windowFromTheWorksheetScanMatchesAStandaloneOne_data()
    {
        QTest::addColumn<QString>("sheetData");
        QTest::addColumn<uint>("first");
        QTest::addColumn<uint>("last");
        QTest::newRow("window in the middle") << QString(kSheetData) << 2u << 5u;
        QTest::newRow("window before every row") << QString(kSheetData) << 1u << 1u;
        QTest::newRow("window past the last row") << QString(kSheetData) << 8u << 9u;
        QTest::newRow("unnumbered row after the window")
            << "<sheetData><row r=\"1\"><c><v>1</v></c></row><row r=\"3\"/>"
               "<row><c r=\"B4\"/><c/></row></sheetData>"
            << 1u << 1u;
        QTest::newRow("prefixed, with a comment and nested rows")
            << "<x:sheetData><x:row r=\"2\"><x:c r=\"A2\"/><!-- <x:row r=\"9\"> -->"
               "<x:extLst><x:row/></x:extLst></x:row><x:row r=\"5\"/></x:sheetData>"
            << 3u << 6u;
        QTest::newRow("end tag with a quoted '>'")
            << "<sheetData><row r=\"1\"/><row r=\"2\"/></sheetData a=\">\">" << 1u << 1u;
        QTest::newRow("self-closing") << "<x:sheetData/>" << 1u << 3u;
    }

    void windowFromTheWorksheetScanMatchesAStandaloneOne()
    {
        QFETCH(QString, sheetData);
        QFETCH(uint, first);
        QFETCH(uint, last);
        const std::string text = sheetData.toStdString();
        RowWindow standalone = Loaded(text.c_str(), first, last);
        int rows = 0;
        QCOMPARE(SerialisedFromPart(text, first, last, rows),
                 QString::fromStdString(standalone.Serialise()));
        QCOMPARE(rows, int(standalone.Rows().size()));
    }

    void replacedSheetDataIsReadAsReplaced()
    {
        engine::WorksheetPart part;
        engine::Error error;
        QVERIFY(part.Load("<worksheet><sheetData><row r=\"1\"/></sheetData></worksheet>", error));
        engine::WorksheetEdit edit(part);
        edit.Replace(0, "<sheetData><row r=\"2\"><c r=\"A2\"/></row></sheetData>");
        RowWindow window;
        size_t index = 0;
        QVERIFY(engine::LoadSheetData(edit, 1, 3, window, index, error));
        QVERIFY(!window.Row(1));
        QVERIFY(window.Row(2));
    }

    // Writers mostly put r first, which is tried first; anywhere else it
    // must still be found, and a name that merely starts with r is not it.
    void referencesAreFoundWhereverTheyStand()
    {
        RowWindow window =
            Loaded("<x:sheetData><x:row spans=\"2:3\" r=\"4\"><x:c s=\"1\" r=\"B4\"/>"
                   "<x:c rr=\"1\"/><x:c/></x:row><x:row ref=\"1\"><x:c/></x:row>"
                   "</x:sheetData>",
                   4, 5);
        QVERIFY(window.Row(4));
        QVERIFY(window.Row(5)); // unnumbered, so numbered on from the row before
        QCOMPARE(QString::fromStdString(window.Serialise()),
                 QString("<x:sheetData><x:row spans=\"2:3\" r=\"4\"><x:c s=\"1\" r=\"B4\"/>"
                         "<x:c r=\"C4\" rr=\"1\"/><x:c r=\"D4\"/></x:row>"
                         "<x:row r=\"5\" ref=\"1\"><x:c r=\"A5\"/></x:row></x:sheetData>"));
        engine::RowCursor cursor;
        QVERIFY(cursor.Start(window.Row(4)));
        QCOMPARE(cursor.Columns(), (std::vector<std::uint32_t>{2, 3, 4}));
    }

    // The parser skips decoding when the rows hold nothing to decode; rows
    // that do must still come back decoded and written anew.
    void entitiesAndLineEndsAreStillDecoded_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("written");
        QTest::newRow("entities") << "<row r=\"1\"><c r=\"A1\" t=\"str\"><v>a&amp;b&#62;</v></c>"
                                     "<c r=\"B1\" x=\"&quot;&lt;\"/></row>"
                                  << "<row r=\"1\"><c r=\"A1\" t=\"str\"><v>a&amp;b&gt;</v></c>"
                                     "<c r=\"B1\" x=\"&quot;&lt;\"/></row>";
        QTest::newRow("carriage returns") << "<row r=\"1\"><c r=\"A1\"><v>a\r\nb\rc</v></c></row>"
                                          << "<row r=\"1\"><c r=\"A1\"><v>a\nb\nc</v></c></row>";
        QTest::newRow("neither") << "<row r=\"1\"><c r=\"A1\"><v>a\nb>c</v></c></row>"
                                 << "<row r=\"1\"><c r=\"A1\"><v>a\nb&gt;c</v></c></row>";
    }

    void entitiesAndLineEndsAreStillDecoded()
    {
        QFETCH(QString, rows);
        QFETCH(QString, written);
        const std::string text = "<sheetData>" + rows.toStdString() + "</sheetData>";
        RowWindow window = Loaded(text.c_str(), 1, 1); // the window's rows are printed afresh
        QCOMPARE(QString::fromStdString(window.Serialise()),
                 "<sheetData>" + written + "</sheetData>");
    }

    void brokenRowsAreRefused()
    {
        RowWindow window;
        engine::Error error;
        QVERIFY(!window.Load("<sheetData><row r=\"1\"><c></row></sheetData>", 1, 1, error));
        QVERIFY(error);
    }
};

QTEST_APPLESS_MAIN(SheetRowsTest)
#include "test_sheet_rows.moc"
