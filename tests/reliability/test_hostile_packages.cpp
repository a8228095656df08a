// Packages built to hurt a reader, run through sheetwright-cli as a user
// would: each is "not opened" with a reason, or opened and saved with every
// entry kept. Never a crash or a hang, and memory stays bounded: each run
// has a time limit and (outside sanitizer builds) an address-space limit.

#include "bounded_cli.h"
#include "engine/workbook.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "folder_state.h"
#include "hostile_packages.h"
#include "zip_compare.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;

namespace
{

constexpr int kTimeoutMs = 60000;
constexpr qint64 kMemoryKiB = 1 << 20; // 1 GiB of address space
const QString kReportName = QStringLiteral("无法打开的文件目录(文件格式有误).txt");

bool OpensWithEngine(const QString &path)
{
    engine::Error error;
    return engine::Workbook::Open(QFile::encodeName(path).toStdString(), error) != nullptr;
}

} // namespace

Q_DECLARE_METATYPE(hostile::Expect)

class HostilePackagesTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void refusedOrHandledSafely_data();
    void refusedOrHandledSafely();

  private:
    QTemporaryDir dir_;
    QString template_;
};

void HostilePackagesTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    template_ = dir_.filePath(QStringLiteral("template.xlsx"));
    QVERIFY(WriteRichWorkbook(template_));
}

void HostilePackagesTest::refusedOrHandledSafely_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("transfer");
    QTest::addColumn<hostile::Expect>("expect");
    for (const hostile::HostilePackage &package : hostile::HostilePackages()) {
        const QString name = QString::fromStdString(package.name);
        const QByteArray bytes = QByteArray::fromStdString(package.bytes);
        QTest::newRow(qPrintable("unmerge " + name)) << name << bytes << false << package.expect;
        QTest::newRow(qPrintable("transfer " + name)) << name << bytes << true << package.expect;
    }
}

void HostilePackagesTest::refusedOrHandledSafely()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, transfer);
    QFETCH(hostile::Expect, expect);
    QTemporaryDir folder(dir_.filePath(QStringLiteral("run-XXXXXX")));
    const QString book = folder.filePath(name);
    QVERIFY(WriteFileBytes(book, bytes));
    const QStringList entriesBefore = EntryNames(book);
    QStringList arguments{transfer ? QStringLiteral("transfer") : QStringLiteral("unmerge"),
                          folder.path()};
    if (transfer)
        arguments << QStringLiteral("--template") << template_ << QStringLiteral("--last-row")
                  << QStringLiteral("4") << QStringLiteral("--formulas")
                  << QStringLiteral("--values");

    const BoundedRun run =
        RunCliBounded(arguments, kTimeoutMs, MemoryLimitForThisBuild(kMemoryKiB));
    QVERIFY2(run.finished, qPrintable("crashed or hung: " + run.errors));
    const bool refused = run.exitCode == 1;
    // A transfer needs a style table and sheets it can read: it may refuse
    // what an unmerge handles.
    if (!transfer)
        QCOMPARE(refused, expect == hostile::Expect::Refused);
    if (refused) {
        QVERIFY2(run.errors.contains("failed: " + QDir::toNativeSeparators(book) + ": "),
                 qPrintable(run.errors));
        QVERIFY(!run.errors.contains(book + ": \n"));
        QCOMPARE(FileBytes(book), bytes);
    } else {
        QCOMPARE(run.exitCode, 0);
        QVERIFY(OpensWithEngine(book));
        QCOMPARE(EntryNames(book), entriesBefore);
    }
    QStringList left = FileNames(folder.path());
    left.removeAll(kReportName);
    QCOMPARE(left, QStringList{name});
}

QTEST_GUILESS_MAIN(HostilePackagesTest)
#include "test_hostile_packages.moc"
