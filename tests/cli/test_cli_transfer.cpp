// sheetwright-cli transfer over a folder tree: each option combination keeps
// the promises of its pastes, judged by openpyxl; refused ranges touch nothing.

#include "cli_process.h"
#include "transfer_check.h"
#include "transfer_fixtures.h"
#include "zip_compare.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QStringList kFormats = {"widths", "formats"};

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
    void invalidRangeTouchesNothing();

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

QTEST_GUILESS_MAIN(CliTransferTest)
#include "test_cli_transfer.moc"
