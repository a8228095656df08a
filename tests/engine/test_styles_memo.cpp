// Style tables answered from a run's memo: every answer is the one the real
// table gives for the same calls, however the calls differ from the record.
#include "parts/styles_memo.h"
#include "style_fixtures.h"

#include <QtTest>

#include <atomic>
#include <sstream>
#include <thread>

using engine::MemoisedStyles;
using engine::StyleCall;
using engine::StylesPart;
using engine::StylesRecord;
using engine::StyleTableMemo;
using engine::StyleValue;

namespace
{

using Results = std::vector<std::string>;

const std::string kOtherTarget = [] {
    std::string text = kTarget;
    return text.replace(text.find("FF123456"), 8, "FF123457");
}();

template <typename Table> void Load(Table &table, const std::string &xml)
{
    engine::Error error;
    if (!table.Load(xml, error))
        qFatal("%s", error.message.c_str());
}

const StylesPart &Source()
{
    static const StylesPart source = [] {
        StylesPart part;
        Load(part, kTemplate);
        return part;
    }();
    return source;
}

// Runs a script of calls on `table`: "s1" interns the template's cell format
// 1, "d0" its dxf 0, "c" asks whether the table changed, "t" serialises.
template <typename Table> Results Run(Table &table, const std::string &script)
{
    Results results;
    std::istringstream steps(script);
    for (std::string step; steps >> step;) {
        const int index = step.size() > 1 ? std::stoi(step.substr(1)) : 0;
        switch (step[0]) {
        case 's':
            results.push_back(std::to_string(table.Intern(Source().Resolve(index))));
            break;
        case 'd':
            results.push_back(std::to_string(table.InternDxf(Source().ResolveDxf(index))));
            break;
        case 'c':
            results.push_back(table.Changed() ? "changed" : "unchanged");
            break;
        case 't':
            results.push_back(table.Serialise());
            break;
        }
    }
    return results;
}

Results Fresh(const std::string &script, const std::string &original = kTarget)
{
    StylesPart table;
    Load(table, original);
    return Run(table, script);
}

// The table's record goes to the memo when it is destroyed, here.
Results Memoised(StyleTableMemo &memo, const std::string &script,
                 const std::string &original = kTarget)
{
    MemoisedStyles table(&memo);
    Load(table, original);
    return Run(table, script);
}

// A record no real table could have made: answers that come from it prove
// the memo answered.
std::shared_ptr<const StylesRecord> Planted(StyleTableMemo &memo, const std::string &original,
                                            int internResult, const std::string &text)
{
    auto record = std::make_shared<StylesRecord>();
    record->original = original;
    record->values.push_back(memo.Pooled(std::make_shared<const StyleValue>(Source().Resolve(1))));
    record->texts.push_back(text);
    record->calls = {{StyleCall::Kind::Intern, 0, internResult},
                     {StyleCall::Kind::Serialise, 0, 0}};
    return record;
}

} // namespace

class StylesMemoTest : public QObject
{
    Q_OBJECT

  private slots:
    void repeatedCallsAreAnsweredFromTheRecord()
    {
        StyleTableMemo memo;
        memo.Keep(Planted(memo, "not even xml", 42, "recorded text"));
        MemoisedStyles table(&memo);
        Load(table, "not even xml");
        QCOMPARE(Run(table, "s1 t"), (Results{"42", "recorded text"}));
    }

    // The values a snapshot shares are answered by address, copies by value.
    void sharedValuesAreAnsweredFromTheRecord()
    {
        StyleTableMemo memo;
        std::shared_ptr<const StylesRecord> record = Planted(memo, "not even xml", 42, "");
        const std::shared_ptr<const StyleValue> held = record->values.front();
        memo.Keep(record);
        for (const auto &value : {held, std::make_shared<const StyleValue>(*held)}) {
            MemoisedStyles table(&memo);
            Load(table, "not even xml");
            QCOMPARE(table.InternShared(value), 42);
        }
    }

    // An address names a pooled value only while that value lives.
    void poolingKnowsAValueByItsAddressOnlyWhileItLives()
    {
        StyleTableMemo memo;
        // Not made with make_shared, so that memory goes when the value does.
        std::shared_ptr<const StyleValue> first(new StyleValue(Source().Resolve(1)));
        QVERIFY(memo.Pooled(first) == first);
        QVERIFY(memo.Pooled(std::make_shared<const StyleValue>(*first)) == first);
        const StyleValue *address = first.get();
        first.reset();
        std::shared_ptr<const StyleValue> second(new StyleValue(Source().Resolve(2)));
        if (second.get() != address)
            QWARN("the address was not used again: nothing to tell apart");
        QVERIFY(memo.Pooled(second) == second);
        QVERIFY(memo.Pooled(std::make_shared<const StyleValue>(*second)) == second);
    }

    void answersEqualTheRealTable_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("same calls") << "s1 s2 d0 s3 s1 c t";
        QTest::newRow("other value") << "s1 s3 d0 c t";
        QTest::newRow("other kind first") << "d0 s1 c t";
        QTest::newRow("fewer calls") << "s1 s2 c t";
        QTest::newRow("no interning") << "c";
        QTest::newRow("more calls") << "s1 s2 d0 s3 s1 s0 c t";
        QTest::newRow("serialised midway") << "s1 c t s2 d0 c t";
    }

    // After the record of one sequence, each script runs twice: first against
    // that record, then against its own.
    void answersEqualTheRealTable()
    {
        QFETCH(QString, script);
        StyleTableMemo memo;
        Memoised(memo, "s1 s2 d0 s3 s1 c t");
        const Results fresh = Fresh(script.toStdString());
        QCOMPARE(Memoised(memo, script.toStdString()), fresh);
        QCOMPARE(Memoised(memo, script.toStdString()), fresh);
        QCOMPARE(Memoised(memo, "s1 s2 d0 s3 s1 c t"), Fresh("s1 s2 d0 s3 s1 c t"));
    }

    void readsSeeTheCallsAnsweredBeforeThem()
    {
        const Results fresh = Fresh("s2 s1 c t");
        StyleTableMemo memo;
        Memoised(memo, "s2 s1 c t");
        MemoisedStyles table(&memo);
        Load(table, kTarget);
        const int index = table.Intern(Source().Resolve(2));
        QCOMPARE(std::to_string(index), fresh[0]);
        engine::Error error;
        const StylesPart *live = table.Live(error);
        QVERIFY(live);
        QVERIFY(live->Resolve(index) == Source().Resolve(2));
        QCOMPARE(live->CellXfCount(), index + 1);
        QCOMPARE(Run(table, "s1 c t"), Results(fresh.begin() + 1, fresh.end()));
    }

    void otherTextsAreNotAnswered()
    {
        StyleTableMemo memo;
        memo.Keep(Planted(memo, kTarget, 42, "recorded text"));
        QCOMPARE(Memoised(memo, "s1 t", kOtherTarget), Fresh("s1 t", kOtherTarget));
        QCOMPARE(memo.RecordsOf(kOtherTarget).size(), size_t(1));
        QCOMPARE(memo.RecordsOf(kTarget).front()->texts.front(), std::string("recorded text"));
    }

    void aRecordOthersCoverIsNotKeptTwice()
    {
        StyleTableMemo memo;
        Memoised(memo, "s1 s2 c t");
        Memoised(memo, "s1 s2 c t");
        Memoised(memo, "s1 s2");
        QCOMPARE(memo.RecordsOf(kTarget).size(), size_t(1));
    }

    // Kept records tell their values apart by the pooled copies they hold.
    void aRecordWithOtherValuesIsKeptBeside()
    {
        StyleTableMemo memo;
        Memoised(memo, "s1 s2 c t");
        Memoised(memo, "s1 s3 c t");
        QCOMPARE(memo.RecordsOf(kTarget).size(), size_t(2));
        memo.Keep(Planted(memo, "planted", 42, "recorded text"));
        memo.Keep(Planted(memo, "planted", 42, "recorded text")); // pooled anew, held by the first
        QCOMPARE(memo.RecordsOf("planted").size(), size_t(1));
    }

    void theLeastRecentlyUsedRecordGoesPastTheBudget()
    {
        const std::string a(1000, 'a'), b(1000, 'b'), c(1000, 'c');
        StyleTableMemo probe;
        StyleTableMemo memo(2 * Planted(probe, a, 1, "")->Bytes() + 10);
        memo.Keep(Planted(memo, a, 1, ""));
        memo.Keep(Planted(memo, b, 1, ""));
        QCOMPARE(memo.RecordsOf(a).size(), size_t(1));
        memo.Keep(Planted(memo, c, 1, ""));
        QVERIFY(memo.RecordsOf(b).empty());
        QCOMPARE(memo.RecordsOf(a).size(), size_t(1));
        QCOMPARE(memo.RecordsOf(c).size(), size_t(1));
        memo.Keep(Planted(memo, b, 1, std::string(3000, 'x'))); // larger than the budget
        QVERIFY(memo.RecordsOf(b).empty());
        QCOMPARE(memo.RecordsOf(a).size(), size_t(1));
    }

    void recordsShareTheirStyleValues()
    {
        StyleTableMemo memo;
        Memoised(memo, "s1 s2 c t");
        Memoised(memo, "s2 s1 c t", kOtherTarget);
        const StylesRecord &first = *memo.RecordsOf(kTarget).front();
        const StylesRecord &second = *memo.RecordsOf(kOtherTarget).front();
        QCOMPARE(first.values.size(), size_t(2));
        QVERIFY(first.values[0] == second.values[1]);
        QVERIFY(first.values[1] == second.values[0]);
    }

    void aRecordThatCannotBeReloadedMakesTheTableUnsound()
    {
        StyleTableMemo memo;
        memo.Keep(Planted(memo, "not even xml", 42, "recorded text"));
        MemoisedStyles table(&memo);
        Load(table, "not even xml");
        engine::Error error;
        QVERIFY(table.Sound(error));
        table.Intern(Source().Resolve(1));
        QVERIFY(table.Sound(error));
        table.Intern(Source().Resolve(2)); // not recorded: the real table is needed
        QVERIFY(!table.Sound(error));
        QVERIFY(error);
    }

    void lanesOfOneRunShareTheMemo()
    {
        StyleTableMemo memo;
        const std::pair<std::string, std::string> jobs[] = {
            {"s1 s2 d0 c t", kTarget}, {"s3 s1 c t", kTarget}, {"s1 s2 d0 c t", kOtherTarget}};
        Results expected[std::size(jobs)];
        for (std::size_t i = 0; i < std::size(jobs); ++i)
            expected[i] = Fresh(jobs[i].first, jobs[i].second);
        std::atomic<int> wrong{0};
        auto lane = [&](std::size_t first) {
            for (std::size_t n = 0; n < 60; ++n) {
                const std::size_t i = (first + n) % std::size(jobs);
                if (Memoised(memo, jobs[i].first, jobs[i].second) != expected[i])
                    ++wrong;
            }
        };
        std::thread one(lane, 0), two(lane, 1);
        one.join();
        two.join();
        QCOMPARE(wrong.load(), 0);
        QVERIFY(memo.RecordsOf(kTarget).size() >= 2); // lanes racing may keep one twice
    }
};

QTEST_APPLESS_MAIN(StylesMemoTest)
#include "test_styles_memo.moc"
