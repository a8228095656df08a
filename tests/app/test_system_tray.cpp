// The tray icon: its menu, its texts, the compiled-in icon, and what the two
// entries do.

#include "app/system_tray.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

class SystemTrayTest : public QObject
{
    Q_OBJECT

  private slots:
    void menuHasBothEntriesInOrder();
    void showsCompiledInIconAndToolTip();
    void settingsEntryAsksForTheWindow();
    void exitEntryEndsTheEventLoop();
    void trayDiesWithItsOwner();
};

static QAction *Entry(SystemTray &tray, int index)
{
    return tray.contextMenu()->actions().value(index);
}

void SystemTrayTest::menuHasBothEntriesInOrder()
{
    SystemTray tray(nullptr);
    QVERIFY(tray.contextMenu());
    const QList<QAction *> entries = tray.contextMenu()->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0]->text(), QStringLiteral("软件设置"));
    QCOMPARE(entries[1]->text(), QStringLiteral("退出程序"));
    for (const QAction *entry : entries) {
        QVERIFY(!entry->isSeparator());
        QVERIFY(entry->icon().isNull());
        QVERIFY(entry->shortcut().isEmpty());
        QCOMPARE(entry->parent(), &tray);
    }
}

void SystemTrayTest::showsCompiledInIconAndToolTip()
{
    SystemTray tray(nullptr);
    QCOMPARE(tray.toolTip(), QStringLiteral("Sheetwright"));
    QVERIFY(tray.isVisible());

    const QList<QSize> sizes = tray.icon().availableSizes();
    for (int side : {16, 32, 48, 128})
        QVERIFY2(sizes.contains(QSize(side, side)), QByteArray::number(side));
}

void SystemTrayTest::settingsEntryAsksForTheWindow()
{
    SystemTray tray(nullptr);
    QSignalSpy showRequests(&tray, &SystemTray::showWidget);

    Entry(tray, 0)->trigger();
    QCOMPARE(showRequests.count(), 1);
    tray.ShowUi();
    QCOMPARE(showRequests.count(), 2);
}

void SystemTrayTest::exitEntryEndsTheEventLoop()
{
    SystemTray tray(nullptr);
    QSignalSpy showRequests(&tray, &SystemTray::showWidget);
    bool timedOut = false;
    QTimer::singleShot(0, Entry(tray, 1), &QAction::trigger);
    QTimer::singleShot(5000, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(1);
    });

    QEventLoop loop;
    QCOMPARE(loop.exec(), 0);
    QVERIFY(!timedOut);
    QCOMPARE(showRequests.count(), 0);
}

void SystemTrayTest::trayDiesWithItsOwner()
{
    auto *owner = new QObject;
    QPointer<SystemTray> tray = new SystemTray(owner);
    delete owner;
    QVERIFY(tray.isNull());
}

QTEST_MAIN(SystemTrayTest)
#include "test_system_tray.moc"
