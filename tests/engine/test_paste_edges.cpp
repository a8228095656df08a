// Pastes on hand-written worksheets, for what no writer produces on request:
// formula groups cut by the area, error values, prefixed parts, conditional
// format priorities, the workbook's recalculation request, and rows whose
// cells have gaps, come out of order or repeat, lack a reference, or are
// followed by other elements.

#include "parts/recalculation.h"
#include "parts/styles_part.h"
#include "sheet/conditional_formats.h"
#include "transfer/clipboard_snapshot.h"
#include "transfer/paste.h"

#include <QtTest>

#include <functional>

using namespace engine;

namespace
{

const char kStyles[] =
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font/></fonts><fills count=\"1\"><fill/></fills>"
    "<borders count=\"1\"><border/></borders><cellXfs count=\"3\"><xf/>"
    "<xf numFmtId=\"1\" applyNumberFormat=\"1\"/><xf numFmtId=\"2\" applyNumberFormat=\"1\"/>"
    "</cellXfs>"
    "<dxfs count=\"1\"><dxf><font><b/></font></dxf></dxfs></styleSheet>";

std::string Sheet(const std::string &children)
{
    return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
           children + "</worksheet>";
}

StylesPart Styles()
{
    StylesPart styles;
    Error error;
    if (!styles.Load(kStyles, error))
        qFatal("%s", error.message.c_str());
    return styles;
}

ClipboardSnapshot Snapshot(const std::string &xml, const char *area)
{
    const StylesPart styles = Styles();
    WorksheetPart sheet;
    ClipboardSnapshot snapshot;
    Error error;
    if (!sheet.Load(xml, error) ||
        !TakeSnapshot(TemplateSheet{sheet, styles, nullptr}, *ParseA1Area(area), snapshot, error))
        qFatal("%s", error.message.c_str());
    return snapshot;
}

using Paste = std::function<bool(const ClipboardSnapshot &, PastePlace, WorksheetPart &, Error &)>;

// The target after the snapshot was pasted onto its own place.
QString PastedBy(const Paste &paste, const ClipboardSnapshot &snapshot, const std::string &target)
{
    WorksheetPart sheet;
    Error error;
    const PastePlace place{snapshot.area.firstRow, snapshot.area.firstColumn};
    if (!sheet.Load(target, error) || !paste(snapshot, place, sheet, error))
        return "error: " + QString::fromStdString(error.message);
    return QString::fromStdString(sheet.Serialise());
}

QString Pasted(const ClipboardSnapshot &snapshot, ContentKind kind, const std::string &target)
{
    return PastedBy([kind](const ClipboardSnapshot &from, PastePlace place, WorksheetPart &sheet,
                           Error &error) { return PasteContents(from, place, kind, sheet, error); },
                    snapshot, target);
}

// Rows 1 and 2 alternate between formats 1 and 2 from column A to E.
const char kFormatTemplate[] =
    "<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/><c r=\"C1\" s=\"1\"/>"
    "<c r=\"D1\" s=\"2\"/><c r=\"E1\" s=\"1\"/></row><row r=\"2\"><c r=\"A2\" s=\"2\"/>"
    "<c r=\"B2\" s=\"1\"/><c r=\"C2\" s=\"2\"/><c r=\"D2\" s=\"1\"/><c r=\"E2\" s=\"2\"/>"
    "</row></sheetData>";

// The target's sheetData content after pasting the formats of `area`.
QString FormatsPasted(const QString &area, const QString &sheetData,
                      const char *templateData = kFormatTemplate)
{
    StylesPart styles = Styles();
    const QString text = PastedBy(
        [&styles](const ClipboardSnapshot &from, PastePlace place, WorksheetPart &sheet,
                  Error &error) {
            InternedStyles interned;
            return PasteFormats(from, place, sheet, styles, interned, error);
        },
        Snapshot(Sheet(templateData), qPrintable(area)),
        Sheet("<sheetData>" + sheetData.toStdString() + "</sheetData>"));
    const int begin = text.indexOf("<sheetData>") + int(strlen("<sheetData>"));
    return text.mid(begin, text.indexOf("</sheetData>") - begin);
}

} // namespace

class PasteEdgesTest : public QObject
{
    Q_OBJECT

  private slots:
    void sharedFormulaMasterAboveTheAreaIsExpanded()
    {
        const ClipboardSnapshot snapshot = Snapshot(
            Sheet("<sheetData><row r=\"1\"><c r=\"A1\"><f t=\"shared\" ref=\"A1:A3\" si=\"4\">"
                  "B1*2</f><v>2</v></c></row><row r=\"3\"><c r=\"A3\"><f t=\"shared\" si=\"4\"/>"
                  "<v>6</v></c></row></sheetData>"),
            "A3");
        const QString formulas = Pasted(snapshot, ContentKind::Formulas,
                                        Sheet("<sheetData><row r=\"3\"><c r=\"A3\" s=\"0\" "
                                              "t=\"s\"><v>0</v></c></row></sheetData>"));
        QVERIFY2(formulas.contains("<c r=\"A3\" s=\"0\"><f>B3*2</f><v>6</v></c>"),
                 qPrintable(formulas));
    }

    void targetGroupsCutByTheAreaStayValid()
    {
        const std::string target = Sheet(
            "<sheetData><row r=\"1\"><c r=\"A1\"><f t=\"shared\" ref=\"A1:A3\" si=\"0\">B1+1</f>"
            "<v>1</v></c><c r=\"C1\"><f t=\"array\" ref=\"C1:C3\">B1:B3*2</f><v>0</v></c></row>"
            "<row r=\"2\"><c r=\"A2\"><f t=\"shared\" si=\"0\"/><v>1</v></c><c r=\"C2\"><v>0</v>"
            "</c></row><row r=\"3\"><c r=\"A3\"><f t=\"shared\" si=\"0\"/><v>1</v></c>"
            "<c r=\"C3\"><v>0</v></c></row></sheetData>");
        const ClipboardSnapshot snapshot = Snapshot(
            Sheet("<sheetData><row r=\"2\"><c r=\"A2\"><v>5</v></c></row></sheetData>"), "A2:C2");
        const QString pasted = Pasted(snapshot, ContentKind::Values, target);
        QVERIFY2(pasted.contains("<c r=\"A1\"><f>B1+1</f><v>1</v></c>"), qPrintable(pasted));
        QVERIFY(pasted.contains("<c r=\"A3\"><f>B3+1</f><v>1</v></c>"));
        QVERIFY(pasted.contains("<c r=\"A2\"><v>5</v></c>"));
        QVERIFY(pasted.contains("<f t=\"array\" ref=\"C1\">B1:B3*2</f>"));
        QVERIFY(!pasted.contains("C2"));
        QVERIFY(!pasted.contains("si="));
    }

    void errorsStringsAndBooleansTravelAsValues()
    {
        const ClipboardSnapshot snapshot = Snapshot(
            Sheet("<sheetData><row r=\"1\"><c r=\"A1\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>"
                  "<c r=\"B1\" t=\"str\"><f>\" a \"</f><v> a </v></c>"
                  "<c r=\"C1\" t=\"b\"><v>1</v></c><c r=\"D1\" t=\"inlineStr\"><is><r><rPr><b/>"
                  "</rPr><t>x</t></r></is></c></row></sheetData>"),
            "A1:E1");
        const QString values =
            Pasted(snapshot, ContentKind::Values,
                   Sheet("<dimension ref=\"E1\"/><sheetData><row r=\"1\" spans=\"5:5\"><c r=\"E1\">"
                         "<v>9</v></c></row></sheetData>"));
        QVERIFY2(values.contains("<dimension ref=\"A1:E1\"/>"), qPrintable(values));
        QVERIFY(values.contains("<row r=\"1\" spans=\"1:4\"><c r=\"A1\" t=\"e\"><v>#DIV/0!</v></c>"
                                "<c r=\"B1\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> a </t>"
                                "</is></c><c r=\"C1\" t=\"b\"><v>1</v></c><c r=\"D1\" "
                                "t=\"inlineStr\"><is><r><rPr><b/></rPr><t>x</t></r></is></c>"
                                "</row>"));
    }

    void prefixedTargetGetsPrefixedElements()
    {
        const ClipboardSnapshot snapshot =
            Snapshot(Sheet("<sheetData><row r=\"2\"><c r=\"B2\"><f>A2</f><v>0</v></c></row>"
                           "</sheetData>"),
                     "B2");
        const QString pasted =
            Pasted(snapshot, ContentKind::Formulas,
                   "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                   "main\"><x:sheetData/></x:worksheet>");
        QVERIFY2(pasted.contains("<x:sheetData><x:row r=\"2\"><x:c r=\"B2\"><x:f>A2</x:f>"
                                 "<x:v>0</x:v></x:c></x:row></x:sheetData>"),
                 qPrintable(pasted));
    }

    void conditionalFormatsMoveWithTheirDxfsAndPriorities()
    {
        StylesPart source = Styles();
        ConditionalFormat format;
        Error error;
        QVERIFY(ReadConditionalFormat(
            "<conditionalFormatting sqref=\"A1:D4 F1\"><cfRule type=\"expression\" dxfId=\"0\" "
            "priority=\"1\"><formula>$A1&gt;B2</formula></cfRule><cfRule type=\"top10\" "
            "priority=\"2\" rank=\"3\"/></conditionalFormatting>",
            source, *ParseA1Area("B2:C9"), format, error));
        QCOMPARE(SqrefText(format.areas), std::string("B2:C4"));
        StylesPart target;
        QVERIFY(
            target.Load("<styleSheet><cellXfs count=\"1\"><xf/></cellXfs></styleSheet>", error));
        int priority = 7;
        const QString placed =
            QString::fromStdString(PlaceConditionalFormat(format, 1, 1, target, "x:", priority));
        QCOMPARE(priority, 9);
        QCOMPARE(placed, QString("<x:conditionalFormatting sqref=\"C3:D5\"><x:cfRule dxfId=\"0\" "
                                 "priority=\"7\" type=\"expression\"><x:formula>$A2&gt;C3"
                                 "</x:formula></x:cfRule><x:cfRule priority=\"8\" rank=\"3\" "
                                 "type=\"top10\"/></x:conditionalFormatting>"));
        QVERIFY(QString::fromStdString(target.Serialise()).contains("<dxfs count=\"1\"><dxf>"));
        QVERIFY(!ReadConditionalFormat("<conditionalFormatting sqref=\"F1\"/>", source,
                                       *ParseA1Area("B2:C9"), format, error));
    }

    void targetFormatsLoseOnlyTheirAreasInside()
    {
        const std::string element = "<conditionalFormatting sqref=\"B2:C3 H1\"><cfRule "
                                    "priority=\"4\"/></conditionalFormatting>";
        QCOMPARE(RemoveAreasInside(element, *ParseA1Area("A1:D9")),
                 std::string("<conditionalFormatting sqref=\"H1\"><cfRule priority=\"4\"/>"
                             "</conditionalFormatting>"));
        QCOMPARE(RemoveAreasInside(element, *ParseA1Area("A1:Z9")), std::string());
        QCOMPARE(RemoveAreasInside(element, *ParseA1Area("C3:D9")), element);
        QCOMPARE(HighestPriority(element), 4);
    }

    void formatsLandOnTheRowsCells_data()
    {
        QTest::addColumn<QString>("area");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("expected");
        QTest::newRow("in order: every cell present")
            << "A1:C1"
            << "<row r=\"1\"><c r=\"A1\"/><c r=\"B1\" s=\"1\"/><c r=\"C1\"/></row>"
            << "<row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/><c r=\"C1\" s=\"1\"/></row>";
        QTest::newRow("in order: gaps between and around the cells")
            << "B1:D1"
            << "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"C1\"/><c r=\"F1\"/></row>"
            << "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\" s=\"2\"/><c r=\"C1\" s=\"1\"/>"
               "<c r=\"D1\" s=\"2\"/><c r=\"F1\"/></row>";
        QTest::newRow("in order: cells after the last one")
            << "A1:C1"
            << "<row r=\"1\"><c r=\"A1\"/></row>"
            << "<row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/><c r=\"C1\" s=\"1\"/></row>";
        QTest::newRow("in order: row missing between rows")
            << "A1:B2"
            << "<row r=\"1\"><c r=\"A1\"/></row><row r=\"3\"><c r=\"A3\"/></row>"
            << "<row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/></row><row r=\"2\">"
               "<c r=\"A2\" s=\"2\"/><c r=\"B2\" s=\"1\"/></row><row r=\"3\"><c r=\"A3\"/></row>";
        QTest::newRow("in order: extLst stays last")
            << "A1:C1"
            << "<row r=\"1\"><c r=\"B1\"/><extLst><ext uri=\"x\"/></extLst></row>"
            << "<row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/><c r=\"C1\" s=\"1\"/>"
               "<extLst><ext uri=\"x\"/></extLst></row>";
        QTest::newRow("in order: cells without r are numbered on")
            << "A1:C1"
            << "<row r=\"1\"><c><v>1</v></c><c r=\"C1\"/><c/></row>"
            << "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c><c r=\"B1\" s=\"2\"/>"
               "<c r=\"C1\" s=\"1\"/><c r=\"D1\"/></row>";
        QTest::newRow("in order: absent cell already showing the row's format stays absent")
            << "A1:C1"
            << "<row r=\"1\" s=\"1\" customFormat=\"1\"/>"
            << "<row r=\"1\" s=\"1\" customFormat=\"1\"><c r=\"B1\" s=\"2\"/></row>";
        QTest::newRow("in order: absent cell showing another row format is written")
            << "A2"
            << "<row r=\"2\" s=\"1\" customFormat=\"1\"/>"
            << "<row r=\"2\" s=\"1\" customFormat=\"1\"><c r=\"A2\" s=\"2\"/></row>";

        // Cells that do not ascend are found wherever they are: the last of
        // repeated cells takes the format, new cells go before the next
        // higher one or before the last element without a column.
        QTest::newRow("out of order: descending")
            << "A1:C1"
            << "<row r=\"1\"><c r=\"C1\"/><c r=\"A1\"/></row>"
            << "<row r=\"1\"><c r=\"B1\" s=\"2\"/><c r=\"C1\" s=\"1\"/><c r=\"A1\" s=\"1\"/></row>";
        QTest::newRow("out of order: repeated")
            << "A1:C1"
            << "<row r=\"1\"><c r=\"B1\"><v>1</v></c><c r=\"B1\"><v>2</v></c></row>"
            << "<row r=\"1\"><c r=\"B1\"><v>1</v></c><c r=\"A1\" s=\"1\"/><c r=\"B1\" "
               "s=\"2\"><v>2</v></c><c r=\"C1\" s=\"1\"/></row>";
        QTest::newRow("out of order: unreadable reference before cells")
            << "A1:C1"
            << "<row r=\"1\"><c r=\"A1\"/><c r=\"x\"/><c r=\"C1\"/></row>"
            << "<row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"x\"/><c r=\"B1\" s=\"2\"/>"
               "<c r=\"C1\" s=\"1\"/></row>";
        QTest::newRow("out of order: two trailing elements without a column")
            << "A1:C1"
            << "<row r=\"1\"><c r=\"A1\"/><c r=\"x\"/><extLst/></row>"
            << "<row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"x\"/><c r=\"B1\" s=\"2\"/>"
               "<c r=\"C1\" s=\"1\"/><extLst/></row>";

        QTest::newRow("spans: widened by new cells")
            << "A1:C1"
            << "<row r=\"1\" spans=\"2:2\"><c r=\"B1\"/></row>"
            << "<row r=\"1\" spans=\"1:3\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/>"
               "<c r=\"C1\" s=\"1\"/></row>";
        QTest::newRow("spans: cells beyond the area count")
            << "B1"
            << "<row r=\"1\" spans=\"1:1\"><c r=\"A1\"/><c r=\"J1\"/><extLst/></row>"
            << "<row r=\"1\" spans=\"1:10\"><c r=\"A1\"/><c r=\"B1\" s=\"2\"/><c r=\"J1\"/>"
               "<extLst/></row>";
        QTest::newRow("spans: corrected without new cells")
            << "A1"
            << "<row r=\"1\" spans=\"1:9\"><c r=\"A1\"/><c r=\"C1\"/></row>"
            << "<row r=\"1\" spans=\"1:3\"><c r=\"A1\" s=\"1\"/><c r=\"C1\"/></row>";
        QTest::newRow("spans: narrowed to the one cell written")
            << "A1:C1"
            << "<row r=\"1\" spans=\"1:3\" s=\"1\" customFormat=\"1\"/>"
            << "<row r=\"1\" spans=\"2:2\" s=\"1\" customFormat=\"1\"><c r=\"B1\" s=\"2\"/>"
               "</row>";
        // every cell of the area already shows the row's format
        QTest::newRow("spans: dropped from a row left without cells")
            << "A1"
            << "<row r=\"1\" spans=\"1:3\" s=\"1\" customFormat=\"1\"/>"
            << "<row r=\"1\" s=\"1\" customFormat=\"1\"/>";
        QTest::newRow("spans: out of order cells")
            << "A1:B1"
            << "<row r=\"1\" spans=\"3:3\"><c r=\"E1\"/><c r=\"C1\"/></row>"
            << "<row r=\"1\" spans=\"1:5\"><c r=\"E1\"/><c r=\"A1\" s=\"1\"/>"
               "<c r=\"B1\" s=\"2\"/><c r=\"C1\"/></row>";
        QTest::newRow("spans: none on a row without them")
            << "A1:B1"
            << "<row r=\"1\"><c r=\"C1\"/></row>"
            << "<row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/><c r=\"C1\"/></row>";
        // Whole rows visit the cells either sheet has, so cells beyond the
        // template's take the format of its empty cells.
        QTest::newRow("whole rows: gaps and cells beyond the template's")
            << "A1:XFD5"
            << "<row r=\"1\" spans=\"3:7\"><c r=\"C1\"><v>1</v></c><c r=\"G1\"/><extLst/></row>"
            << "<row r=\"1\" spans=\"1:7\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/><c r=\"C1\" "
               "s=\"1\"><v>1</v></c><c r=\"D1\" s=\"2\"/><c r=\"E1\" s=\"1\"/><c r=\"G1\" "
               "s=\"3\"/><extLst/></row>"
               "<row r=\"2\"><c r=\"A2\" s=\"2\"/><c r=\"B2\" s=\"1\"/><c r=\"C2\" s=\"2\"/><c "
               "r=\"D2\" s=\"1\"/><c r=\"E2\" s=\"2\"/></row>";
        QTest::newRow("whole rows: row missing and rows without template cells")
            << "A1:XFD5"
            << "<row r=\"1\"><c r=\"B1\"/></row><row r=\"3\" spans=\"2:2\"><c r=\"B3\"/></row>"
               "<row r=\"4\"><c r=\"A4\"/></row>"
            << "<row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/><c r=\"C1\" s=\"1\"/><c "
               "r=\"D1\" s=\"2\"/><c r=\"E1\" s=\"1\"/></row>"
               "<row r=\"2\"><c r=\"A2\" s=\"2\"/><c r=\"B2\" s=\"1\"/><c r=\"C2\" s=\"2\"/><c "
               "r=\"D2\" s=\"1\"/><c r=\"E2\" s=\"2\"/></row>"
               "<row r=\"3\" spans=\"2:2\"><c r=\"B3\" s=\"3\"/></row>"
               "<row r=\"4\"><c r=\"A4\" s=\"3\"/></row>";
        QTest::newRow("whole rows: out of order")
            << "A1:XFD5"
            << "<row r=\"1\" spans=\"7:7\"><c r=\"G1\"/><c r=\"C1\"/><c r=\"C1\"/></row>"
            << "<row r=\"1\" spans=\"1:7\"><c r=\"D1\" s=\"2\"/><c r=\"E1\" s=\"1\"/><c r=\"G1\" "
               "s=\"3\"/><c r=\"C1\"/><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/><c r=\"C1\" "
               "s=\"1\"/></row>"
               "<row r=\"2\"><c r=\"A2\" s=\"2\"/><c r=\"B2\" s=\"1\"/><c r=\"C2\" s=\"2\"/><c "
               "r=\"D2\" s=\"1\"/><c r=\"E2\" s=\"2\"/></row>";
        QTest::newRow("whole rows: numbers repeat")
            << "A1:XFD5"
            << "<row r=\"2\"><c r=\"C2\"/></row><row r=\"1\"><c r=\"F1\"/></row>"
               "<row r=\"2\"><c r=\"G2\"/></row>"
            << "<row r=\"2\"><c r=\"A2\" s=\"2\"/><c r=\"B2\" s=\"1\"/><c r=\"C2\" s=\"2\"/><c "
               "r=\"D2\" s=\"1\"/><c r=\"E2\" s=\"2\"/><c r=\"G2\" s=\"3\"/></row>"
               "<row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/><c r=\"C1\" s=\"1\"/><c "
               "r=\"D1\" s=\"2\"/><c r=\"E1\" s=\"1\"/><c r=\"F1\" s=\"3\"/></row>"
               "<row r=\"2\"><c r=\"G2\"/></row>";
        QTest::newRow("whole rows: without cells")
            << "A1:XFD5"
            << "<row r=\"1\" spans=\"1:2\" customFormat=\"1\" s=\"2\"/>"
            << "<row r=\"1\" spans=\"1:5\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/><c r=\"C1\" "
               "s=\"1\"/><c r=\"D1\" s=\"2\"/><c r=\"E1\" s=\"1\"/></row>"
               "<row r=\"2\"><c r=\"A2\" s=\"2\"/><c r=\"B2\" s=\"1\"/><c r=\"C2\" s=\"2\"/><c "
               "r=\"D2\" s=\"1\"/><c r=\"E2\" s=\"2\"/></row>";
    }

    void formatsLandOnTheRowsCells()
    {
        QFETCH(QString, area);
        QFETCH(QString, target);
        QFETCH(QString, expected);
        QCOMPARE(FormatsPasted(area, target), expected);
    }

    // Every column that either sheet has is visited, whatever order the
    // template's cells come in.
    void templateCellsOutOfOrderLandOnWholeRows()
    {
        const QString pasted =
            FormatsPasted("A1:XFD5", "<row r=\"1\" spans=\"2:2\"><c r=\"B1\"/></row>",
                          "<sheetData><row r=\"1\"><c r=\"E1\" s=\"2\"/><c r=\"A1\" s=\"1\"/>"
                          "</row></sheetData>");
        QStringList cells;
        QRegularExpressionMatchIterator found =
            QRegularExpression("<c r=\"(\\w+)\"").globalMatch(pasted);
        while (found.hasNext())
            cells << found.next().captured(1);
        QCOMPARE(cells, QStringList({"A1", "B1", "E1"}));
        QVERIFY2(pasted.startsWith("<row r=\"1\" spans=\"1:5\">"), qPrintable(pasted));
        // Each template cell keeps its own format, wherever it was written.
        const auto styleOf = [&pasted](const QString &cell) {
            return QRegularExpression("<c r=\"" + cell + "\" s=\"(\\d+)\"")
                .match(pasted)
                .captured(1);
        };
        QVERIFY2(styleOf("A1") != styleOf("E1") && styleOf("A1") != styleOf("B1"),
                 qPrintable(pasted));
    }

    void recalculationRequest_data()
    {
        QTest::addColumn<QString>("workbook");
        QTest::addColumn<QString>("expected");
        QTest::newRow("calcPr present")
            << "<workbook><sheets/><calcPr calcId=\"1\"/></workbook>"
            << "<workbook><sheets/><calcPr calcId=\"1\" fullCalcOnLoad=\"1\"/></workbook>";
        QTest::newRow("flag off") << "<workbook><calcPr fullCalcOnLoad=\"0\"></calcPr></workbook>"
                                  << "<workbook><calcPr fullCalcOnLoad=\"1\"></calcPr></workbook>";
        QTest::newRow("before later parts")
            << "<x:workbook><x:sheets/><x:definedNames/><x:pivotCaches/><x:extLst/></x:workbook>"
            << "<x:workbook><x:sheets/><x:definedNames/><x:calcPr fullCalcOnLoad=\"1\"/>"
               "<x:pivotCaches/><x:extLst/></x:workbook>";
        QTest::newRow("at the end") << "<workbook><sheets/></workbook>"
                                    << "<workbook><sheets/><calcPr fullCalcOnLoad=\"1\"/>"
                                       "</workbook>";
    }

    void recalculationRequest()
    {
        QFETCH(QString, workbook);
        QFETCH(QString, expected);
        std::string out;
        Error error;
        QVERIFY(WithFullCalcOnLoad(workbook.toStdString(), out, error));
        QCOMPARE(QString::fromStdString(out), expected);
    }

    void calculationChainLeavesRelationshipsAndContentTypes()
    {
        std::string out;
        std::string removed;
        Error error;
        QVERIFY(WithoutRelationshipType(
            "<Relationships><Relationship Id=\"rId1\" Type=\"x/styles\" Target=\"styles.xml\"/>"
            "<Relationship Id=\"rId9\" Type=\"x/calcChain\" Target=\"calcChain.xml\"/>"
            "</Relationships>",
            "/calcChain", out, removed, error));
        QCOMPARE(removed, std::string("calcChain.xml"));
        QCOMPARE(out, std::string("<Relationships><Relationship Id=\"rId1\" Type=\"x/styles\" "
                                  "Target=\"styles.xml\"/></Relationships>"));
        QVERIFY(WithoutOverride("<Types><Default Extension=\"xml\"/><Override "
                                "PartName=\"/xl/calcChain.xml\"/></Types>",
                                "xl/calcChain.xml", out, error));
        QCOMPARE(out, std::string("<Types><Default Extension=\"xml\"/></Types>"));
    }
};

QTEST_APPLESS_MAIN(PasteEdgesTest)
#include "test_paste_edges.moc"
