// The undo history's file calls on Windows: hard links, replacing, and kept
// originals of workbooks on another drive.

#include "history/file_links.h"
#include "history/run_backup.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class FileLinksWindowsTest : public QObject
{
    Q_OBJECT

  private slots:
    void linkKeepsTheOldContentAfterAReplace();
    void keptPathOfAnotherDriveHasNoColon();

  private:
    static void Write(const QString &path, const QByteArray &bytes);
    static QByteArray Read(const QString &path);
};

void FileLinksWindowsTest::Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray FileLinksWindowsTest::Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void FileLinksWindowsTest::linkKeepsTheOldContentAfterAReplace()
{
    QTemporaryDir folder;
    const QString original = folder.path() + QStringLiteral("/工作簿.xlsx");
    const QString kept = folder.path() + QStringLiteral("/保留.xlsx");
    const QString fresh = folder.path() + QStringLiteral("/新.tmp");
    Write(original, "old");
    QVERIFY(history::MakeHardLink(original, kept));
    Write(fresh, "new");
    QVERIFY(history::ReplaceFile(fresh, original));
    QCOMPARE(Read(original), QByteArray("new"));
    QCOMPARE(Read(kept), QByteArray("old"));
    QVERIFY(!QFile::exists(fresh));
    // A link where one already stands fails rather than replacing it.
    QVERIFY(!history::MakeHardLink(original, kept));
    QCOMPARE(Read(kept), QByteArray("old"));
}

void FileLinksWindowsTest::keptPathOfAnotherDriveHasNoColon()
{
    const QString kept =
        history::KeptFilePath(QStringLiteral("C:/runs/1"), QStringLiteral("C:/books"),
                              QStringLiteral("D:/other/表.xlsx"));
    QCOMPARE(kept, QStringLiteral("C:/runs/1/files/outside/D/other/表.xlsx"));
    const QString shared =
        history::KeptFilePath(QStringLiteral("C:/runs/1"), QStringLiteral("C:/books"),
                              QStringLiteral("//server/share/a.xlsx"));
    QCOMPARE(shared, QStringLiteral("C:/runs/1/files/outside/server/share/a.xlsx"));
}

QTEST_GUILESS_MAIN(FileLinksWindowsTest)
#include "test_file_links_windows.moc"
