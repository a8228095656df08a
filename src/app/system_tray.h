#pragma once
// The program's icon in the desktop's notification area. It knows nothing of
// the window: it asks its owner to show one through showWidget().

#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class QAction;
class QMenu;

class SystemTray : public QSystemTrayIcon
{
    Q_OBJECT

  public:
    explicit SystemTray(QObject *parent);
    ~SystemTray() override;

    // Asked before "退出程序" ends the program; false keeps it running. By
    // default nothing is asked.
    void SetQuitGuard(std::function<bool()> guard);

  signals:
    void showWidget();

  public slots:
    void UiQuit();
    void ShowUi();

  private:
    // A menu is a widget and cannot be a child of the tray object, so the
    // tray owns it directly.
    std::unique_ptr<QMenu> menu;
    QAction *settingsEntry;
    QAction *exitEntry;
    std::function<bool()> mayQuit;
};
