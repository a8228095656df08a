#pragma once
// The program's only window: the form of mainwindow.ui built on itself, its
// title and icon, and the tray icon that lives as long as the window.

#include <QMainWindow>

class SystemTray;
class Ui_MainWindow;

class MainWindow : public QMainWindow
{
    Q_OBJECT

  public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

  private:
    Ui_MainWindow *form;
    SystemTray *tray;
};
