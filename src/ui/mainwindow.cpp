#include "mainwindow.h"

#include "system_tray.h"
#include "ui_mainwindow.h"

#include <QIcon>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), form(new Ui_MainWindow), tray(nullptr)
{
    form->setupUi(this);
    setWindowTitle(QStringLiteral("Sheetwright") + QStringLiteral("2.2"));
    setWindowIcon(QIcon(QStringLiteral(":/images/orv.ico")));
    tray = new SystemTray(this);
}

MainWindow::~MainWindow()
{
    delete form;
}
