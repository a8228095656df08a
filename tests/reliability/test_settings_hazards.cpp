// The settings file where the disk or the file itself is hostile: a full
// disk, an immutable file, a folder in its place and NUL bytes inside. A
// write that cannot be done whole is not done: the file keeps its text.
// (Limits, lookups and ordinary failed writes are in tests/settings.)

#include "file_bytes.h"
#include "folder_state.h"
#include "scratch_mounts.h"
#include "settings/settings_store.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

using namespace testsupport;

namespace
{

int Set(const QString &path, const char *key, const char *value)
{
    return SetSettingValue(QFile::encodeName(path).constData(), key, value);
}

} // namespace

class SettingsHazardsTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void fullDiskKeepsTheOldText();
    void immutableFileKeepsTheOldText();
    void folderInPlaceOfTheFile();
    void nulBytesAreNeverCutOff();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

void SettingsHazardsTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    path_ = dir_->filePath(QStringLiteral("Sheetwright.orv"));
}

void SettingsHazardsTest::fullDiskKeepsTheOldText()
{
    ScratchMount disk(dir_->path());
    if (!disk.Mount(16 << 10))
        QSKIP("cannot mount a tmpfs here");
    // Three of the disk's four pages: no room for the new copy beside it.
    const QByteArray old = "SourcePath=/books/\r\nPadding=" + QByteArray(9000, 'p') + "\r\n";
    QVERIFY(WriteFileBytes(path_, old));
    QCOMPARE(Set(path_, "SourcePath", "/other/books/"), -2);
    QCOMPARE(FileBytes(path_), old);
    QCOMPARE(FileNames(dir_->path()), QStringList{"Sheetwright.orv"});
}

void SettingsHazardsTest::immutableFileKeepsTheOldText()
{
    const QByteArray old("TemplatePath=/t.xlsx\r\n");
    QVERIFY(WriteFileBytes(path_, old));
    ImmutableGuard guard;
    if (!SetImmutable(path_, true))
        QSKIP("chattr +i is not available on this file system");
    guard.path = path_;
    QCOMPARE(Set(path_, "TemplatePath", "/u.xlsx"), -2);
    QCOMPARE(FileBytes(path_), old);
    QCOMPARE(FileNames(dir_->path()), QStringList{"Sheetwright.orv"});
}

void SettingsHazardsTest::folderInPlaceOfTheFile()
{
    QVERIFY(QDir().mkpath(path_ + "/inside"));
    std::vector<char> buffer(kSettingsBufferSize, '\0');
    // Opening a folder for reading may succeed; nothing is read from it.
    ReadSettingsText(buffer.data(), QFile::encodeName(path_).constData());
    QCOMPARE(buffer[0], '\0');
    QCOMPARE(Set(path_, "SourcePath", "/x/"), -2);
    QVERIFY(QFileInfo(path_).isDir() && QFileInfo::exists(path_ + "/inside"));
}

// The functions see text up to its first NUL; a rewrite from that text
// would drop every line after it.
void SettingsHazardsTest::nulBytesAreNeverCutOff()
{
    const QByteArray old = QByteArray("SourcePath=/a/\r\n") + '\0' + "TemplatePath=/t.xlsx\r\n";
    QVERIFY(WriteFileBytes(path_, old));
    const int result = Set(path_, "SourcePath", "/b/");
    const QByteArray now = FileBytes(path_);
    QVERIFY2(now.contains("TemplatePath=/t.xlsx\r\n"), now.constData());
    QVERIFY(result == -1 ? now == old : now.size() >= old.size());
}

QTEST_GUILESS_MAIN(SettingsHazardsTest)
#include "test_settings_hazards.moc"
