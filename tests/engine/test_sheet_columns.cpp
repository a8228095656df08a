// Column widths set on parts of existing column ranges: the other attributes
// stay, ranges never overlap, equal neighbours join.
#include "sheet/sheet_columns.h"

#include <QtTest>

using engine::ColumnSet;

namespace
{

ColumnSet Loaded(const char *cols)
{
    ColumnSet set;
    engine::Error error;
    if (!set.Load(cols, error))
        qFatal("%s", error.message.c_str());
    return set;
}

QString Text(const ColumnSet &set)
{
    return QString::fromStdString(set.Serialise());
}

} // namespace

class SheetColumnsTest : public QObject
{
    Q_OBJECT

  private slots:
    void widthInsideARangeSplitsItAndKeepsItsAttributes()
    {
        ColumnSet set = Loaded("<cols><col min=\"1\" max=\"5\" width=\"9\" customWidth=\"1\" "
                               "style=\"3\" hidden=\"1\" outlineLevel=\"1\"/></cols>");
        set.SetWidth(2, 3, "20.5");
        QCOMPARE(Text(set),
                 QString("<cols>"
                         "<col min=\"1\" max=\"1\" width=\"9\" customWidth=\"1\" style=\"3\" "
                         "hidden=\"1\" outlineLevel=\"1\"/>"
                         "<col min=\"2\" max=\"3\" width=\"20.5\" customWidth=\"1\" style=\"3\" "
                         "hidden=\"1\" outlineLevel=\"1\"/>"
                         "<col min=\"4\" max=\"5\" width=\"9\" customWidth=\"1\" style=\"3\" "
                         "hidden=\"1\" outlineLevel=\"1\"/>"
                         "</cols>"));
        QCOMPARE(set.Style(3), 3u);
        QCOMPARE(set.Style(6), 0u);
    }

    void gapsGetNewRangesAndEqualNeighboursJoin()
    {
        ColumnSet set =
            Loaded("<x:cols><x:col min=\"2\" max=\"2\" width=\"7\"/>"
                   "<x:col min=\"6\" max=\"6\" width=\"4\" customWidth=\"1\"/></x:cols>");
        set.SetWidth(1, 7, "4");
        QCOMPARE(Text(set), QString("<x:cols><x:col min=\"1\" max=\"7\" width=\"4\" "
                                    "customWidth=\"1\"/></x:cols>"));
    }

    void emptySetGainsAnElementOnlyWhenWritten()
    {
        ColumnSet set = Loaded("");
        QCOMPARE(Text(set), QString());
        set.SetWidth(16384, 16384, "3");
        QCOMPARE(Text(set), QString("<cols><col min=\"16384\" max=\"16384\" width=\"3\" "
                                    "customWidth=\"1\"/></cols>"));
    }

    void overlappingInputIsClippedSoTheFirstRangeWins()
    {
        ColumnSet set = Loaded("<cols><col min=\"1\" max=\"4\" width=\"5\"/>"
                               "<col min=\"3\" max=\"6\" width=\"8\"/></cols>");
        QCOMPARE(int(set.Ranges().size()), 2);
        QCOMPARE(set.Ranges()[1].first, 5u);
        QCOMPARE(set.Find(4)->Attribute("width"), std::string("5"));
        QCOMPARE(set.Find(6)->Attribute("width"), std::string("8"));
        QVERIFY(set.Find(7) == nullptr);
    }
};

QTEST_APPLESS_MAIN(SheetColumnsTest)
#include "test_sheet_columns.moc"
