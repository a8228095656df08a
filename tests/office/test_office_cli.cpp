// sheetwright-cli pasting values into .xls workbooks through LibreOffice, as
// a cron job or a server runs it: any locale, names beyond ASCII, a
// temporary folder that is not writable, a stop by signal, a kill.
#include "cli_locale.h"
#include "file_bytes.h"
#include "python_check.h"
#include "xls_fixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace
{

using testsupport::FileBytes;

const int kWorkbooks = 6;

struct CliRun {
    int exitCode = -1;
    QList<QJsonObject> workbooks; // the JSON line of each workbook
    QJsonObject summary;
    QString errors;
};

QStringList TransferArguments(const QString &templatePath, const QString &folder)
{
    return {QStringLiteral("transfer"),
            QStringLiteral("--template"),
            templatePath,
            QStringLiteral("--range"),
            QStringLiteral("A1:D5"),
            QStringLiteral("--values"),
            QStringLiteral("--json"),
            QStringLiteral("--jobs"),
            QStringLiteral("1"),
            folder};
}

void Start(QProcess &cli, const QStringList &arguments, const QProcessEnvironment &environment)
{
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(SHEETWRIGHT_CLI), arguments);
    QVERIFY(cli.waitForStarted());
}

CliRun Finish(QProcess &cli)
{
    CliRun run;
    if (!cli.waitForFinished(240000) || cli.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = cli.exitCode();
    for (const QByteArray &line : cli.readAllStandardOutput().split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        if (object["type"] == QStringLiteral("workbook"))
            run.workbooks << object;
        else if (object["type"] == QStringLiteral("summary"))
            run.summary = object;
    }
    run.errors = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

// The environment of a cron job: only the locale variables given.
QProcessEnvironment Environment(const QString &lang)
{
    QProcessEnvironment environment = testsupport::CliEnvironment(QString());
    if (!lang.isNull())
        environment.insert(QStringLiteral("LANG"), lang);
    return environment;
}

// Copies of target.xls in `folder`; the names the test gives.
QStringList MakeTargets(const QString &fixtures, const QString &folder, int count)
{
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = folder + QStringLiteral("/报表 %1.xls").arg(i);
        QFile::copy(fixtures + QStringLiteral("/target.xls"), path);
        paths << path;
    }
    return paths;
}

// The template's values landed: xlrd reads "Head" in A1 of the first sheet.
bool Transferred(const QString &path)
{
    const QJsonObject book = XlsSnapshot(path);
    return book["One"].toObject()["cells"].toObject()["0,0"].toArray().at(1).toString() ==
           QStringLiteral("Head");
}

QStringList LeftBeside(const QString &folder)
{
    QStringList left;
    QDirIterator it(folder, {QStringLiteral(".~lock.*"), QStringLiteral(".sheetwright-office-*")},
                    QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        left << it.next();
    return left;
}

// A soffice started by the process `pid`, found by its profile's folder name.
bool OfficeOfProcessRuns(qint64 pid)
{
    const QByteArray mark = "/" + QByteArray::number(pid) + "-";
    QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        const QByteArray command = FileBytes(processes.next() + QStringLiteral("/cmdline"));
        if (command.contains("soffice.bin") && command.contains("sheetwright-office-") &&
            command.contains(mark))
            return true;
    }
    return false;
}

// Waits until soffice has a workbook of `folder` open (its lock is there).
bool WorkbookInHand(const QString &folder)
{
    for (int i = 0; i < 2400; ++i) {
        for (const QString &file : LeftBeside(folder))
            if (QFileInfo(file).fileName().startsWith(QLatin1String(".~lock.")))
                return true;
        QTest::qWait(50);
    }
    return false;
}

} // namespace

class OfficeCliTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(MakeXlsFixtures(fixtures_.path())); }
    void namesBeyondAsciiUnderAnyLocale_data();
    void namesBeyondAsciiUnderAnyLocale();
    void unwritableTemporaryFolderIsTheReason();
    void stopSignalFinishesTheWorkbookInHand_data();
    void stopSignalFinishesTheWorkbookInHand();
    void lockLeftByOurKilledRunIsRemoved();

  private:
    QString Template() const { return fixtures_.filePath(QStringLiteral("template.xls")); }
    QTemporaryDir fixtures_;
};

void OfficeCliTest::namesBeyondAsciiUnderAnyLocale_data()
{
    QTest::addColumn<QString>("lang");
    QTest::newRow("LANG unset") << QString();
    QTest::newRow("C") << QStringLiteral("C");
    QTest::newRow("POSIX") << QStringLiteral("POSIX");
    QTest::newRow("zh_CN.UTF-8") << QStringLiteral("zh_CN.UTF-8");
}

void OfficeCliTest::namesBeyondAsciiUnderAnyLocale()
{
    QFETCH(QString, lang);
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("月度报表/第一季度"));
    const QStringList targets = MakeTargets(fixtures_.path(), folder, 2);
    QProcess cli;
    Start(cli, TransferArguments(Template(), folder), Environment(lang));
    const CliRun run = Finish(cli);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QCOMPARE(run.summary["done"].toInt(), 2);
    for (const QString &path : targets)
        QVERIFY2(Transferred(path), qPrintable(path));
    QCOMPARE(LeftBeside(folder), QStringList());
}

// As root, a folder's permissions stop nobody: TMPDIR names a path below a
// file instead, which nobody can create.
void OfficeCliTest::unwritableTemporaryFolderIsTheReason()
{
    QTemporaryDir root;
    const QStringList targets = MakeTargets(fixtures_.path(), root.filePath("work"), 1);
    const QByteArray before = FileBytes(targets[0]);
    const QString file = root.filePath(QStringLiteral("file"));
    QVERIFY(testsupport::WriteFileBytes(file, "not a folder"));
    QProcessEnvironment environment = Environment(QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("TMPDIR"), file + QStringLiteral("/tmp"));
    // An .xlsx template: nothing asks LibreOffice before the workbooks do.
    const QString xlsxTemplate = root.filePath(QStringLiteral("template.xlsx"));
    QVERIFY(testsupport::RunPython(QStringLiteral("import openpyxl, sys\n"
                                                  "book = openpyxl.Workbook()\n"
                                                  "book.active['A1'] = 'Head'\n"
                                                  "book.save(sys.argv[1])\n"),
                                   {xlsxTemplate})
                .ok);
    QProcess cli;
    Start(cli, TransferArguments(xlsxTemplate, root.filePath("work")), environment);
    const CliRun run = Finish(cli);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.workbooks.size(), 1);
    const QString reason = run.workbooks[0]["reason"].toString();
    QVERIFY2(reason.contains(QLatin1String("not writable")) && reason.contains(file),
             qPrintable(reason));
    QVERIFY2(!reason.contains(QLatin1String("is needed")), qPrintable(reason));
    QCOMPARE(FileBytes(targets[0]), before);
}

void OfficeCliTest::stopSignalFinishesTheWorkbookInHand_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

// The run stops as its Stop button stops it: the workbook in hand done or
// left as it was, soffice ended, no lock or temporary file left beside the
// workbooks, the summary printed, and the exit code the signal asks for.
void OfficeCliTest::stopSignalFinishesTheWorkbookInHand()
{
    QFETCH(int, signal);
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("work"));
    const QStringList targets = MakeTargets(fixtures_.path(), folder, kWorkbooks);
    const QByteArray before = FileBytes(targets[0]);
    QProcess cli;
    Start(cli, TransferArguments(Template(), folder), Environment(QStringLiteral("C.UTF-8")));
    QVERIFY(WorkbookInHand(folder));
    ::kill(static_cast<pid_t>(cli.processId()), signal);
    const qint64 pid = cli.processId();
    const CliRun run = Finish(cli);
    QCOMPARE(run.exitCode, 128 + signal);
    QCOMPARE(run.summary["end"].toString(), QStringLiteral("stopped"));
    QVERIFY(run.workbooks.size() < kWorkbooks);
    QCOMPARE(LeftBeside(folder), QStringList());
    QVERIFY(!OfficeOfProcessRuns(pid));
    for (const QString &path : targets)
        QVERIFY2(FileBytes(path) == before || Transferred(path), qPrintable(path));
}

// A run killed outright leaves its soffice's lock beside the workbook in
// hand; the next run knows it for its own and does the workbook.
void OfficeCliTest::lockLeftByOurKilledRunIsRemoved()
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("work"));
    const QStringList targets = MakeTargets(fixtures_.path(), folder, kWorkbooks);
    QProcess cli;
    Start(cli, TransferArguments(Template(), folder), Environment(QStringLiteral("C.UTF-8")));
    QVERIFY(WorkbookInHand(folder));
    ::kill(static_cast<pid_t>(cli.processId()), SIGKILL);
    cli.waitForFinished();
    QTest::qWait(1000); // soffice follows its parent
    const QStringList left = LeftBeside(folder);
    QVERIFY2(!left.isEmpty(), "the killed run left no lock: nothing to test");
    // Someone else's lock stays a reason to leave a workbook alone.
    QVERIFY(testsupport::WriteFileBytes(
        folder + QStringLiteral("/.~lock.报表 5.xls#"),
        "Someone,otherhost,someone,07.12.2026 10:00,file:///home/someone/.config/libreoffice/4;"));

    Start(cli, TransferArguments(Template(), folder), Environment(QStringLiteral("C.UTF-8")));
    const CliRun run = Finish(cli);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.summary["failed"].toInt(), 1);
    for (const QJsonObject &workbook : run.workbooks) {
        const bool foreign = workbook["path"].toString().endsWith(QStringLiteral("报表 5.xls"));
        QCOMPARE(workbook["outcome"].toString(),
                 foreign ? QStringLiteral("failed") : QStringLiteral("done"));
    }
    for (int i = 0; i < kWorkbooks - 1; ++i)
        QVERIFY2(Transferred(targets[i]), qPrintable(targets[i]));
}

QTEST_GUILESS_MAIN(OfficeCliTest)
#include "test_office_cli.moc"
