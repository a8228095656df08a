// The format transfer run, through the recording backend.

#include "worker/run_options.h"
#include "worker_test_support.h"

#include <QTemporaryDir>
#include <QtTest>

class TransformRunTest : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void copiesEachRangeToTheSameAddress();
    void emptyEntryIsAWholeRowsPass();
    void rangesOffGiveWholeRowsPasses();
    void pastesFollowTheFlags_data();
    void pastesFollowTheFlags();
    void passesRunOnEverySheetInOrder();
    void onlyFirstSheetWithAppointedSheet();
    void sheetNamesMatchCaseSensitively();
    void emptyFolderOpensAndClosesTheTemplate();
    void templateInsideTheFolderIsProcessedToo();
    void unusableTemplateTouchesNoWorkbook_data();
    void unusableTemplateTouchesNoWorkbook();
    void sheetWithoutCellsGetsNoPaste();
    void failedTemplateCopyLeavesEveryTargetUnsaved();
    void optionsWrittenDuringARunDoNotReachIt();

  private:
    QString Path(const QString &name) const { return root_->path() + QLatin1Char('/') + name; }
    RunRecord Run() { return RunOn(*worker_, backend_, &MergeObject::Transform); }
    // The calls on the template's sheet and on the workbook's ranges after
    // the template was opened and checked, member and argument only.
    QStringList PassCalls() const;

    std::unique_ptr<QTemporaryDir> root_;
    std::unique_ptr<QTemporaryDir> templateFolder_;
    std::unique_ptr<MergeObject> worker_;
    RecordingBackend backend_;
};

void TransformRunTest::init()
{
    root_ = std::make_unique<QTemporaryDir>();
    templateFolder_ = std::make_unique<QTemporaryDir>();
    worker_ = std::make_unique<MergeObject>("tem", nullptr);
    backend_ = RecordingBackend();
    ResetRunOptions(root_->path());
    MakeFiles(templateFolder_->path(), {"model.xlsx"});
    runOptions.templatePath = templateFolder_->path() + "/model.xlsx";
    backend_.SetSheets("model.xlsx", {"Layout", "Notes"});
}

QStringList TransformRunTest::PassCalls() const
{
    QStringList calls;
    bool inWorkbook = false;
    for (const RecordedCall &call : backend_.Calls()) {
        inWorkbook = inWorkbook || (call.member == "Open(const QString&)" &&
                                    call.argument != runOptions.templatePath);
        const bool onRange = call.object.contains('!') || call.member.startsWith("Range");
        if (inWorkbook && onRange)
            calls << call.object.section('!', 0, 0) + " " + call.member + " " + call.argument;
    }
    return calls;
}

void TransformRunTest::copiesEachRangeToTheSameAddress()
{
    MakeFiles(root_->path(), {"book.xlsx"});
    runOptions.appointedRange = true;
    runOptions.appointedRangeText = "B2:D9,F1:F20";
    const RunRecord record = Run();
    QCOMPARE(backend_.Members(), QStringList({"SetVisible (bool Visible) false",
                                              "DisplayAlerts false",
                                              "WorkBooks",
                                              "Open(const QString&) " + runOptions.templatePath,
                                              "Sheets",
                                              "Item(int) 1",
                                              "Range(const QString&) B2:D9",
                                              "Range(const QString&) F1:F20",
                                              "Open(const QString&) " + Path("book.xlsx"),
                                              "Sheets",
                                              "Count()",
                                              "Item(int) 1",
                                              "Range(const QString&) B2:D9",
                                              "Copy()",
                                              "Range(const QString&) B2:D9",
                                              "PasteSpecial(conts QVariant&) 8",
                                              "PasteSpecial(conts QVariant&) -4122",
                                              "Range(const QString&) F1:F20",
                                              "Copy()",
                                              "Range(const QString&) F1:F20",
                                              "PasteSpecial(conts QVariant&) 8",
                                              "PasteSpecial(conts QVariant&) -4122",
                                              "Save()",
                                              "Close (Boolean) false",
                                              "Close (Boolean) false",
                                              "Quit(void)"}));
    // Copied from the template's first sheet, pasted on the workbook's sheet.
    QCOMPARE(PassCalls().filter("Copy()"),
             QStringList({"model.xlsx/Layout Copy() ", "model.xlsx/Layout Copy() "}));
    QCOMPARE(PassCalls().filter("PasteSpecial").first(),
             QStringLiteral("book.xlsx/Sheet1 PasteSpecial(conts QVariant&) 8"));
    QCOMPARE(backend_.MembersOn("model.xlsx").last(), QStringLiteral("Close (Boolean) false"));
    QCOMPARE(record.statusTexts.first(), Path("book.xlsx"));
    QCOMPARE(record.completionSignals, 1);
}

void TransformRunTest::emptyEntryIsAWholeRowsPass()
{
    MakeFiles(root_->path(), {"book.xlsx"});
    runOptions.appointedRange = true;
    runOptions.appointedRangeText = "B2:D9,";
    runOptions.lastRowText = "37";
    runOptions.justColWidth = true;
    Run();
    QCOMPARE(
        PassCalls(),
        QStringList({"model.xlsx/Layout Range(const QString&) B2:D9", "model.xlsx/Layout Copy() ",
                     "book.xlsx/Sheet1 Range(const QString&) B2:D9",
                     "book.xlsx/Sheet1 PasteSpecial(conts QVariant&) 8",
                     "model.xlsx/Layout Range(const QString&) 1:37", "model.xlsx/Layout Copy() ",
                     "book.xlsx/Sheet1 Range(const QString&) A1",
                     "book.xlsx/Sheet1 PasteSpecial(conts QVariant&) 8"}));
}

void TransformRunTest::rangesOffGiveWholeRowsPasses()
{
    MakeFiles(root_->path(), {"book.xlsx"});
    // The text an earlier run with ranges on left: it makes no more passes.
    runOptions.appointedRangeText = "B2:D9,F1:F20";
    Run();
    const QStringList ranges = PassCalls().filter("Range(");
    QCOMPARE(ranges, QStringList({"model.xlsx/Layout Range(const QString&) 1:100",
                                  "book.xlsx/Sheet1 Range(const QString&) A1"}));
}

void TransformRunTest::pastesFollowTheFlags_data()
{
    QTest::addColumn<bool>("justColWidth");
    QTest::addColumn<bool>("withFormulas");
    QTest::addColumn<bool>("withValues");
    QTest::addColumn<QStringList>("pasteTypes");
    QTest::newRow("defaults") << false << false << false << QStringList({"8", "-4122"});
    QTest::newRow("widths only") << true << false << false << QStringList({"8"});
    QTest::newRow("all four") << false << true << true
                              << QStringList({"8", "-4122", "-4123", "-4163"});
    QTest::newRow("widths, formulas") << true << true << false << QStringList({"8", "-4123"});
    QTest::newRow("widths, values") << true << false << true << QStringList({"8", "-4163"});
    QTest::newRow("formats, values")
        << false << false << true << QStringList({"8", "-4122", "-4163"});
}

void TransformRunTest::pastesFollowTheFlags()
{
    QFETCH(bool, justColWidth);
    QFETCH(bool, withFormulas);
    QFETCH(bool, withValues);
    QFETCH(QStringList, pasteTypes);
    MakeFiles(root_->path(), {"book.xlsx"});
    runOptions.justColWidth = justColWidth;
    runOptions.withFormulas = withFormulas;
    runOptions.withValues = withValues;
    Run();
    QStringList pasted;
    for (const RecordedCall &call : backend_.Calls()) {
        if (call.member == "PasteSpecial(conts QVariant&)")
            pasted << call.argument;
    }
    QCOMPARE(pasted, pasteTypes);
}

void TransformRunTest::passesRunOnEverySheetInOrder()
{
    MakeFiles(root_->path(), {"book.xlsx"});
    backend_.SetSheets("book.xlsx", {"S1", "S2", "S3"});
    Run();
    QCOMPARE(PassCalls().filter(" A1"), QStringList({"book.xlsx/S1 Range(const QString&) A1",
                                                     "book.xlsx/S2 Range(const QString&) A1",
                                                     "book.xlsx/S3 Range(const QString&) A1"}));
}

void TransformRunTest::onlyFirstSheetWithAppointedSheet()
{
    MakeFiles(root_->path(), {"a.xlsx", "b.xlsx"});
    backend_.SetSheets("a.xlsx", {"Other", "Data"});
    backend_.SetSheets("b.xlsx", {"Data", "Data"});
    runOptions.onlyFirstSheet = true;
    runOptions.appointedSheet = true;
    runOptions.appointedSheetName = "Data";
    Run();
    QCOMPARE(PassCalls().filter(" A1"), QStringList({"b.xlsx/Data Range(const QString&) A1"}));
    QCOMPARE(backend_.MembersOn("a.xlsx/sheets"), QStringList({"Count()", "Item(int) 1"}));
    QCOMPARE(worker_->SuccessCount(), 2);
}

void TransformRunTest::sheetNamesMatchCaseSensitively()
{
    MakeFiles(root_->path(), {"book.xlsx"});
    backend_.SetSheets("book.xlsx", {"data", "DATA", "Data"});
    runOptions.appointedSheet = true;
    runOptions.appointedSheetName = "Data";
    Run();
    QCOMPARE(PassCalls().filter(" A1"), QStringList({"book.xlsx/Data Range(const QString&) A1"}));
}

void TransformRunTest::emptyFolderOpensAndClosesTheTemplate()
{
    const RunRecord record = Run();
    QCOMPARE(backend_.MembersOn("model.xlsx"), QStringList({"Sheets", "Close (Boolean) false"}));
    QCOMPARE(backend_.Members().last(), QStringLiteral("Quit(void)"));
    QCOMPARE(record.statusTexts,
             QStringList{"文件夹中没有找到Excel工作簿（.xls、.xlsx、.xlsm），未做任何改动。"});
    QCOMPARE(record.completionSignals, 1);
}

void TransformRunTest::templateInsideTheFolderIsProcessedToo()
{
    MakeFiles(root_->path(), {"model.xlsx", "z.xlsx"});
    runOptions.templatePath = Path("model.xlsx");
    const RunRecord record = Run();
    QCOMPARE(backend_.Members().filter("Open(").size(), 3);
    QCOMPARE(worker_->SuccessCount(), 2);
    QCOMPARE(record.statusTexts.first(), Path("model.xlsx"));
}

void TransformRunTest::unusableTemplateTouchesNoWorkbook_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("does not open") << "open";
    QTest::newRow("no sheets") << "sheets";
    QTest::newRow("first sheet without cells") << "cells";
}

void TransformRunTest::unusableTemplateTouchesNoWorkbook()
{
    QFETCH(QString, fault);
    MakeFiles(root_->path(), {"a.xlsx", "b.xlsx"});
    if (fault == "open")
        backend_.FailOpen("model.xlsx");
    if (fault == "sheets")
        backend_.SetSheets("model.xlsx", {});
    if (fault == "cells")
        backend_.MakeCellless("model.xlsx", "Layout");
    const RunRecord record = Run();

    QCOMPARE(backend_.Members().filter("Open(").size(), 1);
    // A template that does not open is named with the backend's reason.
    const QString reason = fault == "open" ? QStringLiteral("not a workbook") : QString();
    QCOMPARE(worker_->TemplateProblem(), reason);
    QCOMPARE(record.statusTexts,
             QStringList{QStringLiteral("模板文件无法打开：") + runOptions.templatePath +
                         (reason.isEmpty() ? QString() : "（" + reason + "）")});
    QCOMPARE(record.completionSignals, 1);
    QCOMPARE(backend_.Members().last(), QStringLiteral("Quit(void)"));
    if (fault != "open")
        QCOMPARE(backend_.MembersOn("model.xlsx").last(), QStringLiteral("Close (Boolean) false"));
    QCOMPARE(worker_->LastRunEnd(), RunEnd::TemplateUnusable);
    QVERIFY(record.shownReports.isEmpty());
}

void TransformRunTest::sheetWithoutCellsGetsNoPaste()
{
    MakeFiles(root_->path(), {"book.xlsx"});
    backend_.SetSheets("book.xlsx", {"Chart", "Data"});
    backend_.MakeCellless("book.xlsx", "Chart");
    Run();
    const QStringList pastes = PassCalls().filter("PasteSpecial");
    QCOMPARE(pastes.size(), 2);
    QVERIFY(pastes.first().startsWith("book.xlsx/Data "));
    QCOMPARE(worker_->SuccessCount(), 1);
}

// The workbooks the copy was for are closed unsaved and reported with the
// reason; a workbook without the chosen sheet needs no copy and is counted.
void TransformRunTest::failedTemplateCopyLeavesEveryTargetUnsaved()
{
    MakeFiles(root_->path(), {"a.xlsx", "b.xlsx", "c.xlsx"});
    backend_.FailCopy("model.xlsx");
    backend_.SetSheets("a.xlsx", {"Data", "Data"});
    backend_.SetSheets("b.xlsx", {"Other"});
    backend_.SetSheets("c.xlsx", {"Data"});
    runOptions.appointedSheet = true;
    runOptions.appointedSheetName = "Data";
    const RunRecord record = Run();

    const QString reason = QStringLiteral("模板区域无法复制：cannot read the range");
    QCOMPARE(worker_->Failures(), QStringList({Path("a.xlsx"), Path("c.xlsx")}));
    QCOMPARE(worker_->FailureReasons(), QStringList({reason, reason}));
    QCOMPARE(worker_->SuccessCount(), 1);
    for (const QString &name : {QStringLiteral("a.xlsx"), QStringLiteral("c.xlsx")}) {
        QVERIFY(backend_.MembersOn(name).filter("PasteSpecial").isEmpty());
        QVERIFY(!backend_.MembersOn(name).contains("Save()"));
        QCOMPARE(backend_.MembersOn(name).last(), QStringLiteral("Close (Boolean) false"));
    }
    // The first sheet's failed pass ends the workbook: its second sheet is not looked at.
    QCOMPARE(backend_.MembersOn("a.xlsx/sheets").count("Item(int) 2"), 0);
    QCOMPARE(record.workbooks[1].result.outcome, WorkbookOutcome::Unchanged);
    QCOMPARE(record.shownReports, QStringList{runOptions.reportPath});
}

// A run works from the copy it took as it began, whatever a front end
// writes into the options meanwhile.
void TransformRunTest::optionsWrittenDuringARunDoNotReachIt()
{
    MakeFiles(root_->path(), {"a.xlsx", "b.xlsx"});
    runOptions.appointedRange = true;
    runOptions.appointedRangeText = "B2:D9";
    const QString reportPath = runOptions.reportPath;
    backend_.SetOpenHook([](const QString &path) {
        if (path.endsWith("a.xlsx")) {
            runOptions.appointedRangeText = "Z1";
            runOptions.withValues = true;
            runOptions.reportPath.clear();
        }
    });
    backend_.FailSave("b.xlsx");
    const RunRecord record = Run();
    QCOMPARE(backend_.MembersOn("b.xlsx/Sheet1").filter("Range"),
             QStringList{"Range(const QString&) B2:D9"});
    QVERIFY(backend_.Members().filter("-4163").isEmpty());
    QCOMPARE(record.shownReports, QStringList{reportPath});
}

QTEST_GUILESS_MAIN(TransformRunTest)
#include "test_transform_run.moc"
