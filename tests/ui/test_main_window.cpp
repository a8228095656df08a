// The window outside of runs: placement, tray, option check boxes and the
// two remembered paths.

#include "app/system_tray.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QtTest>

namespace
{

// The size the window comes back at: 940 x 520 unless the form needs more room
// with the fonts at hand.
QSize FirstSize(const QWidget &window)
{
    return QSize(940, 520).expandedTo(window.minimumSizeHint());
}

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

  private slots:
    void placedTitledAndIconed();
    void groupTitlesAreDrawnWhole();
    void trayBringsTheWindowBackAtItsFirstSize_data();
    void trayBringsTheWindowBackAtItsFirstSize();
    void trayContextAndMiddleClickChangeNothing();
    void sheetCheckBoxSwitchesTheNameField();
    void rangeCheckBoxSwitchesRangeAgainstLastRow();
    void choicesAreStoredAndShownByTheNextWindow();
    void cancelledChoicesChangeNothing();
    void missingSettingsFileIsNeverCreated();
    void pathsOutsideAsciiSurviveTheSettingsFile();
    void overlongStoredValueLeavesTheFieldEmpty();
    void chooseDialogsStartNearTheFields();
    void typedValuesAndOptionsComeBackInTheNextWindow();

  private:
    RecordingBackend backend;
};

void MainWindowTest::placedTitledAndIconed()
{
    SettingsFolder settings;
    TestWindow test(backend);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(test.window->size(), QSize(940, 520));
    QCOMPARE(test.window->pos(), QPoint((screen.width() - 940) / 2, (screen.height() - 520) / 3));
    // The project's version as CMake sets it, major and minor, after a space.
    const QStringList version = QString::fromLatin1(SHEETWRIGHT_PROJECT_VERSION).split('.');
    QCOMPARE(test.window->windowTitle(), "Sheetwright " + version[0] + "." + version[1]);
    QVERIFY(!test.window->windowIcon().isNull());
}

// The style clips a group box's title to the rectangle it measures for it;
// that rectangle must hold the whole title as drawn, its last letter too.
void MainWindowTest::groupTitlesAreDrawnWhole()
{
    SettingsFolder settings;
    TestWindow test(backend);
    test.window->show();
    const QList<QGroupBox *> boxes = test.window->findChildren<QGroupBox *>();
    QCOMPARE(boxes.size(), 3);
    for (const QGroupBox *box : boxes) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                         QStyle::SC_GroupBoxLabel, box);
        QVERIFY2(label.width() >= box->fontMetrics().horizontalAdvance(box->title()),
                 qPrintable(box->title()));
        QVERIFY2(label.right() < box->width(), qPrintable(box->title()));
    }
}

void MainWindowTest::trayBringsTheWindowBackAtItsFirstSize_data()
{
    QTest::addColumn<int>("reason");
    QTest::newRow("single click") << int(QSystemTrayIcon::Trigger);
    QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick);
}

void MainWindowTest::trayBringsTheWindowBackAtItsFirstSize()
{
    QFETCH(int, reason);
    SettingsFolder settings;
    TestWindow test(backend);
    auto *tray = test.window->findChild<SystemTray *>();
    QVERIFY(tray);
    test.window->show();
    test.window->resize(1200, 700);
    test.window->showMinimized();
    emit tray->activated(QSystemTrayIcon::ActivationReason(reason));
    QVERIFY(!test.window->isMinimized());
    QVERIFY(test.window->isVisible());
    QCOMPARE(test.window->size(), FirstSize(*test.window));

    // The menu's first entry does the same, also from hidden.
    test.window->resize(1300, 800);
    test.window->hide();
    tray->ShowUi();
    QVERIFY(test.window->isVisible());
    QCOMPARE(test.window->size(), FirstSize(*test.window));

    test.window->showMaximized();
    emit tray->activated(QSystemTrayIcon::ActivationReason(reason));
    QVERIFY(!test.window->isMaximized());
    QCOMPARE(test.window->size(), FirstSize(*test.window));
}

void MainWindowTest::trayContextAndMiddleClickChangeNothing()
{
    SettingsFolder settings;
    TestWindow test(backend);
    auto *tray = test.window->findChild<SystemTray *>();
    test.window->show();
    test.window->resize(1200, 700);
    emit tray->activated(QSystemTrayIcon::Context);
    emit tray->activated(QSystemTrayIcon::MiddleClick);
    QCOMPARE(test.window->size(), QSize(1200, 700));
}

void MainWindowTest::sheetCheckBoxSwitchesTheNameField()
{
    SettingsFolder settings;
    TestWindow test(backend);
    auto *box = test.Widget<QCheckBox>("cBox_AppointedSheet");
    auto *name = test.Widget<QLineEdit>("lEdt_AppointedSheetName");
    QVERIFY(!name->isEnabled());
    box->click();
    QVERIFY(name->isEnabled());
    box->click();
    QVERIFY(!name->isEnabled());
}

void MainWindowTest::rangeCheckBoxSwitchesRangeAgainstLastRow()
{
    SettingsFolder settings;
    TestWindow test(backend);
    auto *box = test.Widget<QCheckBox>("cBox_AppointedRange");
    auto *range = test.Widget<QLineEdit>("lEdt_AppointedRange");
    auto *lastRow = test.Widget<QSpinBox>("sBox_LastRow");
    box->click();
    QVERIFY(range->isEnabled());
    QVERIFY(!lastRow->isEnabled());
    QCOMPARE(range->text(), QStringLiteral("A1:C7"));
    box->click();
    QVERIFY(!range->isEnabled());
    QVERIFY(lastRow->isEnabled());
}

void MainWindowTest::choicesAreStoredAndShownByTheNextWindow()
{
    SettingsFolder settings;
    WriteFile(settings.SettingsPath(), "Other=1\r\n");
    const QString folder = settings.dir.filePath(QStringLiteral("data"));
    const QString workbook = settings.dir.filePath(QStringLiteral("t.xlsx"));
    {
        TestWindow test(backend);
        test.dialogs->folderAnswer = folder;
        test.dialogs->templateAnswer = workbook;
        test.Widget<QPushButton>("pBtn_SourcePath")->click();
        test.Widget<QPushButton>("pBtn_TemplatePath")->click();
        QCOMPARE(test.Widget<QLineEdit>("lEdt_SourcePath")->text(), folder + "/");
        QCOMPARE(test.Widget<QLineEdit>("lEdt_TemplatePath")->text(), workbook);
        // A second choice replaces the first in place.
        test.dialogs->folderAnswer = folder + "2";
        test.Widget<QPushButton>("pBtn_SourcePath")->click();
    }
    QCOMPARE(FileBytes(settings.SettingsPath()),
             "Other=1\r\nSourcePath=" + QFile::encodeName(folder) +
                 "2/\r\nTemplatePath=" + QFile::encodeName(workbook) + "\r\n");
    TestWindow next(backend);
    QCOMPARE(next.Widget<QLineEdit>("lEdt_SourcePath")->text(), folder + "2/");
    QCOMPARE(next.Widget<QLineEdit>("lEdt_TemplatePath")->text(), workbook);
}

void MainWindowTest::cancelledChoicesChangeNothing()
{
    SettingsFolder settings;
    const QByteArray stored("SourcePath=/old/\r\nTemplatePath=/old.xlsx\r\n");
    WriteFile(settings.SettingsPath(), stored);
    TestWindow test(backend);
    test.Widget<QPushButton>("pBtn_SourcePath")->click();
    test.Widget<QPushButton>("pBtn_TemplatePath")->click();
    QCOMPARE(test.dialogs->folderQuestions, 1);
    QCOMPARE(test.dialogs->templateQuestions, 1);
    QCOMPARE(test.Widget<QLineEdit>("lEdt_SourcePath")->text(), QStringLiteral("/old/"));
    QCOMPARE(test.Widget<QLineEdit>("lEdt_TemplatePath")->text(), QStringLiteral("/old.xlsx"));
    QCOMPARE(FileBytes(settings.SettingsPath()), stored);
}

void MainWindowTest::missingSettingsFileIsNeverCreated()
{
    SettingsFolder settings;
    TestWindow test(backend);
    QVERIFY(test.Widget<QLineEdit>("lEdt_SourcePath")->text().isEmpty());
    test.dialogs->folderAnswer = QStringLiteral("/somewhere");
    test.Widget<QPushButton>("pBtn_SourcePath")->click();
    QCOMPARE(test.Widget<QLineEdit>("lEdt_SourcePath")->text(), QStringLiteral("/somewhere/"));
    QVERIFY(!QFile::exists(settings.SettingsPath()));
}

void MainWindowTest::pathsOutsideAsciiSurviveTheSettingsFile()
{
    SettingsFolder settings;
    WriteFile(settings.SettingsPath(), QByteArray());
    const QString folder = QStringLiteral("/数据/报表");
    {
        TestWindow test(backend);
        test.dialogs->folderAnswer = folder;
        test.Widget<QPushButton>("pBtn_SourcePath")->click();
    }
    TestWindow next(backend);
    QCOMPARE(next.Widget<QLineEdit>("lEdt_SourcePath")->text(), folder + "/");
}

void MainWindowTest::overlongStoredValueLeavesTheFieldEmpty()
{
    SettingsFolder settings;
    WriteFile(settings.SettingsPath(),
              "SourcePath=/" + QByteArray(1100, 'a') + "/\r\nTemplatePath=/t.xlsx\r\n");
    TestWindow test(backend);
    QVERIFY(test.Widget<QLineEdit>("lEdt_SourcePath")->text().isEmpty());
    QCOMPARE(test.Widget<QLineEdit>("lEdt_TemplatePath")->text(), QStringLiteral("/t.xlsx"));
}

void MainWindowTest::chooseDialogsStartNearTheFields()
{
    SettingsFolder settings;
    TestWindow test(backend);
    const QString folder = settings.dir.path();
    test.Widget<QLineEdit>("lEdt_SourcePath")->setText(folder + "/");
    test.Widget<QLineEdit>("lEdt_TemplatePath")->setText(folder + "/t.xlsx");
    test.Widget<QPushButton>("pBtn_SourcePath")->click();
    test.Widget<QPushButton>("pBtn_TemplatePath")->click();
    test.Widget<QLineEdit>("lEdt_SourcePath")->clear();
    test.Widget<QPushButton>("pBtn_SourcePath")->click();
    QCOMPARE(test.dialogs->startFolders, (QStringList{folder, folder, QDir::homePath()}));
}

// Remembered when a run starts, in the same file beside the lines it had.
void MainWindowTest::typedValuesAndOptionsComeBackInTheNextWindow()
{
    SettingsFolder settings;
    WriteFile(settings.SettingsPath(), "Other=1\r\nSourcePath=/old/\r\n");
    const QString folder = settings.dir.path() + "/";
    {
        TestWindow test(backend);
        test.Widget<QLineEdit>("lEdt_SourcePath")->setText(folder);
        test.Widget<QLineEdit>("lEdt_TemplatePath")->setText("/typed/t.xlsx");
        test.Widget<QCheckBox>("cBox_AppointedSheet")->click();
        test.Widget<QLineEdit>("lEdt_AppointedSheetName")->setText("数据 = 1");
        test.Widget<QCheckBox>("cBox_AppointedRange")->click();
        test.Widget<QLineEdit>("lEdt_AppointedRange")->setText("B2:D9");
        test.Widget<QSpinBox>("sBox_LastRow")->setValue(250);
        test.Widget<QCheckBox>("cBox_WithValues")->click();
        test.Widget<QPushButton>("pBtn_UnMerge")->click();
        QTRY_VERIFY(test.Widget<QPushButton>("pBtn_UnMerge")->isEnabled());
    }
    const QByteArray stored = FileBytes(settings.SettingsPath());
    QVERIFY(stored.startsWith("Other=1\r\nSourcePath=" + QFile::encodeName(folder) + "\r\n"));
    QVERIFY(
        stored.contains("\r\nAppointedSheetName=" + QString("数据 = 1").toLocal8Bit() + "\r\n"));
    QVERIFY(stored.contains("\r\nLastRow=250\r\n"));
    QCOMPARE(stored.count("\r\n"), stored.count("\n"));

    TestWindow next(backend);
    QCOMPARE(next.Widget<QLineEdit>("lEdt_SourcePath")->text(), folder);
    QCOMPARE(next.Widget<QLineEdit>("lEdt_TemplatePath")->text(), QStringLiteral("/typed/t.xlsx"));
    QCOMPARE(next.Widget<QLineEdit>("lEdt_AppointedSheetName")->text(), QStringLiteral("数据 = 1"));
    QCOMPARE(next.Widget<QLineEdit>("lEdt_AppointedRange")->text(), QStringLiteral("B2:D9"));
    QCOMPARE(next.Widget<QSpinBox>("sBox_LastRow")->value(), 250);
    QVERIFY(next.Widget<QCheckBox>("cBox_WithValues")->isChecked());
    QVERIFY(!next.Widget<QCheckBox>("cBox_WithFormulas")->isChecked());
    QVERIFY(!next.Widget<QCheckBox>("cBox_OnlyFirstSheet")->isChecked());
    // The dependent fields follow the remembered boxes.
    QVERIFY(next.Widget<QLineEdit>("lEdt_AppointedSheetName")->isEnabled());
    QVERIFY(next.Widget<QLineEdit>("lEdt_AppointedRange")->isEnabled());
    QVERIFY(!next.Widget<QSpinBox>("sBox_LastRow")->isEnabled());
}

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
