// sheetwright-cli transfer over a folder tree: each option combination keeps
// the promises of its pastes, judged by openpyxl; refused ranges touch nothing.

#include "cli_process.h"
#include "fixtures.h"
#include "transfer_check.h"
#include "transfer_fixtures.h"
#include "zip_compare.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QStringList kFormats = {"widths", "formats"};

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The template written again without one part, or with its text replaced.
bool WriteBrokenTemplate(const QString &path, const QString &part, const QByteArray &text)
{
    if (!WriteTransferTemplate(path))
        return false;
    testsupport::PackageEntries entries;
    for (const QString &name : testsupport::EntryNames(path)) {
        if (name != part)
            entries.emplace_back(name, testsupport::EntryData(path, name));
        else if (!text.isEmpty())
            entries.emplace_back(name, text);
    }
    return testsupport::WritePackage(path, entries);
}

} // namespace

class CliTransferTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void optionsGiveTheirPastes_data();
    void optionsGiveTheirPastes();
    void onlyTheChosenSheets_data();
    void onlyTheChosenSheets();
    void templateInsideTheFolderStaysAsItWas();
    void onlyEditedEntriesChange();
    void undoGivesBackTheExactFiles();
    void invalidRangeTouchesNothing();
    void templateThatCannotBeCopiedFailsEveryTarget_data();
    void templateThatCannotBeCopiedFailsEveryTarget();
    void templateThatDoesNotOpenExitsWithTwo();

  private:
    QString Target(const QString &name) const { return folder_->filePath(name); }
    CliResult Transfer(const QStringList &options) const;

    QTemporaryDir fixtures_;
    std::unique_ptr<QTemporaryDir> folder_;
    QString template_;
    QString pristine_;
};

void CliTransferTest::initTestCase()
{
    QVERIFY(fixtures_.isValid());
    template_ = fixtures_.filePath("template.xlsx");
    pristine_ = fixtures_.filePath("pristine.xlsx");
    QVERIFY(WriteTransferTemplate(template_));
    QVERIFY(WriteTransferTarget(pristine_));
}

void CliTransferTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    QVERIFY(QDir(folder_->path()).mkdir("sub"));
    QVERIFY(QFile::copy(pristine_, Target("a.xlsx")));
    QVERIFY(QFile::copy(pristine_, Target("sub/b.xlsm")));
}

CliResult CliTransferTest::Transfer(const QStringList &options) const
{
    return RunCli(QStringList{"transfer", folder_->path(), "--template", template_} + options);
}

void CliTransferTest::optionsGiveTheirPastes_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("areas");
    QTest::addColumn<QStringList>("pastes");
    const QStringList twoAreas = {"--range", "B2:D9,F1:F20"};
    QTest::newRow("formats") << twoAreas << "B2:D9,F1:F20" << kFormats;
    QTest::newRow("widths only") << twoAreas + QStringList{"--widths-only"} << "B2:D9,F1:F20"
                                 << QStringList{"widths"};
    QTest::newRow("formulas") << twoAreas + QStringList{"--formulas"} << "B2:D9,F1:F20"
                              << kFormats + QStringList{"formulas"};
    QTest::newRow("values") << QStringList{"--range", "B2:D9", "--values"} << "B2:D9"
                            << kFormats + QStringList{"values"};
    QTest::newRow("widths, formulas and values")
        << QStringList{"--range", "B2:D9", "--widths-only", "--formulas", "--values"} << "B2:D9"
        << QStringList{"widths", "formulas", "values"};
    QTest::newRow("whole rows") << QStringList{"--last-row", "12"} << "1:12" << kFormats;
    QTest::newRow("trailing comma") << QStringList{"--range",
                                                   QString::fromUtf8("B2\xEF\xBC\x9A"
                                                                     "D9,"),
                                                   "--last-row", "12"}
                                    << "B2:D9,1:12" << kFormats;
}

void CliTransferTest::optionsGiveTheirPastes()
{
    QFETCH(QStringList, options);
    QFETCH(QString, areas);
    QFETCH(QStringList, pastes);
    const CliResult result = Transfer(options);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.lines.contains(Target("sub/b.xlsm")), qPrintable(result.lines.join('\n')));
    for (const QString &book : {Target("a.xlsx"), Target("sub/b.xlsm")})
        for (const QString &sheet : {QStringLiteral("Data"), QStringLiteral("Second")}) {
            const QStringList problems =
                TransferProblems({template_, pristine_, book, sheet, areas, pastes});
            QVERIFY2(problems.isEmpty(), qPrintable(sheet + ": " + problems.join('\n')));
        }
}

void CliTransferTest::onlyTheChosenSheets_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("changed");
    QTest::addColumn<QString>("unchanged");
    QTest::newRow("first sheet") << QStringList{"--first-sheet"} << "Data"
                                 << "Second";
    QTest::newRow("named sheet") << QStringList{"--sheet", "Second"} << "Second"
                                 << "Data";
    QTest::newRow("name differs in case") << QStringList{"--sheet", "second"} << ""
                                          << "Data";
}

void CliTransferTest::onlyTheChosenSheets()
{
    QFETCH(QStringList, options);
    QFETCH(QString, changed);
    QFETCH(QString, unchanged);
    QCOMPARE(Transfer(QStringList{"--range", "B2:D9"} + options).exitCode, 0);
    const QString book = Target("a.xlsx");
    if (!changed.isEmpty())
        QCOMPARE(TransferProblems({template_, pristine_, book, changed, "B2:D9", kFormats}),
                 QStringList());
    QCOMPARE(TransferProblems({template_, pristine_, book, unchanged, "B2:D9", {}}), QStringList());
}

void CliTransferTest::templateInsideTheFolderStaysAsItWas()
{
    const QString inside = Target("template.xlsx");
    QVERIFY(QFile::copy(template_, inside));
    const CliResult result =
        RunCli({"transfer", folder_->path(), "--template", inside, "--range", "B2:D9,F1:F20"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.lines.contains(inside));
    QCOMPARE(TransferProblems({template_, template_, inside, "Template", "B2:D9,F1:F20", kFormats}),
             QStringList());
    QCOMPARE(TransferProblems(
                 {template_, pristine_, Target("a.xlsx"), "Data", "B2:D9,F1:F20", kFormats}),
             QStringList());
}

void CliTransferTest::onlyEditedEntriesChange()
{
    QCOMPARE(Transfer({"--range", "B2:D9"}).exitCode, 0);
    QCOMPARE(
        testsupport::DifferingEntries(pristine_, Target("a.xlsx")),
        QStringList({"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml", "xl/styles.xml"}));
    QCOMPARE(Transfer({"--range", "B2:D9", "--widths-only"}).exitCode, 0);
    QCOMPARE(
        testsupport::DifferingEntries(pristine_, Target("a.xlsx")),
        QStringList({"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml", "xl/styles.xml"}));
}

// Every paste at once, on two lanes; undo then restores both byte for byte.
void CliTransferTest::undoGivesBackTheExactFiles()
{
    const CliResult run = RunCli({"transfer", folder_->path(), "--template", template_, "--range",
                                  "B2:D9", "--formulas", "--values", "--jobs", "2"});
    QCOMPARE(run.exitCode, 0);
    for (const QString &book : {Target("a.xlsx"), Target("sub/b.xlsm")})
        QVERIFY(FileBytes(book) != FileBytes(pristine_));
    const CliResult undo = RunCli({"undo", folder_->path()});
    QCOMPARE(undo.exitCode, 0);
    for (const QString &book : {Target("a.xlsx"), Target("sub/b.xlsm")})
        QCOMPARE(FileBytes(book), FileBytes(pristine_));
}

void CliTransferTest::invalidRangeTouchesNothing()
{
    const CliResult result = Transfer({"--range", "B2:D9,B2:ZZZZ9,A1"});
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.errors.contains("not a valid range address: B2:ZZZZ9"),
             qPrintable(result.errors));
    QVERIFY(result.lines.isEmpty());
    QCOMPARE(testsupport::DifferingEntries(pristine_, Target("a.xlsx")), QStringList());
    QCOMPARE(RunCli({"transfer", folder_->path(), "--template", Target("none.xlsx")}).exitCode, 2);
    QCOMPARE(Transfer({"--last-row", "0"}).exitCode, 2);
}

void CliTransferTest::templateThatCannotBeCopiedFailsEveryTarget_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("malformed shared strings")
        << "xl/sharedStrings.xml" << QByteArray("<sst><si><t>cut off");
    QTest::newRow("no styles part") << "xl/styles.xml" << QByteArray();
}

// The copy fails inside the engine: no target is touched, each is a failure
// with the reason, and nothing reads as success.
void CliTransferTest::templateThatCannotBeCopiedFailsEveryTarget()
{
    QFETCH(QString, part);
    QFETCH(QByteArray, text);
    const QString broken = fixtures_.filePath("broken.xlsx");
    QVERIFY(WriteBrokenTemplate(broken, part, text));
    const QByteArray pristine = FileBytes(pristine_);
    for (const QStringList &options : {QStringList{"--range", "B2:D9"}, QStringList{"--values"}}) {
        const CliResult result =
            RunCli(QStringList{"transfer", folder_->path(), "--template", broken, "--jobs", "2"} +
                   options);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.lines.filter("0 workbook(s) done in ").size() == 1,
                 qPrintable(result.lines.join('\n')));
        for (const QString &target : {Target("a.xlsx"), Target("sub/b.xlsm")}) {
            const QString failure = "failed: " + target + ": the template range cannot be copied: ";
            QVERIFY2(result.errors.contains(failure), qPrintable(result.errors));
            QCOMPARE(FileBytes(target), pristine);
        }
    }
}

void CliTransferTest::templateThatDoesNotOpenExitsWithTwo()
{
    const QString broken = fixtures_.filePath("not-a-workbook.xlsx");
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("plain text, not a package") > 0);
    file.close();
    // In Chinese, the window's status text, with the reason, on standard error.
    const CliResult result = RunCli({"transfer", folder_->path(), "--template", broken}, QString());
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.lines, QStringList());
    QVERIFY2(result.errors.contains(QString::fromUtf8("模板文件无法打开：") + broken +
                                    QString::fromUtf8("（not a readable zip package")),
             qPrintable(result.errors));
    QCOMPARE(FileBytes(Target("a.xlsx")), FileBytes(pristine_));
}

QTEST_GUILESS_MAIN(CliTransferTest)
#include "test_cli_transfer.moc"
