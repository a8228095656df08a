// The three path values derived from argv[0], including arguments that do
// not fit the fixed buffers.

#include "app/path_values.h"

#include <QtTest>

#include <string>

class PathValuesTest : public QObject
{
    Q_OBJECT

  private slots:
    void derivesDirectoryAndSettingsPath_data();
    void derivesDirectoryAndSettingsPath();
    void overlongValuesLeaveAllEmpty_data();
    void overlongValuesLeaveAllEmpty();
    void longestFittingValuesAreKeptWhole();
};

void PathValuesTest::derivesDirectoryAndSettingsPath_data()
{
    QTest::addColumn<QByteArray>("argv0");
    QTest::addColumn<QByteArray>("directory");

    QTest::newRow("absolute") << QByteArray("/opt/sheetwright/bin/Sheetwright")
                              << QByteArray("/opt/sheetwright/bin/");
    QTest::newRow("relative") << QByteArray("./Sheetwright") << QByteArray("./");
    QTest::newRow("root folder") << QByteArray("/Sheetwright") << QByteArray("/");
    QTest::newRow("no directory") << QByteArray("Sheetwright") << QByteArray("");
    QTest::newRow("backslash is no separator here")
        << QByteArray("tools\\Sheetwright") << QByteArray("");
    QTest::newRow("last separator wins")
        << QByteArray("/a/b.c/d/Sheetwright") << QByteArray("/a/b.c/d/");
    QTest::newRow("non-ASCII folder")
        << QByteArray("/home/用户/表格/Sheetwright") << QByteArray("/home/用户/表格/");
}

void PathValuesTest::derivesDirectoryAndSettingsPath()
{
    QFETCH(QByteArray, argv0);
    QFETCH(QByteArray, directory);

    QCOMPARE(SetPathValues(argv0.constData()), 0);
    QCOMPARE(QByteArray(executablePath), argv0);
    QCOMPARE(QByteArray(executableDirectory), directory);
    QCOMPARE(QByteArray(settingsFilePath), directory + "Sheetwright.orv");
}

void PathValuesTest::overlongValuesLeaveAllEmpty_data()
{
    QTest::addColumn<QByteArray>("argv0");

    // One byte more than longestFittingValuesAreKeptWhole below.
    const std::string folder = "/" + std::string(1023 - 15 - 1, 'd') + "/";
    QTest::newRow("path of 1024 bytes") << QByteArray(1024, 'x');
    QTest::newRow("path of 5000 bytes") << QByteArray(5000, 'x');
    // The path fits but the settings file name no longer fits beside it.
    QTest::newRow("settings path one byte too long")
        << QByteArray::fromStdString(folder + "Sheetwright");
}

void PathValuesTest::overlongValuesLeaveAllEmpty()
{
    QFETCH(QByteArray, argv0);

    // A good call first, so stale values from it would show.
    QCOMPARE(SetPathValues("/opt/bin/Sheetwright"), 0);
    QCOMPARE(SetPathValues(argv0.constData()), -1);
    QCOMPARE(QByteArray(executablePath), QByteArray());
    QCOMPARE(QByteArray(executableDirectory), QByteArray());
    QCOMPARE(QByteArray(settingsFilePath), QByteArray());

    QCOMPARE(SetPathValues("/opt/bin/Sheetwright"), 0);
    QCOMPARE(SetPathValues(nullptr), -1);
    QCOMPARE(QByteArray(settingsFilePath), QByteArray());
}

void PathValuesTest::longestFittingValuesAreKeptWhole()
{
    // Directory plus "Sheetwright.orv" (15 bytes) exactly fills 1,023 bytes.
    const QByteArray folder = "/" + QByteArray(1023 - 15 - 2, 'd') + "/";
    const QByteArray argv0 = folder + QByteArray(1023 - folder.size(), 'x');
    QCOMPARE(argv0.size(), 1023);

    QCOMPARE(SetPathValues(argv0.constData()), 0);
    QCOMPARE(QByteArray(executablePath), argv0);
    QCOMPARE(QByteArray(executableDirectory), folder);
    QCOMPARE(QByteArray(settingsFilePath), folder + "Sheetwright.orv");
    QCOMPARE(qstrlen(settingsFilePath), 1023u);
}

QTEST_APPLESS_MAIN(PathValuesTest)
#include "test_path_values.moc"
