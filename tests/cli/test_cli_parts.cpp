// The parts of sheetwright-cli that decide what it says: the language, the
// progress line, the --files-from list and the reasons for passing files by.
// Runs with an English locale (see CMakeLists.txt).

#include "cli/cli_texts.h"
#include "cli/file_list.h"
#include "cli/progress_line.h"
#include "cli/progress_text.h"
#include "cli/run_printer.h"
#include "cli/skip_reasons.h"
#include "cli/text_wrap.h"
#include "worker/backend_routing.h"
#include "worker/status_texts.h"

#include "file_bytes.h"
#include "fixtures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

class CliPartsTest : public QObject
{
    Q_OBJECT

  private slots:
    void languageFollowsLocale_data();
    void languageFollowsLocale();
    void progressText_data();
    void progressText();
    void progressLineOnTerminalRewritesOneLine();
    void progressLineInLogWritesSparseLines();
    void runPrinterCountsEachOutcome();
    void runPrinterEndsWithoutSummaryWhenTemplateUnusable();
    void workerReasonsInEnglish();
    void wrapping_data();
    void wrapping();
    void fileListReadsPathsAsListed();
    void passedByReasons_data();
    void passedByReasons();
    void foreseenFailures();
};

void CliPartsTest::languageFollowsLocale_data()
{
    QTest::addColumn<QString>("lcAll");
    QTest::addColumn<QString>("lcMessages");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<bool>("chinese");
    QTest::newRow("nothing set") << ""
                                 << ""
                                 << "" << true;
    QTest::newRow("C") << ""
                       << ""
                       << "C" << true;
    QTest::newRow("C.UTF-8") << "C.UTF-8"
                             << ""
                             << "" << true;
    QTest::newRow("POSIX") << ""
                           << "POSIX"
                           << "" << true;
    QTest::newRow("simplified Chinese") << ""
                                        << ""
                                        << "zh_CN.UTF-8" << true;
    QTest::newRow("traditional Chinese") << ""
                                         << ""
                                         << "zh_TW" << true;
    QTest::newRow("English") << ""
                             << ""
                             << "en_US.UTF-8" << false;
    QTest::newRow("German") << ""
                            << ""
                            << "de_DE.UTF-8" << false;
    QTest::newRow("Catalan is not C") << ""
                                      << ""
                                      << "ca_ES.UTF-8" << false;
    QTest::newRow("LC_ALL wins") << "en_GB.UTF-8"
                                 << "zh_CN.UTF-8"
                                 << "zh_CN.UTF-8" << false;
    QTest::newRow("LC_MESSAGES before LANG") << ""
                                             << "zh_CN.UTF-8"
                                             << "de_DE.UTF-8" << true;
}

void CliPartsTest::languageFollowsLocale()
{
    QFETCH(QString, lcAll);
    QFETCH(QString, lcMessages);
    QFETCH(QString, lang);
    QFETCH(bool, chinese);
    QCOMPARE(LanguageOfLocale(lcAll, lcMessages, lang) == TextLanguage::Chinese, chinese);
}

void CliPartsTest::progressText_data()
{
    QTest::addColumn<int>("finished");
    QTest::addColumn<int>("total");
    QTest::addColumn<double>("elapsed");
    QTest::addColumn<QString>("text");
    QTest::newRow("no pace yet") << 0 << 10 << 3.0 << "0 / 10";
    QTest::newRow("no time yet") << 1 << 10 << 0.0 << "1 / 10";
    QTest::newRow("half way") << 5 << 10 << 2.0 << "5 / 10, 2.5 workbooks/s, 0:02 left";
    QTest::newRow("time left rounds up") << 3 << 10 << 2.0 << "3 / 10, 1.5 workbooks/s, 0:05 left";
    QTest::newRow("minutes") << 10 << 100 << 10.0 << "10 / 100, 1.0 workbooks/s, 1:30 left";
    QTest::newRow("hours") << 1 << 10000 << 1.0 << "1 / 10000, 1.0 workbooks/s, 2:46:39 left";
    QTest::newRow("all done") << 4 << 4 << 2.0 << "4 / 4, 2.0 workbooks/s, 0:00 left";
}

void CliPartsTest::progressText()
{
    QFETCH(int, finished);
    QFETCH(int, total);
    QFETCH(double, elapsed);
    QFETCH(QString, text);
    QCOMPARE(ProgressText(finished, total, elapsed), text);
}

void CliPartsTest::progressLineOnTerminalRewritesOneLine()
{
    QString written;
    QTextStream err(&written);
    double now = 0;
    ProgressLine line(err, true, [&now] { return now; });
    line.Start(2);
    now = 1;
    line.Update(1);
    QCOMPARE(written, QString("\r\033[K0 / 2\r\033[K1 / 2, 1.0 workbooks/s, 0:01 left"));
    written.clear();
    line.Clear();
    line.Clear(); // nothing shown any more: nothing to take off
    QCOMPARE(written, QString("\r\033[K"));
    written.clear();
    line.Update(2);
    line.Finish();
    QVERIFY(!written.contains('\n'));
    QVERIFY(written.endsWith("\r\033[K"));
}

void CliPartsTest::progressLineInLogWritesSparseLines()
{
    QString written;
    QTextStream err(&written);
    double now = 0;
    ProgressLine line(err, false, [&now] { return now; });
    line.Start(4);
    for (int finished = 1; finished <= 4; ++finished) {
        now = finished * 2;
        line.Update(finished);
    }
    line.Finish();
    QCOMPARE(written.split('\n', Qt::SkipEmptyParts),
             QStringList({"0 / 4", "3 / 4, 0.5 workbooks/s, 0:02 left",
                          "4 / 4, 0.5 workbooks/s, 0:00 left"}));
    QVERIFY(!written.contains('\r'));
}

namespace
{

WorkbookProgress Finished(int position, const char *path, WorkbookOutcome outcome,
                          const QString &reason = QString())
{
    return {position, 3, QString::fromUtf8(path), {outcome, reason, 0.25}};
}

void PrintThreeWorkbooks(RunPrinter &printer)
{
    printer.Started(3);
    printer.Finished(Finished(1, "/d/a.xlsx", WorkbookOutcome::Done));
    printer.Finished(Finished(2, "/d/b.xlsx", WorkbookOutcome::Unchanged));
    printer.Finished(Finished(3, "/d/c.xlsx", WorkbookOutcome::Failed, "torn"));
    printer.Close({RunEnd::Completed, 7.9, "/t.xlsx", {}, "/d/report.txt", {}});
}

} // namespace

// Done, unchanged and failed workbooks are counted apart, as the window counts them.
void CliPartsTest::runPrinterCountsEachOutcome()
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    RunPrinter lines(RunOutputMode::Lines, outStream, errStream, nullptr);
    PrintThreeWorkbooks(lines);
    QCOMPARE(out, QString("/d/a.xlsx\n/d/b.xlsx\n/d/c.xlsx\n"
                          "1 workbook(s) done in 7 s, 1 failed, 1 unchanged.\n"
                          "report: /d/report.txt\n"));
    QCOMPARE(err, QString("failed: /d/c.xlsx: torn\n"));

    out.clear();
    RunPrinter json(RunOutputMode::Json, outStream, errStream, nullptr);
    PrintThreeWorkbooks(json);
    const QStringList objects = out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(objects.size(), 4);
    QStringList outcomes;
    for (int i = 0; i < 3; ++i)
        outcomes << QJsonDocument::fromJson(objects[i].toUtf8())["outcome"].toString();
    QCOMPARE(outcomes, QStringList({"done", "unchanged", "failed"}));
    const QJsonObject summary = QJsonDocument::fromJson(objects[3].toUtf8()).object();
    QCOMPARE(summary["done"].toInt(), 1);
    QCOMPARE(summary["unchanged"].toInt(), 1);
    QCOMPARE(summary["failed"].toInt(), 1);
    QCOMPARE(summary["seconds"].toDouble(), 7.9);
}

void CliPartsTest::runPrinterEndsWithoutSummaryWhenTemplateUnusable()
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    RunPrinter lines(RunOutputMode::Quiet, outStream, errStream, nullptr);
    lines.Close({RunEnd::TemplateUnusable, 0, "/t/template.xlsx", "the package is encrypted"});
    // An error, on standard error, with its reason.
    QCOMPARE(out, QString());
    QCOMPARE(err, QString("the template cannot be opened: /t/template.xlsx (the package is "
                          "encrypted)\n"));
    err.clear();
    RunPrinter json(RunOutputMode::Json, outStream, errStream, nullptr);
    json.Close({RunEnd::TemplateUnusable, 0, "/t/template.xlsx", {}});
    QCOMPARE(QJsonDocument::fromJson(out.toUtf8())["end"].toString(), "template_unusable");
    QCOMPARE(err, QString("the template cannot be opened: /t/template.xlsx\n"));
}

// The worker gives the window's Chinese reasons; an English CLI says them in
// English, on standard error and in JSON, and keeps their details.
void CliPartsTest::workerReasonsInEnglish()
{
    const QString noOffice = NoBackendReason(BackendKind::Office);
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    RunPrinter json(RunOutputMode::Json, outStream, errStream, nullptr);
    json.Started(3);
    json.Finished(Finished(1, "/d/a.xls", WorkbookOutcome::Failed, noOffice));
    json.Finished(Finished(2, "/d/b.xlsx", WorkbookOutcome::Failed,
                           TemplateRangeNotCopiedText("no styles part")));
    json.Finished(Finished(3, "/d/c.xlsx", WorkbookOutcome::Failed, "torn"));
    QCOMPARE(err, QString("failed: /d/a.xls: LibreOffice Calc is needed to process .xls files\n"
                          "failed: /d/b.xlsx: the template range cannot be copied: no styles "
                          "part\nfailed: /d/c.xlsx: torn\n"));
    QCOMPARE(QJsonDocument::fromJson(out.split('\n').first().toUtf8())["reason"].toString(),
             "LibreOffice Calc is needed to process .xls files");

    err.clear();
    RunPrinter lines(RunOutputMode::Lines, outStream, errStream, nullptr);
    lines.Close({RunEnd::TemplateUnusable, 0, "/t/model.xls", noOffice});
    QCOMPARE(err, QString("the template cannot be opened: /t/model.xls (LibreOffice Calc is "
                          "needed to process .xls files)\n"));
}

void CliPartsTest::wrapping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("fits") << "one two" << 7 << QStringList{"one two"};
    QTest::newRow("at spaces") << "one two three" << 7 << QStringList{"one two", "three"};
    QTest::newRow("long word stays whole")
        << "a --files-from b" << 5 << QStringList{"a", "--files-from", "b"};
    QTest::newRow("wide characters take two columns")
        << "只处理每个工作簿" << 6 << QStringList{"只处理", "每个工", "作簿"};
    QTest::newRow("mixed") << "处理 FILE 中的" << 8 << QStringList{"处理", "FILE 中", "的"};
}

void CliPartsTest::wrapping()
{
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(QStringList, lines);
    QCOMPARE(WrapToColumns(text, limit), lines);
}

void CliPartsTest::fileListReadsPathsAsListed()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir::setCurrent(dir.path()));
    QBuffer list;
    list.setData(
        QString("/abs/one.xlsx\n\nsub/two words.xlsx\r\n./三.xlsx\n/abs/../last.xlsm").toUtf8());
    QVERIFY(list.open(QIODevice::ReadOnly));
    const QString here = QDir::current().absolutePath();
    QCOMPARE(ReadFileList(list), QStringList({"/abs/one.xlsx", here + "/sub/two words.xlsx",
                                              here + "/三.xlsx", "/last.xlsm"}));
}

void CliPartsTest::passedByReasons_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reasonStart"); // empty: the run takes the file
    QTest::newRow("workbook") << "/d/a.xlsx"
                              << "";
    QTest::newRow("upper-case suffix") << "/d/A.XLSM"
                                       << "";
    QTest::newRow("legacy workbook") << "/d/old.xls"
                                     << "";
    QTest::newRow("text file") << "/d/notes.txt"
                               << "not a workbook";
    QTest::newRow("suffix only in folder") << "/d/x.xlsx/readme"
                                           << "not a workbook";
    QTest::newRow("office lock file") << "/d/~$a.xlsx"
                                      << "the name starts with \"~$\"";
    QTest::newRow("below a lock-named folder") << "/d/~$old/a.xlsx"
                                               << "";
    QTest::newRow("kept original of a run") << "/d/.sheetwright/runs/20261207-201500/a.xlsx"
                                            << "inside the run backup folder";
    QTest::newRow("similar folder name") << "/d/.sheetwright-old/a.xlsx"
                                         << "";
}

void CliPartsTest::passedByReasons()
{
    QFETCH(QString, path);
    QFETCH(QString, reasonStart);
    const QString reason = PassedByReason(path);
    QVERIFY2(reasonStart.isEmpty() ? reason.isEmpty() : reason.startsWith(reasonStart),
             qPrintable(reason));
}

void CliPartsTest::foreseenFailures()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char *name : {"free.xlsx", "word.xlsx", "calc.xlsx"})
        QVERIFY(testsupport::WriteMergedWorkbook(dir.filePath(name)));
    for (const char *name : {"~$word.xlsx", ".~lock.calc.xlsx#", "empty.xlsx"})
        QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
    QVERIFY(testsupport::WriteFileBytes(dir.filePath("junk.xlsx"), "not a workbook"));
    const automation::AppFactory some = [] { return nullptr; };
    const Backends both{some, some};
    QVERIFY(ForeseenFailure(dir.filePath("free.xlsx"), both).isEmpty());
    QVERIFY(ForeseenFailure(dir.filePath("word.xlsx"), both).startsWith("open in another program"));
    QVERIFY(ForeseenFailure(dir.filePath("calc.xlsx"), both).startsWith("open in another program"));
    QVERIFY(ForeseenFailure(dir.filePath("gone.xlsx"), both).startsWith("no such file"));
    QVERIFY(ForeseenFailure(dir.path(), both).startsWith("no such file"));
    // Opened as a run opens them: a run would fail these, not process them.
    QCOMPARE(ForeseenFailure(dir.filePath("empty.xlsx"), both),
             QString("the workbook file is empty (0 bytes)"));
    QVERIFY(ForeseenFailure(dir.filePath("junk.xlsx"), both).startsWith("not a readable zip"));
    // Without LibreOffice, an .xls workbook would fail, the others not.
    QVERIFY(QFile(dir.filePath("old.xls")).open(QIODevice::WriteOnly));
    const Backends nativeOnly{some, nullptr};
    QCOMPARE(ForeseenFailure(dir.filePath("old.xls"), nativeOnly),
             QString("LibreOffice Calc is needed to process .xls files"));
    QVERIFY(ForeseenFailure(dir.filePath("old.xls"), both) !=
            ReasonText(NoBackendReason(BackendKind::Office)));
    QVERIFY(ForeseenFailure(dir.filePath("free.xlsx"), nativeOnly).isEmpty());
}

QTEST_GUILESS_MAIN(CliPartsTest)
#include "test_cli_parts.moc"
