// The byte scanner at the edges of its tag reading: quotes that hide '>' or
// the other quote, the limits on attributes and nesting, markup it skips or
// refuses, and the spans it reports for children and their children.
#include "base/engine_limits.h"
#include "xml/xml_scan.h"

#include <QtTest>

#include <algorithm>

using engine::ElementSpan;
using engine::ElementTree;
using engine::ErrorCode;

Q_DECLARE_METATYPE(engine::ErrorCode)

namespace
{

std::string Repeated(const std::string &text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// A root holding `depth` nested elements.
std::string Nested(int depth)
{
    return "<r>" + Repeated("<a>", depth) + Repeated("</a>", depth) + "</r>";
}

// A root whose one child carries `values` quoted values.
std::string WithValues(int values)
{
    return "<r><a" + Repeated(" v=\"1\"", values) + "/></r>";
}

QString Text(std::string_view xml, const ElementSpan &span)
{
    return QString::fromStdString(std::string(xml.substr(span.begin, span.end - span.begin)));
}

} // namespace

class XmlScanTest : public QObject
{
    Q_OBJECT

  private slots:
    void quotesHideMarkupOfTheOtherKind()
    {
        const std::string xml = "<r><a b=\">\" c='\"/>' d=\"'\"/><e f='>'>x</e></r>";
        ElementTree tree;
        engine::Error error;
        QVERIFY(engine::ScanDocument(xml, tree, error));
        QCOMPARE(int(tree.children.size()), 2);
        QCOMPARE(Text(xml, tree.children[0]), QString("<a b=\">\" c='\"/>' d=\"'\"/>"));
        QVERIFY(tree.children[0].selfClosing);
        QCOMPARE(Text(xml, tree.children[1]), QString("<e f='>'>x</e>"));
        QVERIFY(!tree.children[1].selfClosing);
        QCOMPARE(tree.children[1].startTagEnd, xml.find(">x") + 1);
    }

    void commentsInstructionsAndCdataAreSkipped()
    {
        const std::string xml = "\xEF\xBB\xBF<?xml version=\"1.0\"?><!-- <x> --><r><!-- </r> -->"
                                "<a><![CDATA[</a><b>]]></a><?pi <c>?><d/></r>";
        ElementTree tree;
        engine::Error error;
        QVERIFY(engine::ScanDocument(xml, tree, error));
        QCOMPARE(QString::fromStdString(std::string(tree.root.qualifiedName)), QString("r"));
        QCOMPARE(int(tree.children.size()), 2);
        QCOMPARE(Text(xml, tree.children[0]), QString("<a><![CDATA[</a><b>]]></a>"));
        QCOMPARE(Text(xml, tree.children[1]), QString("<d/>"));
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<ErrorCode>("code");
        const auto bytes = [](const std::string &text) { return QByteArray::fromStdString(text); };
        QTest::newRow("DOCTYPE") << QByteArray("<!DOCTYPE r><r/>") << ErrorCode::Unsupported;
        QTest::newRow("DOCTYPE inside")
            << QByteArray("<r><!ENTITY e 'x'></r>") << ErrorCode::Unsupported;
        QTest::newRow("unterminated comment") << QByteArray("<r><!-- </r>") << ErrorCode::Damaged;
        QTest::newRow("end tag first") << QByteArray("</r>") << ErrorCode::Damaged;
        QTest::newRow("other name, same length")
            << QByteArray("<r><ab></ba></r>") << ErrorCode::Damaged;
        QTest::newRow("other prefix") << QByteArray("<r><x:a></y:a></r>") << ErrorCode::Damaged;
        QTest::newRow("other root end") << QByteArray("<r><a/></q>") << ErrorCode::Damaged;
        QTest::newRow("tag without a name") << QByteArray("<r>< a/></r>") << ErrorCode::Damaged;
        QTest::newRow("'<' as the last byte") << QByteArray("<r><") << ErrorCode::Damaged;
        QTest::newRow("no end tag") << QByteArray("<r><a/>") << ErrorCode::Damaged;
        QTest::newRow("name to the end") << QByteArray("<r><abc") << ErrorCode::Damaged;
        QTest::newRow("'>' only inside an open quote")
            << QByteArray("<r><a b=\">") << ErrorCode::Damaged;
        QTest::newRow("quote closed by the other kind")
            << QByteArray("<r><a b=\"x'></a></r>") << ErrorCode::Damaged;
        QTest::newRow("too deep") << bytes(Nested(engine::limits::kMaxXmlDepth))
                                  << ErrorCode::LimitExceeded;
        QTest::newRow("too many values")
            << bytes(WithValues(engine::limits::kMaxXmlAttributes + 1)) << ErrorCode::LimitExceeded;
        // the count is reached before the tag turns out to be unterminated
        QTest::newRow("too many values, unterminated")
            << bytes("<r><a" + Repeated(" v=\"1\"", engine::limits::kMaxXmlAttributes) + " w=\"")
            << ErrorCode::LimitExceeded;
    }

    void refusals()
    {
        QFETCH(QByteArray, xml);
        QFETCH(ErrorCode, code);
        ElementTree tree;
        engine::Error error;
        QVERIFY(!engine::ScanDocument(xml.toStdString(), tree, error));
        QCOMPARE(error.code, code);
    }

    // A skimmed child ends at its own end tag, not at one that a comment,
    // CDATA section or instruction holds or that names a longer element;
    // its content is not read, the rest of the document is.
    void skimmedChildEndsAtItsOwnEndTag()
    {
        const std::string xml =
            "<x:r><x:d a='1'><row><!-- </x:d> --><![CDATA[</x:d>]]><?p </x:d>?><x:dd></x:dd >"
            "<c><x:d></c></x:d ><m><n/></m><x:d/><x:d></x:d></x:r>";
        ElementTree tree;
        engine::Error error;
        QVERIFY(engine::ScanDocumentSkimming(xml, "d", tree, error));
        QCOMPARE(int(tree.children.size()), 4);
        QCOMPARE(Text(xml, tree.children[0]).right(11), QString("</c></x:d >"));
        QCOMPARE(tree.children[0].startTagEnd, xml.find("<row>"));
        QCOMPARE(Text(xml, tree.children[1]), QString("<m><n/></m>"));
        QVERIFY(tree.children[2].selfClosing);
        QCOMPARE(Text(xml, tree.children[3]), QString("<x:d></x:d>"));
    }

    void skimmingStillRefuses_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<ErrorCode>("code");
        QTest::newRow("no end tag") << QByteArray("<r><d><row></r>") << ErrorCode::Damaged;
        QTest::newRow("end tag cut") << QByteArray("<r><d></d") << ErrorCode::Damaged;
        QTest::newRow("DOCTYPE inside")
            << QByteArray("<r><d><!ENTITY e 'x'></d></r>") << ErrorCode::Unsupported;
        QTest::newRow("comment holds the end")
            << QByteArray("<r><d><!-- </d></r>") << ErrorCode::Damaged;
        QTest::newRow("damage after it")
            << QByteArray("<r><d></d><a></b></r>") << ErrorCode::Damaged;
    }

    void skimmingStillRefuses()
    {
        QFETCH(QByteArray, xml);
        QFETCH(ErrorCode, code);
        ElementTree tree;
        engine::Error error;
        QVERIFY(!engine::ScanDocumentSkimming(xml.toStdString(), "d", tree, error));
        QCOMPARE(error.code, code);
    }

    void limitsAreReachedNotPassed()
    {
        ElementTree tree;
        engine::Error error;
        QVERIFY(engine::ScanDocument(Nested(engine::limits::kMaxXmlDepth - 1), tree, error));
        QVERIFY(engine::ScanDocument(WithValues(engine::limits::kMaxXmlAttributes), tree, error));
        QVERIFY(!error);
    }

    void childTreesHoldEachChildsChildren()
    {
        const std::string xml = "<w><a/><b><c x=\"1\"><d/></c><e/></b><f>text</f></w>";
        ElementTree tree;
        std::vector<ElementTree> childTrees;
        engine::Error error;
        QVERIFY(engine::ScanDocument(xml, tree, childTrees, error));
        QCOMPARE(int(childTrees.size()), 3);
        for (size_t i = 0; i < childTrees.size(); ++i) {
            QCOMPARE(childTrees[i].root.begin, tree.children[i].begin);
            QCOMPARE(childTrees[i].root.end, tree.children[i].end);
        }
        QVERIFY(childTrees[0].children.empty());
        QCOMPARE(childTrees[0].contentEnd, childTrees[0].root.end);
        const ElementTree &b = childTrees[1];
        QCOMPARE(int(b.children.size()), 2);
        QCOMPARE(Text(xml, b.children[0]), QString("<c x=\"1\"><d/></c>"));
        QCOMPARE(Text(xml, b.children[1]), QString("<e/>"));
        QCOMPARE(b.contentEnd, xml.find("</b>"));
        QVERIFY(childTrees[2].children.empty());
        QCOMPARE(childTrees[2].contentEnd, xml.find("</f>"));
    }

    void childrenOfAnElementFoundEarlier()
    {
        const std::string xml = "<w><row><c/><c><v>1</v></c></row><row/></w>";
        ElementTree tree;
        engine::Error error;
        QVERIFY(engine::ScanDocument(xml, tree, error));
        std::vector<ElementSpan> cells;
        QVERIFY(engine::ScanChildren(xml, tree.children[0], cells, error));
        QCOMPARE(int(cells.size()), 2);
        QCOMPARE(Text(xml, cells[1]), QString("<c><v>1</v></c>"));
        QVERIFY(engine::ScanChildren(xml, tree.children[1], cells, error));
        QVERIFY(cells.empty());
    }

    // Text read piece by piece may end anywhere: what is whole before the
    // cut is found as a whole scan finds it, and nothing cut off is.
    void piecesEndAnywhere()
    {
        const std::string content =
            "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c></row>\n<!-- a > b -->"
            "<row r=\"2\" x=\"a>b\"><c r=\"B2\"><is><t><![CDATA[</row>]]></t></is></c></row>"
            "<?pi x?><row r=\"3\"/>";
        const std::string xml = "<sheetData>" + content + "</sheetData><after/>";
        ElementTree whole;
        std::vector<ElementTree> wholeRows;
        engine::Error error;
        QVERIFY(engine::ScanDocument(xml.substr(0, xml.find("<after/>")), whole, wholeRows, error));
        for (size_t cut = 0; cut <= content.size() + 12; ++cut) {
            const std::string piece = xml.substr(11, cut);
            std::vector<ElementTree> rows;
            size_t contentEnd = 0;
            bool closed = false;
            QVERIFY2(engine::ScanWholeChildren(piece, "sheetData", rows, contentEnd, closed, error),
                     error.message.c_str());
            QCOMPARE(closed, cut >= content.size() + 12);
            QVERIFY(rows.size() <= wholeRows.size());
            for (size_t i = 0; i < rows.size(); ++i) {
                QCOMPARE(rows[i].root.end + 11, wholeRows[i].root.end);
                QCOMPARE(rows[i].children.size(), wholeRows[i].children.size());
                QVERIFY(rows[i].root.end <= cut);
            }
            const size_t wholeBefore =
                std::count_if(wholeRows.begin(), wholeRows.end(),
                              [&](const ElementTree &row) { return row.root.end <= cut + 11; });
            QCOMPARE(rows.size(), wholeBefore);
            if (closed)
                QCOMPARE(contentEnd, content.size());
        }
    }

    void piecesStillRefuseDamage()
    {
        std::vector<ElementTree> rows;
        size_t contentEnd = 0;
        bool closed = false;
        engine::Error error;
        QVERIFY(!engine::ScanWholeChildren("<row></c></row>", "sheetData", rows, contentEnd, closed,
                                           error));
        QCOMPARE(error.code, ErrorCode::Damaged);
        QVERIFY(!engine::ScanWholeChildren("<row/><!DOCTYPE x>", "sheetData", rows, contentEnd,
                                           closed, error));
        QCOMPARE(error.code, ErrorCode::Unsupported);
    }

    void documentStartKeepsTheChildBeingRead()
    {
        const std::string xml =
            "<?xml version=\"1.0\"?><worksheet><cols><col min=\"1\"/></cols><sheetData>"
            "<row r=\"1\"/><row r=\"2\"><c/></row><row r=\"3\"><c";
        ElementTree tree;
        std::vector<ElementTree> trees;
        bool complete = true;
        engine::Error error;
        QVERIFY(engine::ScanDocumentStart(xml, tree, trees, complete, error));
        QVERIFY(!complete);
        QCOMPARE(int(tree.children.size()), 1); // cols
        QCOMPARE(int(trees.size()), 2);         // and sheetData, being read
        QCOMPARE(trees[1].root.LocalName(), std::string_view("sheetData"));
        const std::vector<ElementSpan> &rows = trees[1].children;
        QCOMPARE(int(rows.size()), 3);
        QVERIFY(rows[0].selfClosing);
        QVERIFY(rows[1].end > rows[1].startTagEnd);
        QVERIFY(!rows[2].selfClosing && rows[2].end == rows[2].startTagEnd); // cut off
        QVERIFY(engine::ScanDocumentStart(xml + "/></row></sheetData></worksheet>", tree, trees,
                                          complete, error));
        QVERIFY(complete);
    }
};

QTEST_APPLESS_MAIN(XmlScanTest)
#include "test_xml_scan.moc"
