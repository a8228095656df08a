// Both runs over a folder that mixes legacy workbooks (the office backend)
// with .xlsx and .xlsm ones (the native engine), two lanes (two soffice) at
// once: every good workbook done, every bad one reported with its reason and
// left byte for byte as it was; a transfer's template may be of either kind.
#include "backends/native/native_backend.h"
#include "backends/office/office_backend.h"
#include "python_check.h"
#include "ui_test_support.h"
#include "worker/merge_object.h"
#include "worker/run_options.h"
#include "worker/run_report.h"
#include "xls_fixtures.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <iterator>
#include <unistd.h>

namespace
{

QByteArray BytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The bad files and the reason each must be reported with.
const std::pair<const char *, const char *> kRefused[] = {
    {"junk.xls", "not an Excel 97-2003 workbook"},
    {"sub/empty.xls", "empty"},
    {"encrypted.xls", "encrypted"},
    {"sub/excel5.xls", "Excel 5/95"},
    {"locked.xls", "open in another program"},
};
// One name beyond ASCII, with a space, as many users have.
const char *const kGood[] = {"a.xls", "b.xls", "sub/报表 c.xls"};
// The same workbooks for the native engine, converted by LibreOffice.
const char *const kGoodOoxml[] = {"d.xlsx", "sub/e.xlsm"};

struct Folder {
    QTemporaryDir root;
    QString path;
    QMap<QString, QByteArray> before;
};

// A transfer is refused by merged.xls's protected sheet: its targets are
// target.xls, whose sheets are One, Hidden and Other.
void MakeFolder(Folder &folder, const QString &fixtures, bool transform)
{
    const char *good = transform ? "target.xls" : "merged.xls";
    const char *goodOoxml = transform ? "target.xlsx" : "merged.xlsx";
    folder.path = folder.root.filePath(QStringLiteral("work"));
    QDir().mkpath(folder.path + QStringLiteral("/sub"));
    const std::pair<const char *, const char *> copies[] = {
        {good, "a.xls"},
        {good, "b.xls"},
        {good, "sub/报表 c.xls"},
        {goodOoxml, "d.xlsx"},
        {goodOoxml, "sub/e.xlsm"},
        {"junk.xls", "junk.xls"},
        {"empty.xls", "sub/empty.xls"},
        {"encrypted.xls", "encrypted.xls"},
        {"excel5.xls", "sub/excel5.xls"},
        {"target.xls", "locked.xls"},
    };
    for (const auto &[from, to] : copies)
        QVERIFY(QFile::copy(fixtures + QLatin1Char('/') + QLatin1String(from),
                            folder.path + QLatin1Char('/') + QString::fromUtf8(to)));
    // LibreOffice on another machine has it open.
    QFile lock(folder.path + QStringLiteral("/.~lock.locked.xls#"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(
        "Someone,otherhost,someone,07.12.2026 10:00,file:///home/someone/.config/libreoffice/4;");
    lock.close();
    QDirIterator it(folder.path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        folder.before[QDir(folder.path).relativeFilePath(file)] = BytesOf(file);
    }
}

// The run backups the window keeps aside.
QStringList FilesBelow(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = QDir(root).relativeFilePath(it.next());
        if (!file.startsWith(QLatin1String(".sheetwright/")))
            files << file;
    }
    files.sort();
    return files;
}

struct RunResult {
    int successCount = 0;
    QStringList failures; // relative to the folder
    QStringList reasons;
};

RunResult RunOver(const Folder &folder, const QString &templatePath, bool transform,
                  const OfficeOptions &options = {}, bool withValues = false)
{
    runOptions = RunOptions();
    runOptions.sourcePath = QDir::toNativeSeparators(folder.path + QLatin1Char('/'));
    runOptions.reportPath = RunReportPath(runOptions.sourcePath);
    runOptions.templatePath = templatePath;
    runOptions.appointedRange = true;
    runOptions.appointedRangeText = QStringLiteral("A1:D5");
    runOptions.withValues = withValues;
    MergeObject worker(QStringLiteral("tem"), nullptr);
    // As the front ends compose them: .xls workbooks go to LibreOffice for
    // the pastes the engine does not make there.
    Backends backends{NativeAppFactory(), OfficeAppFactory(options)};
    backends.toNative = ConvertToXlsx;
    worker.SetBackends(backends);
    worker.SetReportViewer({});
    worker.SetJobs(2);
    transform ? worker.Transform() : worker.UnMerge();
    RunResult result{worker.SuccessCount(), {}, worker.FailureReasons()};
    for (const QString &failure : worker.Failures())
        result.failures << QDir(folder.path).relativeFilePath(failure);
    return result;
}

// Each bad workbook reported with its reason and left byte for byte.
void CheckRefusals(const Folder &folder, const RunResult &run,
                   const std::vector<std::pair<const char *, const char *>> &refused)
{
    QCOMPARE(run.failures.size(), int(refused.size()));
    for (const auto &[name, reason] : refused) {
        const int at = run.failures.indexOf(QString::fromUtf8(name));
        QVERIFY2(at >= 0, name);
        QVERIFY2(run.reasons.at(at).contains(QLatin1String(reason)),
                 qPrintable(run.reasons.at(at)));
        QVERIFY2(BytesOf(folder.path + QLatin1Char('/') + QString::fromUtf8(name)) ==
                     folder.before[QString::fromUtf8(name)],
                 name);
    }
}

// Merges after a run: the template's B4:C4 on every sheet after a transfer,
// none after an unmerge; xlrd reads the legacy workbooks, openpyxl the others.
void CheckGoodWorkbooks(const Folder &folder, bool transform)
{
    for (const char *name : kGood) {
        const QJsonObject book =
            XlsSnapshot(folder.path + QLatin1Char('/') + QString::fromUtf8(name));
        QCOMPARE(book.size(), 3);
        for (const QJsonValue &sheet : book) {
            const QJsonArray merges = sheet.toObject()["merges"].toArray();
            QVERIFY2(transform ? merges.contains(QJsonArray{3, 4, 1, 3}) : merges.isEmpty(), name);
        }
    }
    for (const char *name : kGoodOoxml) {
        const QJsonObject book =
            testsupport::WorkbookSnapshot(folder.path + QLatin1Char('/') + QString::fromUtf8(name));
        QCOMPARE(book.size(), 3);
        for (const QJsonValue &sheet : book) {
            const QJsonArray merges = sheet.toObject()["merges"].toArray();
            QVERIFY2(transform ? merges.contains(QStringLiteral("B4:C4")) : merges.isEmpty(), name);
        }
    }
}

QMap<QString, QByteArray> GoodWorkbookBytes(const Folder &folder)
{
    QMap<QString, QByteArray> bytes;
    for (const char *name : kGood)
        bytes[name] = BytesOf(folder.path + QLatin1Char('/') + QString::fromUtf8(name));
    for (const char *name : kGoodOoxml)
        bytes[name] = BytesOf(folder.path + QLatin1Char('/') + QString::fromUtf8(name));
    return bytes;
}

// Nothing left behind: no temporary file, no lock but the other machine's,
// no soffice and no folder of ours; the run's report unless an undo took
// the run back.
void CheckNothingLeft(const Folder &folder, bool reportKept = true)
{
    QStringList expected = folder.before.keys();
    if (reportKept)
        expected << QFileInfo(runOptions.reportPath).fileName();
    expected.sort();
    QCOMPARE(FilesBelow(folder.path), expected);
    const QString ours = QString::number(::getpid()) + QLatin1Char('-');
    const QStringList folders = QDir(QDir::tempPath() + QStringLiteral("/sheetwright-office-") +
                                     QString::number(::getuid()))
                                    .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : folders)
        QVERIFY2(!name.startsWith(ours), qPrintable(name));
    QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        QFile stat(processes.next() + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        QVERIFY2(!(text.contains("(soffice.bin)") && fields.value(1).toLong() == ::getpid()),
                 text.constData());
    }
}

} // namespace

class OfficeRunsTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        QVERIFY(MakeXlsFixtures(fixtures_.path()));
        for (const char *name : {"template", "target", "merged"}) {
            const QString base = fixtures_.filePath(QString::fromLatin1(name));
            QString error;
            QVERIFY2(
                ConvertToXlsx(base + QStringLiteral(".xls"), base + QStringLiteral(".xlsx"), error),
                qPrintable(error));
        }
    }
    void bothRunsDoTheGoodAndReportTheBad_data();
    void bothRunsDoTheGoodAndReportTheBad();
    void killedOfficeFailsOnlyTheWorkbookInHand();
    void windowRunsBothOverTheMixedFolder();

  private:
    QTemporaryDir fixtures_;
};

void OfficeRunsTest::bothRunsDoTheGoodAndReportTheBad_data()
{
    QTest::addColumn<bool>("transform");
    QTest::addColumn<QString>("templateName");
    QTest::newRow("unmerge") << false << QString();
    QTest::newRow("transfer, .xlsx template") << true << QStringLiteral("template.xlsx");
    // Converted once, for both backends.
    QTest::newRow("transfer, .xls template") << true << QStringLiteral("template.xls");
}

void OfficeRunsTest::bothRunsDoTheGoodAndReportTheBad()
{
    QFETCH(bool, transform);
    QFETCH(QString, templateName);
    Folder folder;
    MakeFolder(folder, fixtures_.path(), transform);
    const RunResult run = RunOver(folder, fixtures_.filePath(templateName), transform);

    QCOMPARE(run.successCount, 5);
    CheckRefusals(folder, run, {std::begin(kRefused), std::end(kRefused)});
    CheckGoodWorkbooks(folder, transform);
    CheckNothingLeft(folder);
}

// The window over the same folder with an .xls template: both runs started
// by their buttons, the count in the status line, every failure in the
// details; then its undo gives back every workbook as the transfer left it.
void OfficeRunsTest::windowRunsBothOverTheMixedFolder()
{
    SettingsFolder settings;
    Folder folder;
    MakeFolder(folder, fixtures_.path(), true);
    runOptions = RunOptions();
    TestWindow test;
    test.Widget<QLineEdit>("lEdt_SourcePath")->setText(QDir::toNativeSeparators(folder.path));
    test.Widget<QLineEdit>("lEdt_TemplatePath")
        ->setText(fixtures_.filePath(QStringLiteral("template.xls")));
    test.Widget<QCheckBox>("cBox_AppointedRange")->click();
    test.Widget<QLineEdit>("lEdt_AppointedRange")->setText(QStringLiteral("A1:D5"));
    QMap<QString, QByteArray> transferred;
    for (const bool transform : {true, false}) {
        test.Widget<QPushButton>(transform ? "pBtn_Transform" : "pBtn_UnMerge")->click();
        QTRY_VERIFY_WITH_TIMEOUT(test.Widget<QPushButton>("pBtn_UnMerge")->isEnabled(), 180000);
        const QString status = test.Widget<QLabel>("lb_ShowDisposing")->text();
        QVERIFY2(status.startsWith(QStringLiteral("成功设置5个Excel文件")), qPrintable(status));
        QVERIFY2(
            status.contains(QStringLiteral("失败5个，未改动0个。\n失败的文件已列在运行报告中：")),
            qPrintable(status));
        test.Widget<QPushButton>("pBtn_Details")->click();
        const QList<WorkbookTrouble> listed = test.dialogs->troublesShown.takeLast();
        QCOMPARE(listed.size(), int(std::size(kRefused)));
        for (const auto &[name, reason] : kRefused) {
            const QString path =
                QDir::toNativeSeparators(folder.path + QLatin1Char('/') + QString::fromUtf8(name));
            const auto trouble = std::find_if(listed.begin(), listed.end(),
                                              [&path](const auto &t) { return t.path == path; });
            QVERIFY2(trouble != listed.end(), name);
            QVERIFY2(trouble->detail.contains(QLatin1String(reason)), qPrintable(trouble->detail));
            QCOMPARE(BytesOf(path), folder.before[QString::fromUtf8(name)]);
        }
        CheckGoodWorkbooks(folder, transform);
        if (transform)
            transferred = GoodWorkbookBytes(folder);
    }
    // The undo checks and restores on the worker: the question comes, then its end.
    test.Widget<QPushButton>("pBtn_Undo")->click();
    // The plan comes from the worker's thread.
    QTRY_VERIFY2_WITH_TIMEOUT(
        test.dialogs->questions.value(0).contains(QStringLiteral("5个工作簿将恢复为原文件")),
        qPrintable(test.dialogs->questions.value(0)), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(
        test.Widget<QLabel>("lb_ShowDisposing")->text().startsWith(QStringLiteral("已撤销")),
        30000);
    QCOMPARE(GoodWorkbookBytes(folder), transferred);
    CheckNothingLeft(folder, false);
}

void OfficeRunsTest::killedOfficeFailsOnlyTheWorkbookInHand()
{
    // A transfer with values: the .xls workbooks go to LibreOffice (formats and
    // unmerge alone would not).
    Folder folder;
    MakeFolder(folder, fixtures_.path(), true);
    OfficeOptions options;
    options.afterLoad = [](long pid, const QString &path) {
        if (path.endsWith(QLatin1String("/b.xls")))
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    };
    const RunResult run = RunOver(folder, fixtures_.filePath("template.xlsx"), true, options, true);

    QCOMPARE(run.successCount, 4); // the .xlsx and .xlsm ones too
    std::vector<std::pair<const char *, const char *>> refused(std::begin(kRefused),
                                                               std::end(kRefused));
    refused.emplace_back("b.xls", "LibreOffice stopped");
    CheckRefusals(folder, run, refused);
    for (const char *name : {"a.xls", "sub/报表 c.xls"})
        QVERIFY2(BytesOf(folder.path + QLatin1Char('/') + QString::fromUtf8(name)) !=
                     folder.before[QString::fromUtf8(name)],
                 name);
    CheckNothingLeft(folder);
}

QTEST_MAIN(OfficeRunsTest)
#include "test_office_runs.moc"
