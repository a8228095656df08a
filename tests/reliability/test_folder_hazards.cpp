// The folder tree as it really is: links that lead back into it, a folder
// removed while the run goes on, names that are not valid UTF-8, and paths
// past 1,024 and past 4,096 bytes. The run always ends, reports what it
// could not do, and creates no file of its own in the tree.

#include "backends/native/native_backend.h"
#include "bounded_cli.h"
#include "engine/workbook.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "in_process_run.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace
{

constexpr int kTimeoutMs = 60000;
const QString kReportName = QStringLiteral("无法打开的文件目录(文件格式有误).txt");

// Every file below the folder as raw byte paths, links not followed.
std::set<std::string> RawTree(const QString &folder)
{
    std::set<std::string> paths;
    std::error_code error;
    for (auto entry = std::filesystem::recursive_directory_iterator(
             QFile::encodeName(folder).toStdString(), error);
         entry != std::filesystem::recursive_directory_iterator(); entry.increment(error))
        paths.insert(entry->path().string());
    return paths;
}

std::string Raw(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// Folders named `segment` nested `depth` times below `root`, made one at a
// time relative to the last, so the whole path may exceed PATH_MAX. Returns
// an open descriptor of the deepest folder, or -1.
int MakeDeepFolders(const QString &root, const std::string &segment, int depth)
{
    int folder = ::open(Raw(root).c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && folder >= 0; ++i) {
        ::mkdirat(folder, segment.c_str(), 0755);
        const int inner = ::openat(folder, segment.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(folder);
        folder = inner;
    }
    return folder;
}

bool CopyInto(int folder, const char *name, const QByteArray &bytes)
{
    const int file = ::openat(folder, name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool written = file >= 0 && ::write(file, bytes.constData(), size_t(bytes.size())) ==
                                          ssize_t(bytes.size());
    return ::close(file) == 0 && written;
}

QByteArray ReadFrom(int folder, const char *name)
{
    QByteArray bytes;
    const int file = ::openat(folder, name, O_RDONLY);
    char buffer[65536];
    ssize_t got = 0;
    while (file >= 0 && (got = ::read(file, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, int(got));
    ::close(file);
    return bytes;
}

QByteArray MergedBookBytes(const QString &scratch)
{
    const QString path = scratch + QStringLiteral("/staged.xlsx");
    WriteMergedWorkbook(path);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    QFile::remove(path);
    return bytes;
}

} // namespace

class FolderHazardsTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void linkCyclesEndWithEachWorkbookOnce();
    void folderRemovedMidRun();
    void namesThatAreNotUtf8_data();
    void namesThatAreNotUtf8();
    void veryLongPaths();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
};

void FolderHazardsTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

// QTemporaryDir cannot remove folders past PATH_MAX; rm can.
void FolderHazardsTest::cleanup()
{
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), dir_->path()});
}

void FolderHazardsTest::linkCyclesEndWithEachWorkbookOnce()
{
    const QDir root(dir_->path());
    QVERIFY(root.mkpath("a/deeper") && root.mkpath("b"));
    QVERIFY(WriteMergedWorkbook(root.filePath("a/one.xlsx")));
    QVERIFY(WriteMergedWorkbook(root.filePath("b/two.xlsx")));
    QVERIFY(QFile::link(root.path(), root.filePath("a/deeper/to-root")));
    QVERIFY(QFile::link(root.filePath("a"), root.filePath("b/to-a")));
    QVERIFY(QFile::link(".", root.filePath("b/self")));
    const BoundedRun run = RunCliBounded({QStringLiteral("unmerge"), root.path()}, kTimeoutMs);
    QVERIFY2(run.finished, "the walk did not end");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.output.count(QStringLiteral("one.xlsx")), 1);
    QCOMPARE(run.output.count(QStringLiteral("two.xlsx")), 1);
}

void FolderHazardsTest::folderRemovedMidRun()
{
    const QDir root(dir_->path());
    for (const char *name : {"a/1.xlsx", "b/2.xlsx", "b/3.xlsx", "c/4.xlsx"}) {
        QVERIFY(root.mkpath(QFileInfo(root.filePath(name)).path()));
        QVERIFY(WriteMergedWorkbook(root.filePath(name)));
    }
    const RunResult result =
        UnmergeInProcess(root.path(), NativeAppFactory(), [&](const QString &status) {
            if (status.endsWith(QLatin1String("1.xlsx")))
                QDir(root.filePath("b")).removeRecursively();
        });
    QCOMPARE(result.failures, (QStringList{root.filePath("b/2.xlsx"), root.filePath("b/3.xlsx")}));
    QVERIFY(!result.reasons.value(0).isEmpty() && !result.reasons.value(1).isEmpty());
    QCOMPARE(result.successCount, 2);
    QVERIFY(!root.exists("b"));
}

void FolderHazardsTest::namesThatAreNotUtf8_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::newRow("UTF-8 locale") << QByteArray("C.UTF-8");
    QTest::newRow("C locale") << QByteArray("C");
}

// Qt cannot spell such a file name and leaves it out of its listings; the
// workbook must still not be passed over in silence: it is a reported
// failure, untouched, and no file with a mangled name appears. (A folder so
// named is not entered.)
void FolderHazardsTest::namesThatAreNotUtf8()
{
    QFETCH(QByteArray, locale);
    const QByteArray book = MergedBookBytes(dir_->path());
    const std::string root = Raw(dir_->path());
    QVERIFY(::mkdir((root + "/dir-\xff\xfe").c_str(), 0755) == 0);
    const int oddFolder = ::open((root + "/dir-\xff\xfe").c_str(), O_RDONLY | O_DIRECTORY);
    const int rootFolder = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    QVERIFY(CopyInto(rootFolder, "ok.xlsx", book));
    QVERIFY(CopyInto(rootFolder, "bad-\xc3\x28.xlsx", book));
    QVERIFY(CopyInto(oddFolder, "inner.xlsx", book));
    ::close(oddFolder);
    ::close(rootFolder);
    std::set<std::string> before = RawTree(dir_->path());

    const QByteArray previous = qgetenv("LC_ALL");
    qputenv("LC_ALL", locale);
    const BoundedRun run = RunCliBounded(
        {QStringLiteral("unmerge"), dir_->path(), QStringLiteral("--no-backup")}, kTimeoutMs);
    qputenv("LC_ALL", previous);
    QVERIFY2(run.finished, "the run did not end");
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains("failed: " + dir_->path() + "/bad-"), qPrintable(run.errors));
    QVERIFY(run.output.contains(QStringLiteral("ok.xlsx")));
    std::set<std::string> after = RawTree(dir_->path());
    after.erase(Raw(dir_->filePath(kReportName)));
    QVERIFY(after == before);
    const int rootAgain = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    QCOMPARE(ReadFrom(rootAgain, "bad-\xc3\x28.xlsx"), book);
    ::close(rootAgain);
}

void FolderHazardsTest::veryLongPaths()
{
    const QByteArray book = MergedBookBytes(dir_->path());
    const std::string segment(200, 'd');
    QVERIFY(QDir(dir_->path()).mkpath("long") && QDir(dir_->path()).mkpath("longer"));
    const int past1024 = MakeDeepFolders(dir_->filePath("long"), segment, 6);
    const int past4096 = MakeDeepFolders(dir_->filePath("longer"), segment, 22);
    QVERIFY(past1024 >= 0 && past4096 >= 0);
    QVERIFY(CopyInto(past1024, "book.xlsx", book));
    QVERIFY(CopyInto(past4096, "book.xlsx", book));

    const BoundedRun run = RunCliBounded({QStringLiteral("unmerge"), dir_->path()}, kTimeoutMs);
    QVERIFY2(run.finished, "the run did not end");
    QVERIFY2(run.exitCode == 0 || run.exitCode == 1, qPrintable(run.errors));
    // Past 1,024 bytes the path is an ordinary one: the workbook is done.
    QVERIFY(run.output.contains(QString::fromStdString(segment) + "/book.xlsx"));
    struct stat info;
    QVERIFY(::fstatat(past1024, "book.xlsx", &info, 0) == 0);
    QVERIFY(info.st_size != book.size());
    // Past PATH_MAX it may be out of reach, but it is never damaged.
    const QByteArray deepest = ReadFrom(past4096, "book.xlsx");
    if (deepest != book) {
        const QString copy = dir_->filePath("deepest-copy.xlsx");
        QVERIFY(WriteFileBytes(copy, deepest));
        engine::Error error;
        QVERIFY2(engine::Workbook::Open(Raw(copy), error), error.message.c_str());
    }
    ::close(past1024);
    ::close(past4096);
}

QTEST_GUILESS_MAIN(FolderHazardsTest)
#include "test_folder_hazards.moc"
