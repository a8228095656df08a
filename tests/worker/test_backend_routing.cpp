// Workbooks go to the backend of their kind: each kind has its own slot in a
// lane, started with its first workbook, and a kind without a usable backend
// fails just its own workbooks.

#include "worker/run_options.h"
#include "worker/transform_pass.h"
#include "worker_test_support.h"

#include <QTemporaryDir>
#include <QtTest>

namespace
{

// Today's rule sends nothing to the office slot; these runs send it .xls.
BackendKind XlsToOffice(const QString &path, const JobNeeds &)
{
    return path.endsWith(QLatin1String(".xls")) ? BackendKind::Office : BackendKind::Native;
}

} // namespace

class BackendRoutingTest : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void xlsGoesNativeForWhatTheEngineDoesThere();
    void eachPathGoesToTheSlotOfItsKind();
    void secondSlotStartsWithItsFirstWorkbook();
    void unusableSecondSlotFailsOnlyItsWorkbooks_data();
    void unusableSecondSlotFailsOnlyItsWorkbooks();
    void officeTemplateIsConvertedOnceForTheNativeEngine();
    void officeTemplateThatCannotBeConvertedEndsTheRun_data();
    void officeTemplateThatCannotBeConvertedEndsTheRun();

  private:
    QString Path(const QString &name) const { return root_->path() + QLatin1Char('/') + name; }
    RunRecord Run(const Backends &backends, void (MergeObject::*slot)());

    std::unique_ptr<QTemporaryDir> root_;
    std::unique_ptr<MergeObject> worker_;
    RecordingBackend native_;
    RecordingBackend office_;
};

void BackendRoutingTest::init()
{
    root_ = std::make_unique<QTemporaryDir>();
    worker_ = std::make_unique<MergeObject>("tem", nullptr);
    native_ = RecordingBackend();
    office_ = RecordingBackend();
    ResetRunOptions(root_->path());
    MakeFiles(root_->path(), {"a.xlsx", "b.xls", "c.xlsm", "d.xls", "model.xlsx"});
    runOptions.templatePath = Path("model.xlsx");
}

RunRecord BackendRoutingTest::Run(const Backends &backends, void (MergeObject::*slot)())
{
    worker_->SetReportViewer(nullptr);
    RunRecord record;
    QObject::connect(worker_.get(), &MergeObject::Signal_WorkbookFinished,
                     [&record](const WorkbookProgress &progress) { record.workbooks << progress; });
    QObject::connect(worker_.get(), &MergeObject::ShowDisposingFile,
                     [&record](const QString &text) { record.statusTexts << text; });
    worker_->SetBackends(backends);
    (worker_.get()->*slot)();
    QObject::disconnect(worker_.get(), nullptr, nullptr, nullptr);
    return record;
}

void BackendRoutingTest::xlsGoesNativeForWhatTheEngineDoesThere()
{
    RunOptions widthsOnly;
    widthsOnly.justColWidth = true;
    RunOptions formats;
    formats.appointedRange = true;
    formats.appointedRangeText = QStringLiteral("A1:D5,F1:F9");
    RunOptions formatsOfRows; // rows 1 to N: row heights and formats are not made natively
    RunOptions rangesAndRows = formats;
    rangesAndRows.appointedRangeText = QStringLiteral("A1:D5,");
    RunOptions values;
    values.justColWidth = true;
    values.withValues = true;
    QCOMPARE(BackendFor("a.xls", UnmergeNeeds()), BackendKind::Native);
    QCOMPARE(BackendFor("a.XLS", TransferNeeds(widthsOnly)), BackendKind::Native);
    QCOMPARE(BackendFor("a.xls", TransferNeeds(formats)), BackendKind::Native);
    QCOMPARE(BackendFor("a.xls", TransferNeeds(formatsOfRows)), BackendKind::Office);
    QCOMPARE(BackendFor("a.xls", TransferNeeds(rangesAndRows)), BackendKind::Office);
    QCOMPARE(BackendFor("a.xls", TransferNeeds(values)), BackendKind::Office);
    // A template's ranges are read from the .xlsx converted from it.
    QCOMPARE(BackendFor("model.xls", TemplateNeeds()), BackendKind::Office);
    for (const JobNeeds &needs : {UnmergeNeeds(), TransferNeeds(values), TemplateNeeds()})
        QCOMPARE(BackendFor("a.xlsx", needs), BackendKind::Native);
}

void BackendRoutingTest::eachPathGoesToTheSlotOfItsKind()
{
    Backends backends{native_.Factory(), office_.Factory()};
    Run(backends, &MergeObject::UnMerge);
    bool anyOffice = false;
    for (const QString &name : QStringList{"a.xlsx", "b.xls", "c.xlsm", "d.xls", "model.xlsx"}) {
        const bool office = BackendFor(Path(name), UnmergeNeeds()) == BackendKind::Office;
        anyOffice = anyOffice || office;
        const QString open = "Open(const QString&) " + Path(name);
        QCOMPARE(native_.Members().count(open), office ? 0 : 1);
        QCOMPARE(office_.Members().count(open), office ? 1 : 0);
    }
    // A slot that no workbook needs is never started.
    QCOMPARE(office_.Members().isEmpty(), !anyOffice);
}

void BackendRoutingTest::secondSlotStartsWithItsFirstWorkbook()
{
    Backends backends{native_.Factory(), office_.Factory(), XlsToOffice};
    const RunRecord record = Run(backends, &MergeObject::Transform);
    const QString openTemplate = "Open(const QString&) " + runOptions.templatePath;
    // Started once, with the template, for both .xls workbooks; ended with the run.
    QCOMPARE(office_.Members().mid(0, 4),
             QStringList({"SetVisible (bool Visible) false", "DisplayAlerts false", "WorkBooks",
                          openTemplate}));
    QCOMPARE(office_.Members().count("WorkBooks"), 1);
    QCOMPARE(office_.Members().filter("Open(").size(), 3);
    QCOMPARE(office_.MembersOn("b.xls").last(), QStringLiteral("Close (Boolean) false"));
    QCOMPARE(office_.MembersOn("d.xls").last(), QStringLiteral("Close (Boolean) false"));
    QCOMPARE(office_.Members().mid(office_.Members().size() - 2),
             QStringList({"Close (Boolean) false", "Quit(void)"}));
    QVERIFY(!native_.Members().contains("Open(const QString&) " + Path("b.xls")));
    QCOMPARE(worker_->SuccessCount(), 5);
    QCOMPARE(record.workbooks.size(), 5);
}

void BackendRoutingTest::unusableSecondSlotFailsOnlyItsWorkbooks_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("no backend") << "none";
    QTest::newRow("no workbooks collection") << "books";
    QTest::newRow("template does not open") << "template";
}

void BackendRoutingTest::unusableSecondSlotFailsOnlyItsWorkbooks()
{
    QFETCH(QString, fault);
    // With the backend's own reason why the template did not open.
    const QString reason =
        fault == "template"
            ? QStringLiteral("模板文件无法打开：%1（not a workbook）").arg(runOptions.templatePath)
            : QStringLiteral("需要安装 LibreOffice Calc 才能处理 .xls 文件");
    Backends backends{native_.Factory(), office_.Factory(), XlsToOffice};
    if (fault == "none")
        backends.office = nullptr;
    office_.SetNoWorkbooks(fault == "books");
    if (fault == "template")
        office_.FailOpen("model.xlsx");
    const RunRecord record = Run(backends, &MergeObject::Transform);

    QCOMPARE(worker_->Failures(), QStringList({Path("b.xls"), Path("d.xls")}));
    QCOMPARE(worker_->FailureReasons(), QStringList({reason, reason}));
    QCOMPARE(worker_->SuccessCount(), 3);
    QCOMPARE(worker_->LastRunEnd(), RunEnd::Completed);
    QCOMPARE(office_.Members().count("WorkBooks"), fault == "none" ? 0 : 1); // tried once
    QVERIFY(record.statusTexts.last().startsWith(QStringLiteral("成功设置3个")));
}

void BackendRoutingTest::officeTemplateIsConvertedOnceForTheNativeEngine()
{
    // Outside the folder, so that only the slots open it.
    QTemporaryDir elsewhere;
    MakeFiles(elsewhere.path(), {"model.xls"});
    runOptions.templatePath = elsewhere.filePath("model.xls");
    QStringList conversions;
    Backends backends{native_.Factory(), office_.Factory(), XlsToOffice};
    backends.toNative = [&conversions](const QString &source, const QString &xlsx, QString &) {
        conversions << source + " -> " + xlsx;
        return QFile::copy(source, xlsx);
    };
    native_.SetParallelUse(true);
    QString convertedPath;
    native_.SetOpenHook([&convertedPath](const QString &path) {
        if (path.startsWith(QDir::tempPath() + "/sheetwright-template-"))
            convertedPath = path;
        QVERIFY2(QFileInfo::exists(path), qPrintable(path)); // there while the run needs it
    });
    worker_->SetJobs(2);
    Run(backends, &MergeObject::Transform);

    QCOMPARE(conversions.size(), 1); // once for both lanes
    QVERIFY(conversions.first().startsWith(runOptions.templatePath + " -> "));
    QVERIFY(convertedPath.endsWith("/model.xlsx"));
    // Every slot of both lanes reads the conversion, none the user's file.
    QCOMPARE(native_.Members().count("Open(const QString&) " + convertedPath), 2);
    QCOMPARE(office_.Members().count("Open(const QString&) " + convertedPath),
             office_.Members().count("WorkBooks"));
    QVERIFY(!native_.Members().contains("Open(const QString&) " + runOptions.templatePath));
    QVERIFY(!office_.Members().contains("Open(const QString&) " + runOptions.templatePath));
    QVERIFY(!QFileInfo::exists(QFileInfo(convertedPath).path()));
    QCOMPARE(worker_->SuccessCount(), 5);
    QCOMPARE(worker_->LastRunEnd(), RunEnd::Completed);
}

void BackendRoutingTest::officeTemplateThatCannotBeConvertedEndsTheRun_data()
{
    QTest::addColumn<bool>("withConverter");
    QTest::newRow("no office") << false;
    QTest::newRow("conversion fails") << true;
}

void BackendRoutingTest::officeTemplateThatCannotBeConvertedEndsTheRun()
{
    QFETCH(bool, withConverter);
    MakeFiles(root_->path(), {"model.xls"});
    runOptions.templatePath = Path("model.xls");
    Backends backends{native_.Factory(), withConverter ? office_.Factory() : nullptr, XlsToOffice};
    if (withConverter) {
        backends.toNative = [](const QString &, const QString &, QString &error) {
            error = QStringLiteral("LibreOffice could not convert the template: broken");
            return false;
        };
    }
    const RunRecord record = Run(backends, &MergeObject::Transform);

    const QString problem =
        withConverter ? QStringLiteral("LibreOffice could not convert the template: broken")
                      : QStringLiteral("需要安装 LibreOffice Calc 才能处理 .xls 文件");
    QCOMPARE(worker_->LastRunEnd(), RunEnd::TemplateUnusable);
    QCOMPARE(worker_->TemplateProblem(), problem);
    QCOMPARE(record.statusTexts.last(),
             QStringLiteral("模板文件无法打开：%1（%2）").arg(Path("model.xls"), problem));
    QVERIFY(native_.Members().filter("Open(").isEmpty());
    QVERIFY(office_.Members().isEmpty());
    QVERIFY(record.workbooks.isEmpty());
}

QTEST_GUILESS_MAIN(BackendRoutingTest)
#include "test_backend_routing.moc"
