// A1 addresses as the spreadsheet application accepts them, and nothing else.

#include "engine/a1_text.h"
#include "engine/cell_area.h"

#include <QtTest>

using engine::CellArea;
using engine::ParseA1Area;

Q_DECLARE_METATYPE(CellArea)

class CellAreaTest : public QObject
{
    Q_OBJECT

  private slots:
    void acceptsEveryForm_data();
    void acceptsEveryForm();
    void refusesEverythingElse_data();
    void refusesEverythingElse();
    void intersection();
    void cellNamesAgreeWithAreas();
};

void CellAreaTest::acceptsEveryForm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<CellArea>("area");
    QTest::newRow("cell") << "A1" << CellArea{1, 1, 1, 1};
    QTest::newRow("row span") << "B2:D2" << CellArea{2, 2, 2, 4};
    QTest::newRow("one column") << "B:B" << CellArea{1, 2, 1048576, 2};
    QTest::newRow("columns") << "B:D" << CellArea{1, 2, 1048576, 4};
    QTest::newRow("one row") << "1:1" << CellArea{1, 1, 1, 16384};
    QTest::newRow("rows") << "1:9" << CellArea{1, 1, 9, 16384};
    QTest::newRow("absolute") << "$A$1:$C$7" << CellArea{1, 1, 7, 3};
    QTest::newRow("mixed absolute") << "A$1:$C7" << CellArea{1, 1, 7, 3};
    QTest::newRow("lower case") << "b2:d2" << CellArea{2, 2, 2, 4};
    QTest::newRow("corners reversed") << "D7:B2" << CellArea{2, 2, 7, 4};
    QTest::newRow("anti-diagonal corners") << "D2:B7" << CellArea{2, 2, 7, 4};
    QTest::newRow("rows reversed") << "9:1" << CellArea{1, 1, 9, 16384};
    QTest::newRow("last cell") << "XFD1048576" << CellArea{1048576, 16384, 1048576, 16384};
    QTest::newRow("three letters") << "AAA10" << CellArea{10, 703, 10, 703};
    QTest::newRow("absolute columns") << "$B:$C" << CellArea{1, 2, 1048576, 3};
}

void CellAreaTest::acceptsEveryForm()
{
    QFETCH(QString, text);
    QFETCH(CellArea, area);
    const auto parsed = ParseA1Area(text.toStdString());
    QVERIFY2(parsed.has_value(), qPrintable(text));
    QCOMPARE(parsed->firstRow, area.firstRow);
    QCOMPARE(parsed->firstColumn, area.firstColumn);
    QCOMPARE(parsed->lastRow, area.lastRow);
    QCOMPARE(parsed->lastColumn, area.lastColumn);
}

void CellAreaTest::refusesEverythingElse_data()
{
    QTest::addColumn<QString>("text");
    for (const char *text : {"",
                             " ",
                             "A",
                             "1",
                             "A0",
                             "0:1",
                             "XFE1",
                             "A1048577",
                             "1:1048577",
                             "XFE:XFE",
                             "A1:B",
                             "A:1",
                             "A1:",
                             ":A1",
                             "A1:B2:C3",
                             "A1 ",
                             " A1",
                             "A 1",
                             "1A",
                             "A1A",
                             "$",
                             "$$A1",
                             "A$",
                             "A$:B",
                             "Sheet1!A1",
                             "Totals",
                             "A1,B2",
                             "AAAA1",
                             "A99999999999",
                             "A-1",
                             "A1.5",
                             "\xEF\xBC\xA1\x31"}) // a full-width A
        QTest::newRow(text) << QString::fromUtf8(text);
}

void CellAreaTest::refusesEverythingElse()
{
    QFETCH(QString, text);
    QVERIFY2(!ParseA1Area(text.toStdString()).has_value(), qPrintable(text));
}

void CellAreaTest::intersection()
{
    const CellArea block{2, 2, 4, 4};
    QVERIFY(block.Intersects(CellArea{4, 4, 9, 9}));       // corner touch
    QVERIFY(block.Intersects(CellArea{1, 1, 9, 9}));       // contains
    QVERIFY(block.Intersects(CellArea{3, 1, 3, 1048576})); // crossing row
    QVERIFY(!block.Intersects(CellArea{5, 2, 5, 4}));      // just below
    QVERIFY(!block.Intersects(CellArea{2, 5, 4, 5}));      // just right
}

// Cell names have a quick path of their own; it must read every text as the
// area parser does.
void CellAreaTest::cellNamesAgreeWithAreas()
{
    for (const char *text :
         {"A1",   "B12",      "XFD1048576", "XFE1", "XFD1048577", "AAA10", "AAAA1", "A0",
          "A01",  "A00",      "a1",         "$A$1", "A$1",        "A1:A1", "A1:B1", "A",
          "1",    "",         "A1A",        "A1 ",  " A1",        "1A",    "A-1",   "A99999999999",
          "ZZZ1", "Sheet1!A1"}) {
        std::uint32_t row = 0;
        std::uint32_t column = 0;
        const auto area = engine::ParseA1Area(text);
        const bool cell =
            area && area->firstRow == area->lastRow && area->firstColumn == area->lastColumn;
        QCOMPARE(engine::ParseCellName(text, row, column), cell);
        if (cell) {
            QCOMPARE(row, area->firstRow);
            QCOMPARE(column, area->firstColumn);
        }
    }
}

QTEST_APPLESS_MAIN(CellAreaTest)
#include "test_cell_area.moc"
