// What the window counts and says about a run: the summary's counts, the
// stopped run's rest, the troubles listed and the times on the progress bar.

#include "ui/run_tally.h"

#include <QtTest>

class RunTallyTest : public QObject
{
    Q_OBJECT

  private slots:
    void countsEachWayAWorkbookEnds();
    void durationsReadAsClockTimes_data();
    void durationsReadAsClockTimes();
};

void RunTallyTest::countsEachWayAWorkbookEnds()
{
    RunTally tally;
    tally.Start(5);
    QCOMPARE(tally.ProgressText(), QStringLiteral("0 / 5    已用 0:00"));
    tally.Finish("/b/a.xlsx", WorkbookOutcome::Done, QString());
    tally.Finish("/b/b.xlsx", WorkbookOutcome::Unchanged, QString());
    tally.Finish("/b/c.xlsx", WorkbookOutcome::Failed, "the package has encrypted entries");
    QCOMPARE(tally.Finished(), 3);
    QVERIFY2(tally.ProgressText().startsWith("3 / 5    已用 0:00    剩余约 0:0"),
             qPrintable(tally.ProgressText()));
    QCOMPARE(tally.EndText(false), QStringLiteral("失败1个，未改动1个。"));
    QCOMPARE(tally.EndText(true),
             QStringLiteral("失败1个，未改动1个。已停止：其余2个文件未做改动，见“详情”。"));
    // A stopped run estimates nothing more.
    tally.End();
    QCOMPARE(tally.ProgressText(), QStringLiteral("3 / 5    已用 0:00"));

    const QList<WorkbookTrouble> troubles = tally.Troubles();
    QCOMPARE(troubles.size(), 2);
    QCOMPARE(troubles[0].path, QStringLiteral("/b/b.xlsx"));
    QVERIFY(troubles[0].reason.startsWith(QStringLiteral("未改动：")));
    QCOMPARE(troubles[1].reason, QStringLiteral("文件已加密（有密码保护）"));
    QCOMPARE(troubles[1].detail, QStringLiteral("the package has encrypted entries"));

    // A new run forgets the last one.
    tally.Start(2);
    QCOMPARE(tally.EndText(false), QStringLiteral("失败0个，未改动0个。"));
    QVERIFY(tally.Troubles().isEmpty());
    // A run without workbooks has no counts to add to its text.
    tally.Start(0);
    QCOMPARE(tally.EndText(false), QString());
}

void RunTallyTest::durationsReadAsClockTimes_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing") << qint64(0) << "0:00";
    QTest::newRow("minutes") << qint64(605) << "10:05";
    QTest::newRow("last minute of the hour") << qint64(3599) << "59:59";
    QTest::newRow("hours") << qint64(3723) << "1:02:03";
}

void RunTallyTest::durationsReadAsClockTimes()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(DurationText(seconds), text);
}

QTEST_GUILESS_MAIN(RunTallyTest)
#include "test_run_tally.moc"
