// sheetwright-cli as a user runs it: a real folder tree, its output, its
// exit codes and the run report.

#include "cli_process.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "python_check.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;

namespace
{

const QString kReportName = QStringLiteral("无法打开的文件目录(文件格式有误).txt");

int MergeCount(const QString &path, const QString &sheet)
{
    return WorkbookSnapshot(path)[sheet].toObject()["merges"].toArray().size();
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void helpExplainsCommandsAndOptions();
    void badUsageExitsWithTwo_data();
    void badUsageExitsWithTwo();
    void folderTreeWithFailures();
    void allDoneExitsWithZeroAndLeavesNoReport();
    void sheetOptions();
    void versionAndHelpEndInNewline();
    void chineseWhereLocaleIsChineseOrUnset_data();
    void chineseWhereLocaleIsChineseOrUnset();
    void dryRunExplainsAndChangesNothing();
    void filesFromProcessesExactlyTheList();
    void filesFromWithoutFolderReportsIntoCurrentFolder();
    void jsonGivesEachWorkbookAndSummary();
    void quietPrintsOnlyFailuresAndSummary();
    void progressInLogIsPlainLines();
    void undoGivesBackTheOriginalsOfTheLastRun();

  private:
    // A folder of one workbook to do, one that does not open, and one that
    // another program has open.
    void WriteTreeWithFailures();
    QString Path(const QString &relative) const { return dir_->filePath(relative); }
    std::unique_ptr<QTemporaryDir> dir_;
};

void CliTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void CliTest::helpExplainsCommandsAndOptions()
{
    const CliResult overview = RunCli({"--help"});
    QCOMPARE(overview.exitCode, 0);
    QVERIFY(overview.lines.join('\n').contains("unmerge"));
    for (const QStringList &arguments :
         {QStringList{"unmerge", "--help"}, QStringList{"unmerge", Path(""), "-h"}}) {
        const CliResult help = RunCli(arguments);
        QCOMPARE(help.exitCode, 0);
        const QString text = help.lines.join('\n');
        for (const char *word : {"FOLDER", "--first-sheet", "--sheet <NAME>", "--help"})
            QVERIFY2(text.contains(word), word);
    }
}

void CliTest::badUsageExitsWithTwo_data()
{
    // What standard error says: the whole usage text for a command line that
    // could not be read, else the problem and where the command's help is.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("said");
    const QString usage = "Usage:";
    const QString unmergeHelp = "see: sheetwright-cli unmerge --help";
    QTest::newRow("nothing") << QStringList() << usage;
    QTest::newRow("unknown command") << QStringList{"frobnicate", "."} << usage;
    QTest::newRow("no folder") << QStringList{"unmerge"} << unmergeHelp;
    QTest::newRow("missing folder") << QStringList{"unmerge", "/no/such/folder"} << unmergeHelp;
    QTest::newRow("two folders") << QStringList{"unmerge", ".", "."} << unmergeHelp;
    QTest::newRow("unknown option") << QStringList{"unmerge", ".", "--bogus"} << usage;
    QTest::newRow("sheet without name") << QStringList{"unmerge", ".", "--sheet"} << usage;
    QTest::newRow("no jobs") << QStringList{"unmerge", ".", "--jobs", "0"} << unmergeHelp;
    QTest::newRow("too many jobs") << QStringList{"unmerge", ".", "--jobs", "65"} << unmergeHelp;
    QTest::newRow("jobs not a number")
        << QStringList{"unmerge", ".", "--jobs", "two"} << unmergeHelp;
    QTest::newRow("missing template")
        << QStringList{"transfer", ".", "--template", "/no/such.xlsx"}
        << "no such template file: /no/such.xlsx\nsee: sheetwright-cli transfer --help";
}

void CliTest::badUsageExitsWithTwo()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, said);
    QVERIFY(WriteMergedWorkbook(Path("a.xlsx")));
    const QByteArray before = FileBytes(Path("a.xlsx"));
    QDir::setCurrent(dir_->path());
    const CliResult result = RunCli(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.lines.isEmpty());
    QVERIFY2(result.errors.contains(said), qPrintable(result.errors));
    QCOMPARE(result.errors.contains("Usage:"), said == "Usage:");
    QCOMPARE(FileBytes(Path("a.xlsx")), before);
}

void CliTest::folderTreeWithFailures()
{
    QVERIFY(QDir(dir_->path()).mkpath("Sub/deeper"));
    QVERIFY(WriteMergedWorkbook(Path("b.xlsx")));
    QVERIFY(WriteMergedWorkbook(Path("Sub/deeper/c.xlsx")));
    QVERIFY(WriteMergedWorkbook(Path("locked.xlsx")));
    QVERIFY(QFile(Path("~$locked.xlsx")).open(QIODevice::WriteOnly));
    QFile damaged(Path("A-damaged.xlsx"));
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("PK\3\4 torn") > 0);
    damaged.close();
    QVERIFY(QFile(Path("notes.txt")).open(QIODevice::WriteOnly));
    const QByteArray lockedBefore = FileBytes(Path("locked.xlsx"));

    const CliResult result = RunCli({"unmerge", dir_->path()}); // no final "/"
    QCOMPARE(result.exitCode, 1);
    const QString root = dir_->path() + "/";
    QCOMPARE(result.lines.size(), 6);
    QCOMPARE(result.lines.mid(0, 4),
             QStringList({root + "A-damaged.xlsx", root + "b.xlsx", root + "locked.xlsx",
                          root + "Sub/deeper/c.xlsx"}));
    QVERIFY(result.lines[4].startsWith("2 workbook(s) done in "));
    QCOMPARE(result.lines[5], "report: " + root + kReportName);
    QCOMPARE(FileBytes(root + kReportName),
             (root + "A-damaged.xlsx\r\n" + root + "locked.xlsx\r\n").toLocal8Bit());
    QVERIFY(result.errors.contains("failed: " + root + "locked.xlsx"));

    QCOMPARE(FileBytes(Path("locked.xlsx")), lockedBefore);
    QCOMPARE(MergeCount(Path("b.xlsx"), "Sheet3"), 0);
    QCOMPARE(MergeCount(Path("Sub/deeper/c.xlsx"), "Sheet1"), 0);
    QCOMPARE(MergeCount(Path("locked.xlsx"), "Sheet1"), 3);
}

void CliTest::allDoneExitsWithZeroAndLeavesNoReport()
{
    QVERIFY(WriteMergedWorkbook(Path("a.xlsx")));
    QFile oldReport(Path(kReportName));
    QVERIFY(oldReport.open(QIODevice::WriteOnly) && oldReport.write("old\r\n") > 0);
    oldReport.close();
    const CliResult result = RunCli({"unmerge", dir_->path() + "/", "--jobs", "3"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.lines.size(), 2);
    QVERIFY(!QFile::exists(Path(kReportName)));
    QCOMPARE(MergeCount(Path("a.xlsx"), "Sheet2"), 0);
}

void CliTest::undoGivesBackTheOriginalsOfTheLastRun()
{
    QVERIFY(QDir(dir_->path()).mkpath("sub"));
    QVERIFY(WriteMergedWorkbook(Path("a.xlsx")));
    QVERIFY(WriteMergedWorkbook(Path("sub/b.xlsx")));
    const QByteArray a = FileBytes(Path("a.xlsx"));
    QCOMPARE(RunCli({"unmerge", dir_->path(), "--first-sheet"}).exitCode, 0);
    const QByteArray unmergedA = FileBytes(Path("a.xlsx"));
    QVERIFY(unmergedA != a);
    // The second run walks past the kept originals and undoes only itself.
    const CliResult second = RunCli({"unmerge", dir_->path(), "--sheet", "Sheet2", "--json"});
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(second.lines.filter("\"type\":\"workbook\"").size(), 2);
    QVERIFY(RunCli({"runs", dir_->path()}).output.contains("unmerge"));
    QFile edited(Path("sub/b.xlsx"));
    QVERIFY(edited.open(QIODevice::Append) && edited.write("edited after the run") > 0);
    edited.close();
    const QByteArray editedB = FileBytes(Path("sub/b.xlsx"));

    const CliResult undo = RunCli({"undo", dir_->path()});
    QCOMPARE(undo.exitCode, 1); // b was left alone
    QVERIFY2(undo.errors.contains("sub/b.xlsx"), qPrintable(undo.errors));
    QCOMPARE(FileBytes(Path("a.xlsx")), unmergedA);
    QCOMPARE(FileBytes(Path("sub/b.xlsx")), editedB);
    const CliResult first = RunCli({"undo", dir_->path()});
    QCOMPARE(FileBytes(Path("a.xlsx")), a);
    QCOMPARE(first.exitCode, 1);                          // b again changed since
    QCOMPARE(RunCli({"undo", dir_->path()}).exitCode, 1); // nothing left to undo
}

void CliTest::sheetOptions()
{
    QVERIFY(WriteMergedWorkbook(Path("a.xlsx")));
    QCOMPARE(RunCli({"unmerge", dir_->path(), "--sheet", "Sheet2"}).exitCode, 0);
    QCOMPARE(MergeCount(Path("a.xlsx"), "Sheet1"), 3);
    QCOMPARE(MergeCount(Path("a.xlsx"), "Sheet2"), 0);
    QCOMPARE(MergeCount(Path("a.xlsx"), "Sheet3"), 3);
    QCOMPARE(RunCli({"unmerge", dir_->path(), "--first-sheet"}).exitCode, 0);
    QCOMPARE(MergeCount(Path("a.xlsx"), "Sheet1"), 0);
    QCOMPARE(MergeCount(Path("a.xlsx"), "Sheet3"), 3);
}

void CliTest::WriteTreeWithFailures()
{
    QVERIFY(WriteMergedWorkbook(Path("b.xlsx")));
    QVERIFY(WriteMergedWorkbook(Path("locked.xlsx")));
    QVERIFY(QFile(Path("~$locked.xlsx")).open(QIODevice::WriteOnly));
    QFile damaged(Path("A-damaged.xlsx"));
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("PK\3\4 torn") > 0);
}

void CliTest::versionAndHelpEndInNewline()
{
    const CliResult version = RunCli({"--version"});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.output, QString("sheetwright-cli " SHEETWRIGHT_VERSION "\n"));
    for (const QString &locale : {testsupport::kEnglishLocale, QString()}) {
        for (const QStringList &arguments :
             {QStringList{"--help"}, QStringList{"unmerge", "--help"},
              QStringList{"transfer", "-h"}}) {
            const CliResult help = RunCli(arguments, locale);
            QCOMPARE(help.exitCode, 0);
            QVERIFY2(help.output.endsWith("\n") && !help.output.endsWith("\n\n"),
                     qPrintable(help.output));
        }
    }
    const QString transferHelp = RunCli({"transfer", "--help"}).output;
    for (const char *option : {"--template <FILE>", "--files-from <FILE>", "--dry-run", "--json",
                               "--quiet", "--jobs <N>"})
        QVERIFY2(transferHelp.contains(option), option);
}

void CliTest::chineseWhereLocaleIsChineseOrUnset_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("unset") << QString();
    QTest::newRow("C") << "C";
    QTest::newRow("C.UTF-8") << "C.UTF-8";
    QTest::newRow("POSIX") << "POSIX";
    QTest::newRow("zh_CN") << "zh_CN.UTF-8";
}

// The summary is the window's, word for word; no English is left.
void CliTest::chineseWhereLocaleIsChineseOrUnset()
{
    QFETCH(QString, locale);
    WriteTreeWithFailures();
    const QString root = dir_->path() + "/";
    const CliResult result = RunCli({"unmerge", dir_->path()}, locale);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.lines.size(), 5);
    QVERIFY2(QRegularExpression(
                 QString::fromUtf8("^成功设置1个Excel文件,耗时\\d+秒。失败2个，未改动0个。$"))
                 .match(result.lines[3])
                 .hasMatch(),
             qPrintable(result.lines[3]));
    QCOMPARE(result.lines[4], QString::fromUtf8("报告：") + root + kReportName);
    QVERIFY(result.errors.contains(QString::fromUtf8("失败：") + root + "locked.xlsx"));
    QVERIFY(!result.errors.contains("failed"));

    const CliResult usage = RunCli({"unmerge", dir_->path(), "--sheet"}, locale);
    QCOMPARE(usage.exitCode, 2);
    QVERIFY2(
        usage.errors.startsWith(QString::fromUtf8("sheetwright-cli: 选项 --sheet 缺少值\n用法：")),
        qPrintable(usage.errors));
    QVERIFY(!usage.errors.contains("Usage"));
}

void CliTest::dryRunExplainsAndChangesNothing()
{
    WriteTreeWithFailures();
    QVERIFY(QDir(dir_->path()).mkpath(".sheetwright/runs/1"));
    QVERIFY(WriteMergedWorkbook(Path(".sheetwright/runs/1/b.xlsx")));
    QVERIFY(QFile(Path("notes.txt")).open(QIODevice::WriteOnly));
    const QStringList names = {"A-damaged.xlsx", "b.xlsx",    "locked.xlsx",
                               "~$locked.xlsx",  "notes.txt", ".sheetwright/runs/1/b.xlsx"};
    QStringList before;
    for (const QString &name : names)
        before << QString::fromLatin1(FileBytes(Path(name)).toHex());

    const QString root = dir_->path() + "/";
    const CliResult plan = RunCli({"unmerge", dir_->path(), "--dry-run"});
    QCOMPARE(plan.exitCode, 0);
    QCOMPARE(plan.lines.size(), 7);
    // Each workbook is opened as the run would: a damaged one would fail.
    QVERIFY2(plan.lines[0].startsWith("would fail: " + root + "A-damaged.xlsx: not a readable zip"),
             qPrintable(plan.lines[0]));
    QCOMPARE(plan.lines[1], "process: " + root + "b.xlsx");
    QVERIFY(
        plan.lines[2].startsWith("would fail: " + root + "locked.xlsx: open in another program"));
    QVERIFY(plan.lines[3].startsWith("skip: " + root + "notes.txt: not a workbook"));
    QVERIFY(
        plan.lines[4].startsWith("skip: " + root + "~$locked.xlsx: the name starts with \"~$\""));
    QVERIFY(plan.lines[5].startsWith("skip: " + root + ".sheetwright/: hidden folder"));
    QCOMPARE(plan.lines[6], "1 workbook(s) would be processed, 2 would fail, 3 skipped; nothing "
                            "was changed.");

    const CliResult json = RunCli({"transfer", dir_->path(), "--dry-run", "--json", "--template",
                                   Path("b.xlsx"), "--range", "A1:B2"});
    QCOMPARE(json.exitCode, 0);
    QCOMPARE(json.lines.size(), 7);
    const QJsonObject first = QJsonDocument::fromJson(json.lines[0].toUtf8()).object();
    QCOMPARE(first["path"].toString(), root + "A-damaged.xlsx");
    QCOMPARE(first["outcome"].toString(), "would_fail");
    const QJsonObject summary = QJsonDocument::fromJson(json.lines[6].toUtf8()).object();
    QCOMPARE(summary["type"].toString(), "summary");
    QCOMPARE(summary["would_process"].toInt(), 1);
    QCOMPARE(summary["would_fail"].toInt(), 2);
    QCOMPARE(summary["skipped"].toInt(), 3);

    QDir::setCurrent(dir_->path());
    const CliResult listed = RunCli({"unmerge", "--dry-run", "--files-from", "-"},
                                    testsupport::kEnglishLocale, "b.xlsx\ngone.xlsx\n");
    QCOMPARE(listed.exitCode, 0);
    QCOMPARE(listed.lines.size(), 3);
    QCOMPARE(listed.lines[0], "process: " + root + "b.xlsx");
    QVERIFY(listed.lines[1].startsWith("would fail: " + root + "gone.xlsx: no such file"));

    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(QString::fromLatin1(FileBytes(Path(names[i])).toHex()), before[i]);
    QVERIFY(!QFile::exists(Path(kReportName)));
}

void CliTest::filesFromProcessesExactlyTheList()
{
    QVERIFY(QDir(dir_->path()).mkpath("sub"));
    for (const char *name : {"a.xlsx", "b.xlsx", "sub/c.xlsx"})
        QVERIFY(WriteMergedWorkbook(Path(name)));
    QVERIFY(QFile(Path("notes.txt")).open(QIODevice::WriteOnly));
    QDir::setCurrent(dir_->path());
    const QByteArray list = "sub/c.xlsx\n\n" + Path("a.xlsx").toUtf8() + "\r\nnotes.txt\n";

    const CliResult result =
        RunCli({"unmerge", "--files-from", "-", dir_->path()}, testsupport::kEnglishLocale, list);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.lines.mid(0, 2), QStringList({Path("sub/c.xlsx"), Path("a.xlsx")}));
    QVERIFY(result.errors.contains("skipped: " + Path("notes.txt") + ": not a workbook"));
    QCOMPARE(MergeCount(Path("a.xlsx"), "Sheet1"), 0);
    QCOMPARE(MergeCount(Path("sub/c.xlsx"), "Sheet1"), 0);
    QCOMPARE(MergeCount(Path("b.xlsx"), "Sheet1"), 3);

    QCOMPARE(RunCli({"unmerge", "--files-from", Path("no-such-list")}).exitCode, 2);
    QCOMPARE(
        RunCli({"unmerge", "--files-from", "-"}, testsupport::kEnglishLocale, "b.xlsx\n").exitCode,
        0);
    QCOMPARE(MergeCount(Path("b.xlsx"), "Sheet1"), 0);
}

void CliTest::filesFromWithoutFolderReportsIntoCurrentFolder()
{
    QVERIFY(QDir(dir_->path()).mkpath("books"));
    QVERIFY(QDir(dir_->path()).mkpath("logs"));
    QFile damaged(Path("books/torn.xlsx"));
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("PK\3\4 torn") > 0);
    damaged.close();
    QFile list(Path("list.txt"));
    QVERIFY(list.open(QIODevice::WriteOnly) && list.write("../books/torn.xlsx\n") > 0);
    list.close();
    QDir::setCurrent(Path("logs"));

    const CliResult result = RunCli({"unmerge", "--files-from", Path("list.txt")});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.lines.last(), "report: " + Path("logs") + "/" + kReportName);
    QCOMPARE(FileBytes(Path("logs/") + kReportName), (Path("books/torn.xlsx") + "\r\n").toUtf8());
    QVERIFY(!QFile::exists(Path("books/") + kReportName));
}

void CliTest::jsonGivesEachWorkbookAndSummary()
{
    WriteTreeWithFailures();
    const QString root = dir_->path() + "/";
    const CliResult result = RunCli({"unmerge", dir_->path(), "--json", "--jobs", "2"});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.lines.size(), 4);
    QList<QJsonObject> objects;
    for (const QString &line : result.lines) {
        QJsonParseError error;
        objects << QJsonDocument::fromJson(line.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
    }
    const QStringList paths = {"A-damaged.xlsx", "b.xlsx", "locked.xlsx"};
    const QStringList outcomes = {"failed", "done", "failed"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(objects[i]["type"].toString(), "workbook");
        QCOMPARE(objects[i]["path"].toString(), root + paths[i]);
        QCOMPARE(objects[i]["outcome"].toString(), outcomes[i]);
        QCOMPARE(objects[i]["reason"].toString().isEmpty(), outcomes[i] == "done");
        QVERIFY(objects[i]["seconds"].isDouble() && objects[i]["seconds"].toDouble() >= 0);
    }
    const QJsonObject summary = objects[3];
    QCOMPARE(summary["type"].toString(), "summary");
    QCOMPARE(summary["end"].toString(), "completed");
    QCOMPARE(summary["done"].toInt(), 1);
    QCOMPARE(summary["unchanged"].toInt(), 0);
    QCOMPARE(summary["failed"].toInt(), 2);
    QCOMPARE(summary["report"].toString(), root + kReportName);
    QVERIFY(result.errors.contains("failed: " + root + "locked.xlsx: "));

    const CliResult listed = RunCli({"unmerge", "--files-from", "-", "--json"},
                                    testsupport::kEnglishLocale, Path("b.xlsx").toUtf8());
    QCOMPARE(listed.exitCode, 0);
    QCOMPARE(listed.lines.size(), 2);
    QCOMPARE(QJsonDocument::fromJson(listed.lines[0].toUtf8())["path"].toString(), Path("b.xlsx"));
    QCOMPARE(QJsonDocument::fromJson(listed.lines[1].toUtf8())["report"].toString(), "");
}

void CliTest::quietPrintsOnlyFailuresAndSummary()
{
    WriteTreeWithFailures();
    const QString root = dir_->path() + "/";
    const CliResult result = RunCli({"unmerge", dir_->path(), "--quiet"});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.lines.size(), 2);
    QVERIFY(result.lines[0].startsWith("1 workbook(s) done in "));
    QCOMPARE(result.lines[1], "report: " + root + kReportName);
    const QStringList errors = result.errors.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(errors.size(), 2);
    QVERIFY(errors[0].startsWith("failed: " + root + "A-damaged.xlsx: "));
    QVERIFY(errors[1].startsWith("failed: " + root + "locked.xlsx: "));
}

// The tests read standard error through a pipe, as a log file would.
void CliTest::progressInLogIsPlainLines()
{
    for (const char *name : {"a.xlsx", "b.xlsx", "c.xlsx"})
        QVERIFY(WriteMergedWorkbook(Path(name)));
    const CliResult result = RunCli({"unmerge", dir_->path()});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(!result.errors.contains('\r') && !result.errors.contains('\033'),
             qPrintable(result.errors));
    const QStringList lines = result.errors.split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.size() >= 2);
    QCOMPARE(lines.first(), "0 / 3");
    QVERIFY2(lines.last().startsWith("3 / 3"), qPrintable(lines.last()));
    QCOMPARE(RunCli({"unmerge", dir_->path(), "--quiet"}).errors, QString());
}

QTEST_GUILESS_MAIN(CliTest)
#include "test_cli.moc"
