// A save that cannot complete is reported and leaves the original workbook
// exactly as it was, with no temporary file behind; also when its last step
// (flush and replace) is finished apart from the rest, after the workbook is
// gone.
//
// The tests run as root, which ignores permission bits, so the failures are
// made by other means: the read-only bits (which the engine honours itself),
// the immutable attribute (chattr +i, which binds root too) on the file or
// its folder, and a file size limit (RLIMIT_FSIZE) that makes a write fail
// half-way as a full disk would.

#include "engine_test_helpers.h"
#include "file_size_limit.h"
#include "file_bytes.h"
#include "fixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace testsupport;

namespace
{

bool SetImmutable(const QString &path, bool on)
{
    return QProcess::execute(QStringLiteral("chattr"),
                             {on ? QStringLiteral("+i") : QStringLiteral("-i"), path}) == 0;
}

// Clears the immutable attribute however the test ends.
struct ImmutableGuard {
    QString path;
    ~ImmutableGuard() { SetImmutable(path, false); }
};

} // namespace

class SaveFailuresTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void readOnlyFileIsRefused();
    void immutableFileCannotBeReplaced();
    void immutableFolderTakesNoTemporaryFile();
    void writeFailingHalfWayKeepsOriginal();
    void replaceFinishedAfterItsWorkbookIsGone();
    void abandonedReplaceKeepsOriginal();
    void originalChangedBeforeTheReplaceIsKept();
    void originalMadeImmutableBeforeTheReplaceIsKept();

  private:
    void VerifyFailedSave(const QString &expectedReason);
    void VerifyFailedFinish(engine::PendingReplace &replace, const QString &expectedReason,
                            const QByteArray &expectedBytes);
    QStringList FolderEntries() const
    {
        return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
    }

    QTemporaryDir dir_;
    QString path_;
    QByteArray original_;
};

void SaveFailuresTest::init()
{
    QVERIFY(dir_.isValid());
    path_ = dir_.filePath("book.xlsx");
    QFile::remove(path_);
    MergedBookShape shape;
    shape.rows = 400;
    shape.columns = 20;
    QVERIFY(WriteMergedWorkbook(path_, shape));
    original_ = FileBytes(path_);
}

void SaveFailuresTest::VerifyFailedSave(const QString &expectedReason)
{
    const QString message = UnmergeAndSave(path_);
    QVERIFY2(message.startsWith("save: " + expectedReason), qPrintable(message));
    QCOMPARE(FileBytes(path_), original_);
    QCOMPARE(FolderEntries(), QStringList{"book.xlsx"});
}

void SaveFailuresTest::VerifyFailedFinish(engine::PendingReplace &replace,
                                          const QString &expectedReason,
                                          const QByteArray &expectedBytes)
{
    engine::Error error;
    QVERIFY(!replace.Finish(error));
    QVERIFY2(QString::fromStdString(error.message).startsWith(expectedReason),
             error.message.c_str());
    QCOMPARE(FileBytes(path_), expectedBytes);
    QCOMPARE(FolderEntries(), QStringList{"book.xlsx"});
}

void SaveFailuresTest::readOnlyFileIsRefused()
{
    QVERIFY(::chmod(QFile::encodeName(path_).constData(), 0444) == 0);
    VerifyFailedSave("the workbook is read-only");
}

void SaveFailuresTest::immutableFileCannotBeReplaced()
{
    if (!SetImmutable(path_, true))
        QSKIP("chattr +i is not available on this file system");
    ImmutableGuard guard{path_};
    VerifyFailedSave("the workbook is read-only");
}

void SaveFailuresTest::immutableFolderTakesNoTemporaryFile()
{
    if (!SetImmutable(dir_.path(), true))
        QSKIP("chattr +i is not available on this file system");
    ImmutableGuard guard{dir_.path()};
    VerifyFailedSave("cannot create a temporary file");
}

void SaveFailuresTest::writeFailingHalfWayKeepsOriginal()
{
    QVERIFY(original_.size() > 8192);
    FileSizeLimit limit(static_cast<rlim_t>(original_.size() / 2));
    VerifyFailedSave("cannot write the workbook");
}

void SaveFailuresTest::replaceFinishedAfterItsWorkbookIsGone()
{
    QTemporaryDir serialDir;
    const QString serialPath = serialDir.filePath("book.xlsx");
    QVERIFY(QFile::copy(path_, serialPath));
    QCOMPARE(UnmergeAndSave(serialPath), QString());

    engine::PendingReplace finishing;
    {
        engine::PendingReplace handed;
        QCOMPARE(UnmergeUntilReplace(path_, handed), QString());
        QVERIFY(handed.Pending());
        QCOMPARE(FileBytes(path_), original_); // nothing replaced before the last step
        finishing = std::move(handed);
    } // the emptied object must leave the temporary file to its new owner
    engine::Error error;
    QVERIFY2(finishing.Finish(error), error.message.c_str());
    QCOMPARE(FileBytes(path_), FileBytes(serialPath));
    QCOMPARE(FolderEntries(), QStringList{"book.xlsx"});
}

void SaveFailuresTest::abandonedReplaceKeepsOriginal()
{
    {
        engine::PendingReplace replace;
        QCOMPARE(UnmergeUntilReplace(path_, replace), QString());
        QCOMPARE(FolderEntries().size(), 2);
    }
    QCOMPARE(FileBytes(path_), original_);
    QCOMPARE(FolderEntries(), QStringList{"book.xlsx"});
}

void SaveFailuresTest::originalChangedBeforeTheReplaceIsKept()
{
    engine::PendingReplace replace;
    QCOMPARE(UnmergeUntilReplace(path_, replace), QString());
    const QByteArray theirs = "another program's workbook";
    QVERIFY(WriteFileBytes(path_, theirs));
    VerifyFailedFinish(replace, "another program replaced or changed the workbook", theirs);
}

void SaveFailuresTest::originalMadeImmutableBeforeTheReplaceIsKept()
{
    engine::PendingReplace replace;
    QCOMPARE(UnmergeUntilReplace(path_, replace), QString());
    if (!SetImmutable(path_, true))
        QSKIP("chattr +i is not available on this file system");
    ImmutableGuard guard{path_};
    VerifyFailedFinish(replace, "cannot replace the workbook", original_);
}

QTEST_GUILESS_MAIN(SaveFailuresTest)
#include "test_save_failures.moc"
