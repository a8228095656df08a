// Carrying cell formats between style tables: nothing lost, nothing doubled.
#include "parts/styles_part.h"
#include "style_fixtures.h"

#include <QtTest>

using engine::StylesPart;

namespace
{

StylesPart Loaded(const char *xml)
{
    StylesPart part;
    engine::Error error;
    if (!part.Load(xml, error))
        qFatal("%s", error.message.c_str());
    return part;
}

// kTemplate with records that kTemplate itself lacks.
std::string Varied(const std::string &font, const std::string &fill)
{
    std::string text = kTemplate;
    text.replace(text.find("Arial"), 5, font);
    return text.replace(text.find("FFFFFF00"), 8, fill);
}

// Every format and the dxf of `source` interned into `target`, then written.
// Reading each right after interning it gives the tree every record before
// the table is written.
std::string Interned(const std::string &target, const std::string &source, bool readEach)
{
    StylesPart from = Loaded(source.c_str());
    StylesPart table = Loaded(target.c_str());
    for (int i = 0; i < from.CellXfCount(); ++i) {
        const int index = table.Intern(from.Resolve(i));
        if (readEach)
            table.Resolve(index);
    }
    const int dxf = table.InternDxf(from.ResolveDxf(0));
    if (readEach)
        table.ResolveDxf(dxf);
    return table.Serialise();
}

} // namespace

Q_DECLARE_METATYPE(std::string)

class StylesPartTest : public QObject
{
    Q_OBJECT

  private slots:
    void internCarriesEveryFacetIntoAnotherPrefix()
    {
        StylesPart source = Loaded(kTemplate);
        StylesPart target = Loaded(kTarget);
        const int index = target.Intern(source.Resolve(1));
        QCOMPARE(index, 1);
        const QString xml = QString::fromStdString(target.Serialise());
        QVERIFY(xml.contains(R"(<numFmt formatCode="0.000%" numFmtId="171"/>)") ||
                xml.contains(R"(<numFmt numFmtId="171" formatCode="0.000%"/>)"));
        QVERIFY(xml.contains(
            R"(<font><b/><color theme="4"/><sz val="14"/><name val="Arial"/></font>)"));
        QVERIFY(xml.contains(R"(<fgColor rgb="FFFFFF00"/>)"));
        QVERIFY(xml.contains(R"(<left style="thin"/>)"));
        QVERIFY(xml.contains(
            R"(<alignment horizontal="center" wrapText="1"/><protection locked="0"/>)"));
        QVERIFY(!xml.contains("x:"));
        QVERIFY(xml.contains(R"(<cellXfs count="2">)"));
        QVERIFY(xml.contains(R"(<fonts count="2" x14ac:knownFonts="1">)"));
        // the resolved value survives the trip unchanged
        QVERIFY(target.Resolve(index) == source.Resolve(1));
    }

    // Interning may name a parent record that formats resolved before share:
    // resolving them again tells the new name.
    void resolvingFollowsWhatInterningAdds()
    {
        std::string unnamed = kTarget;
        const size_t styles = unnamed.find("<cellStyles");
        unnamed.erase(styles, unnamed.find("</cellStyles>") + 13 - styles);
        StylesPart target = Loaded(unnamed.c_str());
        QVERIFY(target.Resolve(0).hasParent);
        QCOMPARE(target.Resolve(0).cellStyleName, std::string());
        StylesPart source = Loaded(kTemplate);
        QCOMPARE(target.Intern(source.Resolve(0)), 0);
        QCOMPARE(target.Resolve(0).cellStyleName, std::string("Normal"));
        QVERIFY(target.Resolve(0) == source.Resolve(0));
    }

    void internReusesWhatIsAlreadyThere()
    {
        StylesPart source = Loaded(kTemplate);
        StylesPart target = Loaded(kTarget);
        QCOMPARE(target.Intern(source.Resolve(0)), 0);
        QVERIFY(!target.Changed());
        const int first = target.Intern(source.Resolve(1));
        const std::string once = target.Serialise();
        QCOMPARE(target.Intern(source.Resolve(1)), first);
        QCOMPARE(target.Serialise(), once);
        // a second template with equal records maps onto the same entries
        StylesPart again = Loaded(kTemplate);
        QCOMPARE(target.Intern(again.Resolve(1)), first);
    }

    // Records a table already holds twice count for two: a record added after
    // them takes the next free index, not the number of distinct records.
    void addedRecordsFollowDuplicatesAlreadyThere()
    {
        std::string doubled = kTarget;
        const std::string font = "<font><sz val=\"11\"/><name val=\"Calibri\"/></font>";
        doubled.replace(doubled.find(font), font.size(), font + font);
        const std::string xf = R"(<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)";
        doubled.replace(doubled.find(xf), xf.size(), xf + xf);
        StylesPart source = Loaded(kTemplate);
        StylesPart target = Loaded(doubled.c_str());
        const int index = target.Intern(source.Resolve(1));
        QCOMPARE(index, 2);
        const QString xml = QString::fromStdString(target.Serialise());
        QVERIFY(xml.contains(R"(<cellXfs count="3">)"));
        QVERIFY(xml.contains(R"(<fonts count="3" x14ac:knownFonts="1">)"));
        QVERIFY(target.Resolve(index) == source.Resolve(1));
    }

    void numberFormatsKeepBuiltInIdsAndRenumberCustomOnes()
    {
        StylesPart source = Loaded(kTemplate);
        StylesPart target = Loaded(kTarget);
        target.Intern(source.Resolve(2)); // built-in 14
        target.Intern(source.Resolve(3)); // 7 redefined by the template
        const QString xml = QString::fromStdString(target.Serialise());
        QVERIFY(xml.contains(R"(numFmtId="14")"));
        QVERIFY(xml.contains(R"(numFmtId="171")"));
        QVERIFY(xml.contains("formatCode=\"#,##0.0\""));
        QVERIFY(!xml.contains(R"(numFmtId="7")"));
        QVERIFY(target.Resolve(2) == source.Resolve(3));
    }

    void namedCellStyleTravelsOnce()
    {
        StylesPart source = Loaded(kTemplate);
        StylesPart target = Loaded(kTarget);
        const int index = target.Intern(source.Resolve(2));
        target.Intern(source.Resolve(2));
        const QString xml = QString::fromStdString(target.Serialise());
        QCOMPARE(xml.count(R"(name="Heading")"), 1);
        QVERIFY(xml.contains(R"(<cellStyleXfs count="2">)"));
        QCOMPARE(target.Resolve(index).cellStyleName, std::string("Heading"));
    }

    void missingCollectionsAreCreatedInSchemaOrderAndUnknownPartsKept()
    {
        StylesPart source = Loaded(kTemplate);
        StylesPart target = Loaded(kTarget);
        QCOMPARE(target.InternDxf(source.ResolveDxf(0)), 0);
        QCOMPARE(target.InternDxf(source.ResolveDxf(0)), 0);
        const QString xml = QString::fromStdString(target.Serialise());
        const int dxfs = xml.indexOf("<dxfs count=\"1\">");
        QVERIFY(dxfs > xml.indexOf("</cellStyles>"));
        QVERIFY(dxfs < xml.indexOf("<tableStyles"));
        QVERIFY(xml.contains(R"(<colors><mruColors><color rgb="FF123456"/></mruColors></colors>)"));
        QVERIFY(xml.contains(R"(mc:Ignorable="x14ac")"));
        QVERIFY(xml.contains("{EB79DEF2-80B8-43e5-95BD-54CBDDF9020C}"));
        QVERIFY(xml.startsWith(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"));
    }

    void recordsAddedAreWrittenAsTheTreeWritesThem_data()
    {
        QTest::addColumn<std::string>("target");
        QTest::addColumn<std::string>("source");
        QTest::newRow("plain table") << std::string(kTarget) << std::string(kTemplate);
        QTest::newRow("prefixed table") << std::string(kTemplate) << Varied("Verdana", "FF00FF00");
        QTest::newRow("line ends in a record")
            << std::string(kTarget)
            << Varied("A&#13;B\" /><x:scheme val=\"minor\"/>x&#13;&#10;y<x:u val=\"C", "FF00FF00");
    }

    void recordsAddedAreWrittenAsTheTreeWritesThem()
    {
        QFETCH(std::string, target);
        QFETCH(std::string, source);
        const std::string written = Interned(target, source, false);
        QCOMPARE(written, Interned(target, source, true));
        QVERIFY(written.find("FF00FF00") != std::string::npos || source == kTemplate);
    }

    // Ids go in among the xf's own attributes in byte order of names.
    void idsAreWrittenInAmongTheOwnAttributes()
    {
        std::string text = kTemplate;
        const std::string plain =
            R"(<x:xf numFmtId="7" fontId="0" fillId="0" borderId="0" xfId="0"/>)";
        text.replace(
            text.find(plain), plain.size(),
            R"(<x:xf quotePrefix="1" numFmtId="7" fontId="0" fillId="0" borderId="0" )"
            R"(xfId="0" applyAlignment="1" pivotButton="1"><x:alignment indent="1"/></x:xf>)");
        StylesPart source = Loaded(text.c_str());
        StylesPart target = Loaded(kTarget);
        const int index = target.Intern(source.Resolve(3));
        QVERIFY(QString::fromStdString(target.Serialise())
                    .contains(R"(<xf applyAlignment="1" borderId="0" fillId="0" fontId="0" )"
                              R"(numFmtId="171" pivotButton="1" quotePrefix="1" xfId="0">)"
                              R"(<alignment indent="1"/></xf>)"));
        QVERIFY(target.Resolve(index) == source.Resolve(3));
    }

    void tablesWrittenTwiceCountWhatWasAddedBetween()
    {
        StylesPart source = Loaded(kTemplate);
        StylesPart target = Loaded(kTarget);
        target.Intern(source.Resolve(1));
        const QString once = QString::fromStdString(target.Serialise());
        QVERIFY(once.contains(R"(<cellXfs count="2">)"));
        QVERIFY(once.contains(R"(<fonts count="2" x14ac:knownFonts="1">)"));
        QVERIFY(once.contains(R"(<borders count="2"><border/><border><left style="thin"/>)"
                              R"(</border></borders>)"));
        target.Intern(source.Resolve(3));
        target.InternDxf(source.ResolveDxf(0));
        const QString twice = QString::fromStdString(target.Serialise());
        QVERIFY(twice.contains(R"(<cellXfs count="3">)"));
        QVERIFY(twice.contains(R"(<dxfs count="1"><dxf><font><color rgb="FF9C0006"/></font>)"
                               R"(</dxf></dxfs><tableStyles)"));
        QCOMPARE(twice.count("<xf "), 4);
        QCOMPARE(twice.count("<font>"), 3);
    }

    void garbageIsRefused()
    {
        StylesPart part;
        engine::Error error;
        QVERIFY(!part.Load("<workbook/>", error));
        QVERIFY(!part.Load("<styleSheet><fonts>", error));
        QVERIFY(!part.Load("<!DOCTYPE x [<!ENTITY a \"b\">]><styleSheet/>", error));
        QVERIFY(error);
    }
};

QTEST_APPLESS_MAIN(StylesPartTest)
#include "test_styles_part.moc"
