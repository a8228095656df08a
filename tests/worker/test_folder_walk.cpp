// The workbook list and the workbook filter, on real folders.

#include "worker/folder_walk.h"
#include "worker/merge_object.h"
#include "worker_test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

QStringList RelativePaths(const QFileInfoList &entries, const QString &root)
{
    const QDir rootDir(root);
    QStringList paths;
    for (const QFileInfo &entry : entries)
        paths << rootDir.relativeFilePath(entry.filePath());
    return paths;
}

} // namespace

class FolderWalkTest : public QObject
{
    Q_OBJECT
  private slots:
    void listsFilesBeforeSubFoldersInCaseInsensitiveOrder();
    void keepsHiddenFilesButNotHiddenFolders();
    void leavesOutFileLinksAndFollowsFolderLinksOnce();
    void endsOnALinkCycle();
    void givesNothingForAnEmptyFolder();
    void filterAcceptsWorkbookNames_data();
    void filterAcceptsWorkbookNames();

  private:
    MergeObject worker_{QStringLiteral("tem"), nullptr};
};

void FolderWalkTest::listsFilesBeforeSubFoldersInCaseInsensitiveOrder()
{
    QTemporaryDir root;
    MakeFiles(root.path(), {"b.xlsx", "A.xls", "Sub/c.xlsm", "a/d.xls", "Sub/Deeper/e.xlsx"});
    const QFileInfoList entries = worker_.CollectFiles(root.path() + QLatin1Char('/'));
    QCOMPARE(RelativePaths(entries, root.path()),
             QStringList({"A.xls", "b.xlsx", "a/d.xls", "Sub/c.xlsm", "Sub/Deeper/e.xlsx"}));
}

void FolderWalkTest::keepsHiddenFilesButNotHiddenFolders()
{
    QTemporaryDir root;
    MakeFiles(root.path(), {".hidden.xlsx", "shown.xlsx", ".secret/inside.xlsx"});
    QCOMPARE(RelativePaths(worker_.CollectFiles(root.path()), root.path()),
             QStringList({".hidden.xlsx", "shown.xlsx"}));
}

void FolderWalkTest::leavesOutFileLinksAndFollowsFolderLinksOnce()
{
    QTemporaryDir root;
    QTemporaryDir elsewhere;
    MakeFiles(root.path(), {"real.xlsx", "one/x.xlsx"});
    MakeFiles(elsewhere.path(), {"far.xlsx"});
    QVERIFY(QFile::link(root.path() + "/real.xlsx", root.path() + "/link.xlsx"));
    QVERIFY(QFile::link(elsewhere.path(), root.path() + "/linked"));
    // A second link to a folder already walked adds nothing.
    QVERIFY(QFile::link(root.path() + "/one", root.path() + "/two"));
    QCOMPARE(RelativePaths(worker_.CollectFiles(root.path()), root.path()),
             QStringList({"real.xlsx", "linked/far.xlsx", "one/x.xlsx"}));
}

void FolderWalkTest::endsOnALinkCycle()
{
    QTemporaryDir root;
    MakeFiles(root.path(), {"top.xlsx", "Sub/low.xlsx"});
    QVERIFY(QFile::link(root.path(), root.path() + "/Sub/back"));
    QVERIFY(QFile::link(root.path() + "/Sub", root.path() + "/Sub/self"));
    QCOMPARE(RelativePaths(worker_.CollectFiles(root.path()), root.path()),
             QStringList({"top.xlsx", "Sub/low.xlsx"}));
}

void FolderWalkTest::givesNothingForAnEmptyFolder()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath("empty/emptier"));
    QVERIFY(worker_.CollectFiles(root.path()).isEmpty());
    QVERIFY(worker_.CollectFiles(root.path() + "/missing").isEmpty());
}

void FolderWalkTest::filterAcceptsWorkbookNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("upper xlsx") << "/d/Book.XLSX" << true;
    QTest::newRow("mixed xlsm") << "/d/book.Xlsm" << true;
    QTest::newRow("xls") << "/d/old.xls" << true;
    QTest::newRow("xlsb") << "/d/book.xlsb" << false;
    QTest::newRow("csv") << "/d/book.csv" << false;
    QTest::newRow("template xltx") << "/d/book.xltx" << false;
    QTest::newRow("xls then txt") << "/d/report.xls.txt" << false;
    QTest::newRow("lock file") << "/d/~$Book.xlsx" << false;
    // Only a file name that starts with "~$" is a lock file.
    QTest::newRow("in a ~$ folder") << "/d/old~$copy/Book.xlsx" << true;
    QTest::newRow("in a folder starting ~$") << "/d/~$old/Book.xlsx" << true;
    QTest::newRow("~$ inside the name") << "/d/Book~$2.xlsx" << true;
    QTest::newRow("tilde alone") << "/d/~Book.xlsx" << true;
    QTest::newRow("dollar alone") << "/d/$Book.xlsx" << true;
}

void FolderWalkTest::filterAcceptsWorkbookNames()
{
    QFETCH(QString, path);
    QFETCH(bool, accepted);
    QCOMPARE(IsWorkbookFile(path), accepted);
}

QTEST_GUILESS_MAIN(FolderWalkTest)
#include "test_folder_walk.moc"
