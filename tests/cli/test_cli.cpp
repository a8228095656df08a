// sheetwright-cli as a user runs it: a real folder tree, its output, its
// exit codes and the run report.

#include "cli_process.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "python_check.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
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

  private:
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
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList();
    QTest::newRow("unknown command") << QStringList{"frobnicate", "."};
    QTest::newRow("no folder") << QStringList{"unmerge"};
    QTest::newRow("missing folder") << QStringList{"unmerge", "/no/such/folder"};
    QTest::newRow("two folders") << QStringList{"unmerge", ".", "."};
    QTest::newRow("unknown option") << QStringList{"unmerge", ".", "--bogus"};
    QTest::newRow("sheet without name") << QStringList{"unmerge", ".", "--sheet"};
    QTest::newRow("no jobs") << QStringList{"unmerge", ".", "--jobs", "0"};
    QTest::newRow("too many jobs") << QStringList{"unmerge", ".", "--jobs", "65"};
    QTest::newRow("jobs not a number") << QStringList{"unmerge", ".", "--jobs", "two"};
}

void CliTest::badUsageExitsWithTwo()
{
    QFETCH(QStringList, arguments);
    QVERIFY(WriteMergedWorkbook(Path("a.xlsx")));
    const QByteArray before = FileBytes(Path("a.xlsx"));
    QDir::setCurrent(dir_->path());
    const CliResult result = RunCli(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.lines.isEmpty());
    QVERIFY(result.errors.contains("Usage:"));
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
    QVERIFY(result.lines[4].startsWith(QString::fromUtf8("成功设置2个Excel文件,耗时")));
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

QTEST_GUILESS_MAIN(CliTest)
#include "test_cli.moc"
