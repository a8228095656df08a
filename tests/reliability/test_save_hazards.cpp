// Faults around saving: a full disk, a read-only file, folder or file
// system, and another program deleting or replacing a workbook after the
// folder walk. Each is a reported failure; no original is damaged and no
// temporary file is left.
//
// The tests run as root, which permission bits do not stop, so read-only is
// made by a read-only tmpfs and by the immutable attribute (chattr +i); a
// full disk is a tmpfs too small for the saved copy.

#include "backends/native/native_backend.h"
#include "bounded_cli.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "folder_state.h"
#include "in_process_run.h"
#include "interfering_backend.h"
#include "scratch_mounts.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

#include <cstdio>

using namespace testsupport;

namespace
{

constexpr int kTimeoutMs = 60000;
const QString kReportName = QStringLiteral("无法打开的文件目录(文件格式有误).txt");

bool WriteBook(const QString &path)
{
    MergedBookShape shape;
    shape.rows = 300;
    shape.columns = 12;
    return WriteMergedWorkbook(path, shape);
}

// The CLI reports a failed workbook on standard error with its reason.
QString ReportedReason(const BoundedRun &run, const QString &path)
{
    const QString prefix = QStringLiteral("failed: ") + path + QStringLiteral(": ");
    for (const QString &line : run.errors.split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return QString();
}

} // namespace

class SaveHazardsTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void fullDiskKeepsTheOriginal();
    void readOnlyPlacesAreReportedFailures_data();
    void readOnlyPlacesAreReportedFailures();
    void goneOrReplacedBeforeItsTurn();
    void goneOrReplacedWhileWorkedOn_data();
    void goneOrReplacedWhileWorkedOn();

  private:
    void VerifyReportedAndUntouched(const QString &folder, const QString &book,
                                    const QString &reasonStart);

    std::unique_ptr<QTemporaryDir> dir_;
};

void SaveHazardsTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void SaveHazardsTest::VerifyReportedAndUntouched(const QString &folder, const QString &book,
                                                 const QString &reasonStart)
{
    const QByteArray original = FileBytes(book);
    QVERIFY(!original.isEmpty());
    const BoundedRun run = RunCliBounded(
        {QStringLiteral("unmerge"), folder, QStringLiteral("--no-backup")}, kTimeoutMs);
    QVERIFY2(run.finished, "the run did not end");
    QCOMPARE(run.exitCode, 1);
    const QString reason = ReportedReason(run, QDir::toNativeSeparators(book));
    QVERIFY2(reason.startsWith(reasonStart), qPrintable(run.errors));
    QCOMPARE(FileBytes(book), original);
    QStringList left = FileNames(folder);
    left.removeAll(kReportName);
    QCOMPARE(left, QStringList{QFileInfo(book).fileName()});
}

void SaveHazardsTest::fullDiskKeepsTheOriginal()
{
    const QString disk = dir_->filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(disk));
    const QString staged = dir_->filePath(QStringLiteral("book.xlsx"));
    QVERIFY(WriteBook(staged));
    const qint64 size = QFileInfo(staged).size();
    ScratchMount mount(disk);
    // Room for the workbook and a third of a copy: the save runs out of space.
    if (!mount.Mount(size + size / 3))
        QSKIP("cannot mount a tmpfs here; the engine tests inject a failing write instead");
    const QString book = QDir(disk).filePath(QStringLiteral("book.xlsx"));
    QVERIFY(QFile::copy(staged, book));
    VerifyReportedAndUntouched(disk, book, QStringLiteral("cannot write the workbook"));
}

void SaveHazardsTest::readOnlyPlacesAreReportedFailures_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only file system") << "mount"
                                           << "the workbook is read-only";
    QTest::newRow("immutable file") << "file"
                                    << "the workbook is read-only";
    QTest::newRow("immutable folder") << "folder"
                                      << "cannot create a temporary file";
}

void SaveHazardsTest::readOnlyPlacesAreReportedFailures()
{
    QFETCH(QString, place);
    QFETCH(QString, reason);
    const QString folder = dir_->filePath(QStringLiteral("books"));
    QVERIFY(QDir().mkpath(folder));
    const QString book = QDir(folder).filePath(QStringLiteral("book.xlsx"));
    ScratchMount mount(folder);
    if (place == QLatin1String("mount") && !mount.Mount(64 << 20))
        QSKIP("cannot mount a tmpfs here");
    QVERIFY(WriteBook(book));
    if (place == QLatin1String("mount"))
        QVERIFY(mount.MakeReadOnly());
    ImmutableGuard guard;
    if (place != QLatin1String("mount")) {
        guard.path = place == QLatin1String("file") ? book : folder;
        if (!SetImmutable(guard.path, true))
            QSKIP("chattr +i is not available on this file system");
    }
    VerifyReportedAndUntouched(folder, book, reason);
}

// Another program removes one workbook and puts a text file in place of
// another while the run works on the first.
void SaveHazardsTest::goneOrReplacedBeforeItsTurn()
{
    const QDir folder(dir_->path());
    for (const char *name : {"a.xlsx", "b.xlsx", "c.xlsx", "d.xlsx"})
        QVERIFY(WriteBook(folder.filePath(name)));
    const QByteArray notAWorkbook("written by another program\n");
    const RunResult result =
        UnmergeInProcess(folder.path(), NativeAppFactory(), [&](const QString &status) {
            if (!status.endsWith(QLatin1String("a.xlsx")))
                return;
            QFile::remove(folder.filePath("b.xlsx"));
            QFile::remove(folder.filePath("c.xlsx"));
            WriteFileBytes(folder.filePath("c.xlsx"), notAWorkbook);
        });
    QCOMPARE(result.failures, (QStringList{folder.filePath("b.xlsx"), folder.filePath("c.xlsx")}));
    for (const QString &reason : result.reasons)
        QVERIFY(!reason.isEmpty());
    QCOMPARE(result.successCount, 2);
    QVERIFY(!QFile::exists(folder.filePath("b.xlsx")));
    QCOMPARE(FileBytes(folder.filePath("c.xlsx")), notAWorkbook);
}

void SaveHazardsTest::goneOrReplacedWhileWorkedOn_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("deleted") << "delete";
    QTest::newRow("replaced by a new file") << "replace";
    QTest::newRow("rewritten in place") << "rewrite";
}

// Between the open and the save of the same workbook: the other program's
// file must win, and the run must say that this workbook was not done.
void SaveHazardsTest::goneOrReplacedWhileWorkedOn()
{
    QFETCH(QString, change);
    const QDir folder(dir_->path());
    const QString book = folder.filePath("book.xlsx");
    QVERIFY(WriteBook(book));
    const QByteArray theirs = "their new content, not a workbook\n";
    const RunResult result =
        UnmergeInProcess(folder.path(), InterferingAppFactory([&](const QString &path) {
                             if (change == QLatin1String("delete")) {
                                 QFile::remove(path);
                             } else if (change == QLatin1String("replace")) {
                                 WriteFileBytes(path + ".new", theirs);
                                 std::rename(QFile::encodeName(path + ".new").constData(),
                                             QFile::encodeName(path).constData());
                             } else {
                                 QFile file(path);
                                 file.open(QIODevice::WriteOnly);
                                 file.write(theirs);
                             }
                         }));
    QCOMPARE(result.failures, QStringList{book});
    QVERIFY(!result.reasons.value(0).isEmpty());
    QCOMPARE(result.successCount, 0);
    if (change == QLatin1String("delete"))
        QVERIFY(!QFile::exists(book));
    else
        QCOMPARE(FileBytes(book), theirs);
    QStringList left = FileNames(folder.path());
    left.removeAll(kReportName);
    QCOMPARE(left, change == QLatin1String("delete") ? QStringList() : QStringList{"book.xlsx"});
}

QTEST_GUILESS_MAIN(SaveHazardsTest)
#include "test_save_hazards.moc"
