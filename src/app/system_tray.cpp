#include "app/system_tray.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>

SystemTray::SystemTray(QObject *parent)
    : QSystemTrayIcon(parent), menu(std::make_unique<QMenu>()),
      settingsEntry(new QAction(tr("软件设置"), this)), exitEntry(new QAction(tr("退出程序"), this))
{
    menu->addAction(settingsEntry);
    menu->addAction(exitEntry);
    setContextMenu(menu.get());
    setIcon(QIcon(QStringLiteral(":/images/orv.ico")));
    setToolTip(QStringLiteral("Sheetwright"));
    // Without a notification area this is a no-op; the window works alone.
    show();
    connect(settingsEntry, &QAction::triggered, this, &SystemTray::ShowUi);
    connect(exitEntry, &QAction::triggered, this, &SystemTray::UiQuit);
}

SystemTray::~SystemTray() = default;

void SystemTray::SetQuitGuard(std::function<bool()> guard)
{
    mayQuit = std::move(guard);
}

void SystemTray::UiQuit()
{
    if (!mayQuit || mayQuit())
        QCoreApplication::quit();
}

void SystemTray::ShowUi()
{
    emit showWidget();
}
