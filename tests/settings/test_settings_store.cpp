// The settings file functions against real files, compared byte for byte.

#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace
{

constexpr char kGuard = 'X';
constexpr int kGuardBytes = 64;

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

bool GuardIntact(const char *from)
{
    for (int i = 0; i < kGuardBytes; ++i)
        if (from[i] != kGuard)
            return false;
    return true;
}

QByteArray LookUp(const QByteArray &text, const char *key)
{
    char value[kSettingValueSize + kGuardBytes];
    std::memset(value, kGuard, sizeof value);
    GetSettingValue(value, text.constData(), key);
    if (!GuardIntact(value + kSettingValueSize))
        return QByteArray("<overflow>");
    return QByteArray(value);
}

constexpr uid_t kNobody = 65534;

// Root may write any file, so the write runs in a child that gives up root.
int SetWithoutRootRights(const QByteArray &path, const char *key, const char *value)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(2);
        _exit(SetSettingValue(path.constData(), key, value) == 0 ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -2;
    return WEXITSTATUS(status) == 0 ? 0 : (WEXITSTATUS(status) == 1 ? -1 : -2);
}

} // namespace

class SettingsStoreTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();

    void readCopiesTheFileAndTerminatesIt();
    void readOfMissingFileLeavesBufferUntouched();
    void readOfOversizeFileKeepsWithinBuffer();

    void lookup_data();
    void lookup();
    void lookupOfOverlongValueStaysInOutBuffer();

    void write_data();
    void write();
    void writeCreatesAMissingFile();
    void writtenBlanksAreKeptAndReadBackTrimmed();
    void writeRefusesWhatWouldNotFit();
    void writeRefusesALineBreakInTheValue();
    void failedWriteKeepsTheOldText();
    void readOnlyFileIsNotRewritten();
    void rewriteKeepsPermissionsAndLinks();

  private:
    QString SettingsPath() const { return dir->filePath("Sheetwright.orv"); }
    QByteArray Path() const { return QFile::encodeName(SettingsPath()); }

    std::unique_ptr<QTemporaryDir> dir;
};

void SettingsStoreTest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void SettingsStoreTest::readCopiesTheFileAndTerminatesIt()
{
    const QByteArray text("SourcePath=/data/\r\nTemplatePath=/t.xlsx\r\n");
    WriteBytes(SettingsPath(), text);
    std::vector<char> buffer(kSettingsBufferSize, kGuard);
    QCOMPARE(ReadSettingsText(buffer.data(), Path()), 0);
    QCOMPARE(QByteArray(buffer.data()), text);

    WriteBytes(SettingsPath(), QByteArray());
    QCOMPARE(ReadSettingsText(buffer.data(), Path()), 0);
    QCOMPARE(buffer[0], '\0');
}

void SettingsStoreTest::readOfMissingFileLeavesBufferUntouched()
{
    std::vector<char> buffer(kSettingsBufferSize, kGuard);
    QCOMPARE(ReadSettingsText(buffer.data(), Path()), -1);
    QVERIFY(std::all_of(buffer.begin(), buffer.end(), [](char c) { return c == kGuard; }));
}

void SettingsStoreTest::readOfOversizeFileKeepsWithinBuffer()
{
    for (int size : {int(kSettingsBufferSize) - 1, int(kSettingsBufferSize), 50000}) {
        WriteBytes(SettingsPath(), QByteArray(size, 'a'));
        std::vector<char> buffer(kSettingsBufferSize + kGuardBytes, kGuard);
        QCOMPARE(ReadSettingsText(buffer.data(), Path()), 0);
        QCOMPARE(qstrlen(buffer.data()), uint(kSettingsBufferSize - 1));
        QVERIFY(GuardIntact(buffer.data() + kSettingsBufferSize));
    }
}

void SettingsStoreTest::lookup_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");

    const QByteArray twoLines("SourcePath=D:/data/\r\nTemplatePath=D:/t.xlsx\r\n");
    QTest::newRow("first line") << twoLines << QByteArray("SourcePath") << QByteArray("D:/data/");
    QTest::newRow("second line") << twoLines << QByteArray("TemplatePath")
                                 << QByteArray("D:/t.xlsx");
    QTest::newRow("absent") << twoLines << QByteArray("Other") << QByteArray();
    QTest::newRow("case matters") << twoLines << QByteArray("sourcepath") << QByteArray();
    QTest::newRow("last line without break")
        << QByteArray("a=1\r\nSourcePath=x") << QByteArray("SourcePath") << QByteArray();
    // A hand-edited file may end its lines with LF alone.
    QTest::newRow("LF ends a line")
        << QByteArray("SourcePath=x\nb=2\r\n") << QByteArray("SourcePath") << QByteArray("x");
    QTest::newRow("LF file, later line") << QByteArray("a=1\nTemplatePath=/t.xlsx \nb=2\n")
                                         << QByteArray("TemplatePath") << QByteArray("/t.xlsx");
    QTest::newRow("CR LF leaves no CR in the value")
        << QByteArray("k=v\r\n") << QByteArray("k") << QByteArray("v");
    QTest::newRow("longer key first") << QByteArray("OldSourcePath=old\r\nSourcePath=new\r\n")
                                      << QByteArray("SourcePath") << QByteArray("old");
    QTest::newRow("blanks and tabs trimmed")
        << QByteArray("k= \t a b \t\r\n") << QByteArray("k") << QByteArray("a b");
    QTest::newRow("value holds =")
        << QByteArray("k=a=b\r\n") << QByteArray("k") << QByteArray("a=b");
    QTest::newRow("whole text trimmed")
        << QByteArray(" \tk=v\r\n \t") << QByteArray("k") << QByteArray("v");
    QTest::newRow("blank value") << QByteArray("k=   \r\n") << QByteArray("k") << QByteArray();
    QTest::newRow("empty text") << QByteArray() << QByteArray("k") << QByteArray();
    const QByteArray longest(int(kSettingValueSize) - 1, 'v');
    QTest::newRow("1023 bytes fit")
        << QByteArray("k=" + longest + "\r\n") << QByteArray("k") << longest;
}

void SettingsStoreTest::lookup()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QCOMPARE(LookUp(text, key.constData()), value);
}

void SettingsStoreTest::lookupOfOverlongValueStaysInOutBuffer()
{
    for (int length : {int(kSettingValueSize), 5000}) {
        const QByteArray text("k=" + QByteArray(length, 'v') + "\r\n");
        QCOMPARE(LookUp(text, "k"), QByteArray());
    }
    // Blanks around it do not count against the limit.
    const QByteArray padded("k=   " + QByteArray(int(kSettingValueSize) - 1, 'v') + "   \r\n");
    QCOMPARE(LookUp(padded, "k").size(), int(kSettingValueSize) - 1);
}

void SettingsStoreTest::write_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("replaced in place")
        << QByteArray("a=1\r\nSourcePath=old\r\nz=9\r\n") << QByteArray("SourcePath")
        << QByteArray("new") << QByteArray("a=1\r\nSourcePath=new\r\nz=9\r\n");
    QTest::newRow("appended") << QByteArray("a=1\r\n") << QByteArray("b") << QByteArray("2")
                              << QByteArray("a=1\r\nb=2\r\n");
    QTest::newRow("appended after unbroken last line")
        << QByteArray("a=1") << QByteArray("b") << QByteArray("2") << QByteArray("a=1\r\nb=2\r\n");
    QTest::newRow("appended after LF")
        << QByteArray("a=1\n") << QByteArray("b") << QByteArray("2") << QByteArray("a=1\nb=2\r\n");
    QTest::newRow("empty file") << QByteArray() << QByteArray("k") << QByteArray("v")
                                << QByteArray("k=v\r\n");
    QTest::newRow("key without break takes the rest")
        << QByteArray("a=1\r\nSourcePath=old") << QByteArray("SourcePath") << QByteArray("new")
        << QByteArray("a=1\r\nSourcePath=new\r\n");
    QTest::newRow("LF-ended line replaced, later lines kept")
        << QByteArray("a=1\nSourcePath=old\nb=2\n") << QByteArray("SourcePath") << QByteArray("new")
        << QByteArray("a=1\nSourcePath=new\r\nb=2\n");
    QTest::newRow("longer key first keeps its prefix")
        << QByteArray("OldSourcePath=x\r\nSourcePath=y\r\n") << QByteArray("SourcePath")
        << QByteArray("z") << QByteArray("OldSourcePath=z\r\nSourcePath=y\r\n");
    QTest::newRow("first of two occurrences") << QByteArray("k=1\r\nk=2\r\n") << QByteArray("k")
                                              << QByteArray("3") << QByteArray("k=3\r\nk=2\r\n");
    QTest::newRow("empty value") << QByteArray("k=1\r\n") << QByteArray("k") << QByteArray()
                                 << QByteArray("k=\r\n");
}

void SettingsStoreTest::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, after);
    WriteBytes(SettingsPath(), before);
    QCOMPARE(SetSettingValue(Path(), key.constData(), value.constData()), 0);
    QCOMPARE(ReadBytes(SettingsPath()), after);
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList("Sheetwright.orv"));
}

void SettingsStoreTest::writeCreatesAMissingFile()
{
    QCOMPARE(SetSettingValue(Path(), "SourcePath", "/data/"), 0);
    QCOMPARE(ReadBytes(SettingsPath()), QByteArray("SourcePath=/data/\r\n"));
    QCOMPARE(SetSettingValue(Path(), "TemplatePath", "/t.xlsx"), 0);
    QCOMPARE(ReadBytes(SettingsPath()),
             QByteArray("SourcePath=/data/\r\nTemplatePath=/t.xlsx\r\n"));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList("Sheetwright.orv"));

    // A folder that does not let it be made: said apart from a refused value.
    const QByteArray inMissingFolder = QFile::encodeName(dir->filePath("gone/Sheetwright.orv"));
    QCOMPARE(SetSettingValue(inMissingFolder.constData(), "SourcePath", "/data/"), -2);
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList("Sheetwright.orv"));
    QVERIFY(QDir(dir->path()).mkdir("locked"));
    if (geteuid() == 0)
        QCOMPARE(chown(QFile::encodeName(dir->filePath("locked")), kNobody, kNobody), 0);
    QVERIFY(QFile::setPermissions(dir->filePath("locked"), QFile::ReadOwner | QFile::ExeOwner));
    QCOMPARE(
        SetWithoutRootRights(QFile::encodeName(dir->filePath("locked/Sheetwright.orv")), "k", "v"),
        -1);
    QVERIFY(QDir(dir->filePath("locked")).isEmpty());
}

void SettingsStoreTest::writtenBlanksAreKeptAndReadBackTrimmed()
{
    WriteBytes(SettingsPath(), QByteArray());
    QCOMPARE(SetSettingValue(Path(), "k", "  v w\t"), 0);
    QCOMPARE(ReadBytes(SettingsPath()), QByteArray("k=  v w\t\r\n"));
    std::vector<char> buffer(kSettingsBufferSize, '\0');
    QCOMPARE(ReadSettingsText(buffer.data(), Path()), 0);
    QCOMPARE(LookUp(buffer.data(), "k"), QByteArray("v w"));
}

void SettingsStoreTest::writeRefusesWhatWouldNotFit()
{
    const QByteArray old("a=1\r\n");
    WriteBytes(SettingsPath(), old);
    // The longest value a lookup can return is written; one byte more is not,
    // since it would read back as absent and lose the old value.
    const QByteArray longestValue(int(kSettingValueSize) - 1, 'v');
    QCOMPARE(SetSettingValue(Path(), "k", longestValue.constData()), 0);
    QCOMPARE(ReadBytes(SettingsPath()), old + "k=" + longestValue + "\r\n");
    const QByteArray tooLongValue(int(kSettingValueSize), 'v');
    QCOMPARE(SetSettingValue(Path(), "k", tooLongValue.constData()), -1);
    QCOMPARE(ReadBytes(SettingsPath()), old + "k=" + longestValue + "\r\n");

    // key, "=", value, CR LF: 2045 bytes is the longest line.
    WriteBytes(SettingsPath(), old);
    const QByteArray longKey(int(kSettingLineMax) - 3 - longestValue.size(), 'k');
    QCOMPARE(SetSettingValue(Path(), longKey.constData(), longestValue.constData()), 0);
    QCOMPARE(ReadBytes(SettingsPath()).size(), old.size() + int(kSettingLineMax));
    WriteBytes(SettingsPath(), old);
    QCOMPARE(SetSettingValue(Path(), longKey.constData(), (longestValue + "v").constData()), -1);
    QCOMPARE(SetSettingValue(Path(), (longKey + "k").constData(), longestValue.constData()), -1);
    QCOMPARE(ReadBytes(SettingsPath()), old);

    // A text the settings buffer could no longer hold.
    const QByteArray nearlyFull("x=" + QByteArray(int(kSettingsBufferSize) - 10, 'x') + "\r\n");
    WriteBytes(SettingsPath(), nearlyFull);
    QCOMPARE(SetSettingValue(Path(), "k", "value"), -1);
    QCOMPARE(ReadBytes(SettingsPath()), nearlyFull);

    const QByteArray oversize(int(kSettingsBufferSize), 'x');
    WriteBytes(SettingsPath(), oversize);
    QCOMPARE(SetSettingValue(Path(), "k", "v"), -1);
    QCOMPARE(ReadBytes(SettingsPath()), oversize);
}

void SettingsStoreTest::writeRefusesALineBreakInTheValue()
{
    // A folder name may hold CR LF on this system; written as it is, the value
    // would read back cut short and could add a line for another key.
    const QByteArray old("SourcePath=/old/\r\n");
    WriteBytes(SettingsPath(), old);
    QCOMPARE(SetSettingValue(Path(), "SourcePath", "/a\r\nTemplatePath=/b/"), -1);
    QCOMPARE(ReadBytes(SettingsPath()), old);
    // A lone LF ends a line too, and a CR at the value's end would be taken
    // for part of its line break; a CR inside it reads back whole.
    QCOMPARE(SetSettingValue(Path(), "SourcePath", "/a\nb/"), -1);
    QCOMPARE(SetSettingValue(Path(), "SourcePath", "/a/\r"), -1);
    QCOMPARE(ReadBytes(SettingsPath()), old);
    QCOMPARE(SetSettingValue(Path(), "SourcePath", "/a\rb/"), 0);
    QCOMPARE(LookUp(ReadBytes(SettingsPath()), "SourcePath"), QByteArray("/a\rb/"));
}

void SettingsStoreTest::failedWriteKeepsTheOldText()
{
    const QByteArray old("SourcePath=/old/\r\n");
    WriteBytes(SettingsPath(), old);
    // Where the new text would be written there is a folder that cannot be removed.
    QVERIFY(QDir(dir->path()).mkpath("Sheetwright.orv.new/inside"));
    QCOMPARE(SetSettingValue(Path(), "SourcePath", "/new/"), -2);
    QCOMPARE(ReadBytes(SettingsPath()), old);

    // A leftover temporary file of an interrupted write is not in the way.
    QVERIFY(QDir(dir->filePath("Sheetwright.orv.new")).removeRecursively());
    WriteBytes(dir->filePath("Sheetwright.orv.new"), "partial");
    QCOMPARE(SetSettingValue(Path(), "SourcePath", "/new/"), 0);
    QCOMPARE(ReadBytes(SettingsPath()), QByteArray("SourcePath=/new/\r\n"));
    QVERIFY(!QFileInfo::exists(dir->filePath("Sheetwright.orv.new")));
}

void SettingsStoreTest::readOnlyFileIsNotRewritten()
{
    // The folder stays writable, so only an explicit check keeps the file.
    const QByteArray old("k=1\r\n");
    WriteBytes(SettingsPath(), old);
    QVERIFY(QFile::setPermissions(SettingsPath(), QFile::ReadOwner));
    if (geteuid() == 0) {
        QCOMPARE(chown(QFile::encodeName(dir->path()), kNobody, kNobody), 0);
        QCOMPARE(chown(Path(), kNobody, kNobody), 0);
    }
    QCOMPARE(SetWithoutRootRights(Path(), "k", "2"), -1);
    QCOMPARE(ReadBytes(SettingsPath()), old);
}

void SettingsStoreTest::rewriteKeepsPermissionsAndLinks()
{
    WriteBytes(SettingsPath(), "k=1\r\n");
    QVERIFY(QFile::setPermissions(SettingsPath(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QFile::Permissions mode = QFileInfo(SettingsPath()).permissions();
    QCOMPARE(SetSettingValue(Path(), "k", "2"), 0);
    QCOMPARE(QFileInfo(SettingsPath()).permissions(), mode);

    const QString link = dir->filePath("link.orv");
    QVERIFY(QFile::link(SettingsPath(), link));
    QCOMPARE(SetSettingValue(QFile::encodeName(link), "k", "3"), 0);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(ReadBytes(SettingsPath()), QByteArray("k=3\r\n"));
}

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "test_settings_store.moc"
