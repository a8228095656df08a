// The unmerge run, through the recording backend.

#include "history/file_links.h"
#include "worker/run_options.h"
#include "worker_test_support.h"

#include <QTemporaryDir>
#include <QtTest>


class UnmergeRunTest : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void unmergesEverySheetInOrder();
    void onlyFirstSheetLimitsToSheetOne();
    void appointedSheetMatchesExactName();
    void onlyFirstSheetWithAppointedSheetLooksAtSheetOneOnly();
    void emptyAppointedNameSavesEveryWorkbookUnchanged();
    void workbookThatDoesNotOpenIsAFailure();
    void failedSaveIsAFailure();
    void workbookWithLockFileIsNotOpened_data();
    void workbookWithLockFileIsNotOpened();
    void sheetWithoutCellsIsPassedOver();
    void emptyFolderStillStartsAndQuits();
    void eachFileHasOneTurnWhateverItsNames();

  private:
    QString Path(const QString &name) const { return root_->path() + QLatin1Char('/') + name; }
    RunRecord Run() { return RunOn(*worker_, backend_, &MergeObject::UnMerge); }
    QStringList UnmergedRanges() const;

    std::unique_ptr<QTemporaryDir> root_;
    std::unique_ptr<MergeObject> worker_;
    RecordingBackend backend_;
};

void UnmergeRunTest::init()
{
    root_ = std::make_unique<QTemporaryDir>();
    worker_ = std::make_unique<MergeObject>("tem", nullptr);
    backend_ = RecordingBackend();
    ResetRunOptions(root_->path());
}

QStringList UnmergeRunTest::UnmergedRanges() const
{
    QStringList ranges;
    for (const RecordedCall &call : backend_.Calls()) {
        if (call.member == "UnMerge()")
            ranges << call.object;
    }
    return ranges;
}

void UnmergeRunTest::unmergesEverySheetInOrder()
{
    MakeFiles(root_->path(), {"book.xlsx"});
    backend_.SetSheets("book.xlsx", {"One", "Two"});
    const RunRecord record = Run();
    QCOMPARE(backend_.Members(),
             QStringList({"SetVisible (bool Visible) false", "DisplayAlerts false", "WorkBooks",
                          "Open(const QString&) " + Path("book.xlsx"), "Sheets", "Count()",
                          "Item(int) 1", "UsedRange", "UnMerge()", "Item(int) 2", "UsedRange",
                          "UnMerge()", "Save()", "Close (Boolean) false", "Quit(void)"}));
    QCOMPARE(record.statusTexts.size(), 2);
    QCOMPARE(record.statusTexts.first(), Path("book.xlsx"));
    QVERIFY(record.statusTexts.last().startsWith(QStringLiteral("成功设置1个Excel文件,耗时")));
    QVERIFY(record.statusTexts.last().endsWith(QStringLiteral("秒。")));
    QCOMPARE(record.completionSignals, 1);
}

void UnmergeRunTest::onlyFirstSheetLimitsToSheetOne()
{
    MakeFiles(root_->path(), {"book.xlsx"});
    backend_.SetSheets("book.xlsx", {"One", "Two", "Three"});
    runOptions.onlyFirstSheet = true;
    Run();
    QCOMPARE(UnmergedRanges(), QStringList{"book.xlsx/One!used"});
    QVERIFY(!backend_.Members().contains("Item(int) 2"));
}

void UnmergeRunTest::appointedSheetMatchesExactName()
{
    MakeFiles(root_->path(), {"a.xlsx", "b.xlsx"});
    backend_.SetSheets("a.xlsx", {"data", "Data", "Other", "Data "});
    backend_.SetSheets("b.xlsx", {"Summary"});
    runOptions.appointedSheet = true;
    runOptions.appointedSheetName = "Data";
    runOptions.appointedRange = true; // has no part in this run
    runOptions.appointedRangeText = "A1:B2";
    Run();
    QCOMPARE(UnmergedRanges(), QStringList{"a.xlsx/Data!used"});
    QCOMPARE(backend_.MembersOn("b.xlsx"),
             QStringList({"Sheets", "Save()", "Close (Boolean) false"}));
    QCOMPARE(worker_->SuccessCount(), 2);
}

void UnmergeRunTest::onlyFirstSheetWithAppointedSheetLooksAtSheetOneOnly()
{
    MakeFiles(root_->path(), {"a.xlsx", "b.xlsx"});
    backend_.SetSheets("a.xlsx", {"Other", "Data"});
    backend_.SetSheets("b.xlsx", {"Data", "Data"});
    runOptions.onlyFirstSheet = true;
    runOptions.appointedSheet = true;
    runOptions.appointedSheetName = "Data";
    Run();
    QCOMPARE(UnmergedRanges(), QStringList{"b.xlsx/Data!used"});
    QCOMPARE(backend_.Members().filter("Item(int)"), QStringList({"Item(int) 1", "Item(int) 1"}));
}

void UnmergeRunTest::emptyAppointedNameSavesEveryWorkbookUnchanged()
{
    MakeFiles(root_->path(), {"a.xlsx", "b.xlsm"});
    runOptions.appointedSheet = true;
    Run();
    QVERIFY(UnmergedRanges().isEmpty());
    QCOMPARE(backend_.Members().count("Save()"), 2);
    QCOMPARE(worker_->SuccessCount(), 2);
}

void UnmergeRunTest::workbookThatDoesNotOpenIsAFailure()
{
    MakeFiles(root_->path(), {"a.xlsx", "b.xls", "c.xlsm", "notes.txt"});
    backend_.FailOpen("b.xls");
    const RunRecord record = Run();
    QCOMPARE(worker_->SuccessCount(), 2);
    QCOMPARE(worker_->Failures(), QStringList{Path("b.xls")});
    QCOMPARE(worker_->LastRunEnd(), RunEnd::Completed);
    QVERIFY(record.statusTexts.last().startsWith(QStringLiteral("成功设置2个")));
    QVERIFY(!record.statusTexts.contains(Path("notes.txt")));
    QCOMPARE(backend_.Members().count("Save()"), 2);
}

void UnmergeRunTest::failedSaveIsAFailure()
{
    MakeFiles(root_->path(), {"a.xlsx", "readonly.xlsx"});
    backend_.FailSave("readonly.xlsx");
    const RunRecord record = Run();
    QCOMPARE(worker_->SuccessCount(), 1);
    QCOMPARE(worker_->Failures(), QStringList{Path("readonly.xlsx")});
    QCOMPARE(worker_->FailureReasons(), QStringList{"disk full"});
    // Closed all the same, discarding what could not be saved.
    QCOMPARE(backend_.MembersOn("readonly.xlsx").last(), QStringLiteral("Close (Boolean) false"));
    QCOMPARE(record.shownReports, QStringList{runOptions.reportPath});
}

void UnmergeRunTest::workbookWithLockFileIsNotOpened_data()
{
    QTest::addColumn<QString>("lockFile");
    QTest::newRow("office") << "~$Book1.xlsx";
    QTest::newRow("libreoffice") << ".~lock.Book1.xlsx#";
}

void UnmergeRunTest::workbookWithLockFileIsNotOpened()
{
    QFETCH(QString, lockFile);
    MakeFiles(root_->path(), {"Book1.xlsx", lockFile, "Book2.xlsx"});
    const RunRecord record = Run();
    const QStringList opens = backend_.Members().filter("Open(");
    QCOMPARE(opens, QStringList{"Open(const QString&) " + Path("Book2.xlsx")});
    QCOMPARE(worker_->Failures(), QStringList{Path("Book1.xlsx")});
    QCOMPARE(worker_->SuccessCount(), 1);
    QCOMPARE(record.statusTexts.first(), Path("Book1.xlsx"));
}

void UnmergeRunTest::sheetWithoutCellsIsPassedOver()
{
    MakeFiles(root_->path(), {"book.xlsx"});
    backend_.SetSheets("book.xlsx", {"Chart", "Data"});
    backend_.MakeCellless("book.xlsx", "Chart");
    Run();
    QCOMPARE(UnmergedRanges(), QStringList{"book.xlsx/Data!used"});
    QCOMPARE(worker_->SuccessCount(), 1);
}

void UnmergeRunTest::emptyFolderStillStartsAndQuits()
{
    const RunRecord record = Run();
    QCOMPARE(backend_.Members(), QStringList({"SetVisible (bool Visible) false",
                                              "DisplayAlerts false", "WorkBooks", "Quit(void)"}));
    QCOMPARE(record.statusTexts,
             QStringList{"文件夹中没有找到Excel工作簿（.xls、.xlsx、.xlsm），未做任何改动。"});
    QCOMPARE(record.completionSignals, 1);
    QVERIFY(record.shownReports.isEmpty());
}

// Two turns on one file would save it twice and take the first turn's result
// for the original kept for undo.
void UnmergeRunTest::eachFileHasOneTurnWhateverItsNames()
{
    MakeFiles(root_->path(), {"a.xlsx", "sub/c.xlsx"});
    QVERIFY(history::MakeHardLink(Path("a.xlsx"), Path("hard.xlsx")));
    Run();
    QCOMPARE(backend_.Members().filter("Open(").size(), 2); // one of the two names, and c

    runOptions.workbookList =
        QStringList{Path("sub/c.xlsx"), Path("sub/../sub/c.xlsx"), Path("hard.xlsx"),
                    Path("a.xlsx"),     Path("gone.xlsx"),         Path("gone.xlsx")};
    backend_ = RecordingBackend();
    const RunRecord record = Run();
    QCOMPARE(backend_.Members().filter("Open(").size(), 2);
    QCOMPARE(record.workbookCounts, QList<int>{3});
    QCOMPARE(worker_->Failures(), QStringList{Path("gone.xlsx")});
    QCOMPARE(worker_->FailureReasons(), QStringList{"the workbook was not found"});
}

QTEST_GUILESS_MAIN(UnmergeRunTest)
#include "test_unmerge_run.moc"
