// The used range: cells, merged areas and formatted rows and columns, not
// the sheet's own (often wrong) dimension element.

#include "engine/workbook.h"
#include "fixtures.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;
using engine::CellArea;

Q_DECLARE_METATYPE(CellArea)

class UsedRangeTest : public QObject
{
    Q_OBJECT

  private slots:
    void boundingBox_data();
    void boundingBox();
};

void UsedRangeTest::boundingBox_data()
{
    QTest::addColumn<QByteArray>("children");
    QTest::addColumn<CellArea>("area");
    QTest::newRow("empty sheet is A1") << QByteArray("<sheetData/>") << CellArea{1, 1, 1, 1};
    QTest::newRow("dimension is not trusted")
        << QByteArray("<dimension ref=\"A1:XFD1048576\"/><sheetData><row r=\"3\">"
                      "<c r=\"C3\"><v>1</v></c></row></sheetData>")
        << CellArea{3, 3, 3, 3};
    QTest::newRow("cells in several rows")
        << QByteArray("<sheetData><row r=\"2\"><c r=\"D2\"/></row><row r=\"7\">"
                      "<c r=\"B7\"><v>1</v></c><c r=\"F7\" s=\"1\"/></row></sheetData>")
        << CellArea{2, 2, 7, 6};
    QTest::newRow("rows and cells without numbers follow their neighbours")
        << QByteArray("<sheetData><row r=\"4\"><c r=\"B4\"/><c/><c/></row><row><c r=\"A5\"/>"
                      "</row></sheetData>")
        << CellArea{4, 1, 5, 4};
    QTest::newRow("merged area widens the box")
        << QByteArray("<sheetData><row r=\"2\"><c r=\"B2\"/></row></sheetData>"
                      "<mergeCells count=\"1\"><mergeCell ref=\"C5:E9\"/></mergeCells>")
        << CellArea{2, 2, 9, 5};
    QTest::newRow("formatted row widens the rows only")
        << QByteArray("<sheetData><row r=\"2\"><c r=\"B2\"/></row>"
                      "<row r=\"12\" s=\"3\" customFormat=\"1\"/></sheetData>")
        << CellArea{2, 2, 12, 2};
    QTest::newRow("formatted columns widen the columns only")
        << QByteArray("<cols><col min=\"1\" max=\"1\" width=\"20\" customWidth=\"1\"/>"
                      "<col min=\"8\" max=\"9\" style=\"4\"/></cols>"
                      "<sheetData><row r=\"2\"><c r=\"B2\"/></row></sheetData>")
        << CellArea{2, 2, 2, 9};
    QTest::newRow("only a formatted row spans every column")
        << QByteArray("<sheetData><row r=\"5\" ht=\"30\" customHeight=\"1\"/></sheetData>")
        << CellArea{5, 1, 5, 16384};
    QTest::newRow("prefixed elements")
        << QByteArray("<x:sheetData xmlns:x=\"urn:x\"><x:row r=\"9\"><x:c r=\"K9\"/></x:row>"
                      "</x:sheetData>")
        << CellArea{9, 11, 9, 11};
}

void UsedRangeTest::boundingBox()
{
    QFETCH(QByteArray, children);
    QFETCH(CellArea, area);
    QTemporaryDir dir;
    const QString path = dir.filePath("used.xlsx");
    QVERIFY(WritePackage(path, MinimalWorkbookParts({WorksheetXml(children)})));
    engine::Error error;
    const auto workbook = engine::Workbook::Open(path.toStdString(), error);
    QVERIFY(workbook);
    const engine::Worksheet *sheet = workbook->CellSheet(0, error);
    QVERIFY(sheet);
    CellArea used;
    QVERIFY2(sheet->UsedArea(used, error), error.message.c_str());
    QCOMPARE(used.firstRow, area.firstRow);
    QCOMPARE(used.firstColumn, area.firstColumn);
    QCOMPARE(used.lastRow, area.lastRow);
    QCOMPARE(used.lastColumn, area.lastColumn);
}

QTEST_GUILESS_MAIN(UsedRangeTest)
#include "test_used_range.moc"
