// Fragments appended together and text written into a printed document: the
// same text as appending and printing one piece at a time.
#include "xml/xml_fragment.h"

#include <QtTest>

#include <pugixml.hpp>

#include <string>
#include <vector>

Q_DECLARE_METATYPE(std::vector<std::string>)

namespace
{

const char *const kParent = "<x:root xmlns:x=\"urn:x\"><x:list><x:item n=\"0\"/></x:list></x:root>";

void Parse(pugi::xml_document &document, const char *text)
{
    if (!document.load_string(text))
        qFatal("fixture does not parse");
}

pugi::xml_node List(pugi::xml_document &document)
{
    return document.document_element().first_child();
}

struct Appended {
    std::string text;
    std::vector<std::string> added; // what each append returned, printed
};

Appended Printed(pugi::xml_document &document, const std::vector<pugi::xml_node> &added)
{
    Appended result{engine::SavedText(document), {}};
    for (const pugi::xml_node &node : added)
        result.added.push_back(node ? engine::RawText(node) : "(none)");
    return result;
}

Appended OneByOne(const std::vector<std::string> &fragments)
{
    pugi::xml_document document;
    Parse(document, kParent);
    std::vector<pugi::xml_node> added;
    for (const std::string &fragment : fragments)
        added.push_back(engine::AppendFragment(List(document), fragment, "x:"));
    return Printed(document, added);
}

Appended Together(const std::vector<std::string> &fragments)
{
    pugi::xml_document document;
    Parse(document, kParent);
    std::string joined;
    std::vector<std::size_t> ends;
    for (const std::string &fragment : fragments)
        ends.push_back((joined += fragment).size());
    std::vector<pugi::xml_node> added;
    engine::AppendFragments(List(document), joined, ends, "x:", added);
    return Printed(document, added);
}

} // namespace

class XmlFragmentTest : public QObject
{
    Q_OBJECT

  private slots:
    void appendingTogetherEqualsOneByOne_data()
    {
        QTest::addColumn<std::vector<std::string>>("fragments");
        QTest::newRow("elements") << std::vector<std::string>{
            "<item n=\"1\"><sub>a &amp; b</sub></item>", "<item n=\"2\"/>", "<item> </item>"};
        QTest::newRow("one empty") << std::vector<std::string>{"<item/>", "", "<item n=\"3\"/>"};
        QTest::newRow("two in one") << std::vector<std::string>{"<item/><item/>", "<item/>"};
        QTest::newRow("text") << std::vector<std::string>{"<item/>", "plain", "<item/>"};
        QTest::newRow("split element") << std::vector<std::string>{"<item>", "</item>"};
        QTest::newRow("broken") << std::vector<std::string>{"<item/>", "<item", "<item/>"};
    }

    void appendingTogetherEqualsOneByOne()
    {
        QFETCH(std::vector<std::string>, fragments);
        const Appended one = OneByOne(fragments);
        const Appended together = Together(fragments);
        QCOMPARE(together.text, one.text);
        QCOMPARE(together.added, one.added);
    }

    void textIsWrittenAfterEachParentsChildren()
    {
        pugi::xml_document document;
        Parse(document, "<root><a><b/></a><c/><d>t</d></root>");
        const std::string before = engine::SavedText(document);
        pugi::xml_node root = document.document_element();
        const std::string intoA = "<new/>", intoC = "<more>1</more><more>2</more>";
        std::string text;
        QVERIFY(engine::SavedTextWith(
            document, {{root.child("c"), &intoC}, {root.child("a"), &intoA}}, text));
        QCOMPARE(text, before.substr(0, before.find("<root>")) +
                           "<root><a><b/><new/></a><c><more>1</more><more>2</more></c><d>t</d>"
                           "</root>");
        QCOMPARE(engine::SavedText(document), before);
    }

    // Content that reads like a place mark makes the places unknown.
    void markLookalikesInTheDocumentAreRefused()
    {
        pugi::xml_document document;
        Parse(document, "<root><a/><b><![CDATA[<?sheetwright-insert-0?>]]></b></root>");
        const std::string before = engine::SavedText(document);
        const std::string inserted = "<new/>";
        std::string text;
        QVERIFY(!engine::SavedTextWith(
            document, {{document.document_element().child("a"), &inserted}}, text));
        QCOMPARE(engine::SavedText(document), before);
        QVERIFY(engine::SavedTextWith(document, {}, text));
        QCOMPARE(text, before);
    }
};

QTEST_APPLESS_MAIN(XmlFragmentTest)
#include "test_xml_fragment.moc"
