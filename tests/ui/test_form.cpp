// The generated main window form: widget tree, classes, layout metrics,
// texts, initial states, and the by-name connections it makes.

#include "cut_off_widgets.h"
#include "ui_mainwindow.h"

#include <QtTest>

Q_DECLARE_METATYPE(QMargins)

namespace
{

// Object names of a layout's items in order; a spacer shows as "<spacer>".
QStringList ItemNames(QLayout *layout)
{
    QStringList names;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget())
            names << item->widget()->objectName();
        else if (item->layout())
            names << item->layout()->objectName();
        else
            names << QStringLiteral("<spacer>");
    }
    return names;
}

// A window with the by-name slots of the real one, counting their calls.
class SlotCountingWindow : public QMainWindow
{
    Q_OBJECT

  public:
    int unMergeClicks = 0;
    int appointedRangeClicks = 0;

  private slots:
    void on_pBtn_UnMerge_clicked() { ++unMergeClicks; }
    void on_cBox_AppointedRange_clicked() { ++appointedRangeClicks; }
};

} // namespace

class FormTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void windowAndCentralWidget();
    void tabHoldsTheOnlyPage();
    void layoutsHoldTheirItemsInOrder_data();
    void layoutsHoldTheirItemsInOrder();
    void layoutMetrics_data();
    void layoutMetrics();
    void widgetClasses_data();
    void widgetClasses();
    void sizeConstraints();
    void texts_data();
    void texts();
    void retranslateRestoresTexts();
    void initialStates();
    void spinBoxKeepsToRowRange();
    void contentFitsTheInitialSize();
    void slotsConnectToClickedByName();

  private:
    QLayout *FindLayout(const QString &objectName) const
    {
        return window->findChild<QLayout *>(objectName);
    }

    QMainWindow *window = nullptr;
    Ui_MainWindow form;
};

void FormTest::initTestCase()
{
    // The font a plain X11 desktop gives Qt programs; the offscreen platform
    // would otherwise measure with a larger one no user sees.
    QApplication::setFont(QFont(QStringLiteral("Sans Serif"), 9));
}

void FormTest::init()
{
    window = new QMainWindow;
    form.setupUi(window);
}

void FormTest::cleanup()
{
    delete window;
    window = nullptr;
}

void FormTest::windowAndCentralWidget()
{
    QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window->size(), QSize(940, 520));
    QCOMPARE(window->minimumSize(), QSize(0, 0));
    QCOMPARE(window->windowTitle(), QStringLiteral("MainWindow"));

    QCOMPARE(window->centralWidget(), form.centralWidget);
    QCOMPARE(form.centralWidget->objectName(), QStringLiteral("centralWidget"));
    const QSizePolicy policy = form.centralWidget->sizePolicy();
    QCOMPARE(policy.horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(policy.verticalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(policy.horizontalStretch(), 0);
    QCOMPARE(policy.verticalStretch(), 0);

    // A window that already has a name keeps it.
    QMainWindow named;
    named.setObjectName(QStringLiteral("Named"));
    Ui_MainWindow().setupUi(&named);
    QCOMPARE(named.objectName(), QStringLiteral("Named"));
}

void FormTest::tabHoldsTheOnlyPage()
{
    QCOMPARE(form.tabWidget->count(), 1);
    QCOMPARE(form.tabWidget->widget(0), form.wgt_AddToTab1);
    QCOMPARE(form.tabWidget->currentIndex(), 0);
    QCOMPARE(form.tabWidget->tabText(0), QStringLiteral("软件设置"));
}

void FormTest::layoutsHoldTheirItemsInOrder_data()
{
    QTest::addColumn<QString>("holder");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("verticalLayout_4") << "centralWidget" << QStringList{"tabWidget"};
    QTest::newRow("verticalLayout_3") << "wgt_AddToTab1"
                                      << QStringList{"groupBox_2", "groupBox_3", "groupBox",
                                                     "lb_ShowDisposing", "prgBar_Progress"};
    QTest::newRow("verticalLayout_2")
        << "groupBox_2" << QStringList{"horizontalLayout_3", "widget_3"};
    QTest::newRow("horizontalLayout_3")
        << "verticalLayout_2"
        << QStringList{"pBtn_SourcePath", "lEdt_SourcePath", "cBox_OnlyFirstSheet",
                       "cBox_AppointedSheet", "lEdt_AppointedSheetName"};
    QTest::newRow("horizontalLayout_4")
        << "widget_3" << QStringList{"cBox_AppointedRange", "lEdt_AppointedRange"};
    QTest::newRow("verticalLayout") << "groupBox_3" << QStringList{"horizontalLayout_2"};
    QTest::newRow("horizontalLayout_2")
        << "verticalLayout"
        << QStringList{"pBtn_TemplatePath", "lEdt_TemplatePath", "label",
                       "sBox_LastRow",      "cBox_JustColWidth", "cBox_WithFormulas",
                       "cBox_WithValues",   "pBtn_Transform"};
    // The undo, stop and details buttons sit at the far end, where they move nothing else.
    QTest::newRow("horizontalLayout_5")
        << "groupBox"
        << QStringList{"pBtn_UnMerge", "<spacer>", "pBtn_Undo", "pBtn_Stop", "pBtn_Details"};
}

void FormTest::layoutsHoldTheirItemsInOrder()
{
    QFETCH(QString, holder);
    QFETCH(QStringList, items);

    QLayout *layout = FindLayout(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(layout);
    QCOMPARE(ItemNames(layout), items);
    // A widget holds its layout; a nested layout hangs on its parent layout.
    if (auto *holderWidget = window->findChild<QWidget *>(holder))
        QCOMPARE(holderWidget->layout(), layout);
    else
        QCOMPARE(layout->parent(), FindLayout(holder));
}

void FormTest::layoutMetrics_data()
{
    QTest::addColumn<int>("spacing");
    QTest::addColumn<QMargins>("margins");

    const QMargins none(0, 0, 0, 0);
    const QMargins standard(11, 11, 11, 11);
    QTest::newRow("verticalLayout_4") << 6 << none;
    QTest::newRow("verticalLayout_3") << 15 << none;
    QTest::newRow("verticalLayout_2") << 6 << standard;
    QTest::newRow("horizontalLayout_3") << 6 << QMargins(0, 5, 0, 5);
    QTest::newRow("horizontalLayout_4") << 6 << standard;
    QTest::newRow("verticalLayout") << 6 << standard;
    QTest::newRow("horizontalLayout_2") << 6 << none;
    QTest::newRow("horizontalLayout_5") << 6 << standard;
}

void FormTest::layoutMetrics()
{
    QFETCH(int, spacing);
    QFETCH(QMargins, margins);

    QLayout *layout = FindLayout(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(layout);
    QCOMPARE(layout->spacing(), spacing);
    QCOMPARE(layout->contentsMargins(), margins);
}

void FormTest::widgetClasses_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QByteArray>("className");

    const QList<QPair<QString, QByteArray>> widgets = {
        {"centralWidget", "QWidget"},
        {"tabWidget", "QTabWidget"},
        {"wgt_AddToTab1", "QWidget"},
        {"groupBox_2", "QGroupBox"},
        {"pBtn_SourcePath", "QPushButton"},
        {"lEdt_SourcePath", "QLineEdit"},
        {"cBox_OnlyFirstSheet", "QCheckBox"},
        {"cBox_AppointedSheet", "QCheckBox"},
        {"lEdt_AppointedSheetName", "QLineEdit"},
        {"widget_3", "QWidget"},
        {"cBox_AppointedRange", "QCheckBox"},
        {"lEdt_AppointedRange", "QLineEdit"},
        {"groupBox_3", "QGroupBox"},
        {"pBtn_TemplatePath", "QPushButton"},
        {"lEdt_TemplatePath", "QLineEdit"},
        {"label", "QLabel"},
        {"sBox_LastRow", "QSpinBox"},
        {"cBox_JustColWidth", "QCheckBox"},
        {"cBox_WithFormulas", "QCheckBox"},
        {"cBox_WithValues", "QCheckBox"},
        {"pBtn_Transform", "QPushButton"},
        {"groupBox", "QGroupBox"},
        {"pBtn_UnMerge", "QPushButton"},
        {"pBtn_Stop", "QPushButton"},
        {"pBtn_Details", "QPushButton"},
        {"lb_ShowDisposing", "QLabel"},
        {"prgBar_Progress", "QProgressBar"},
    };
    for (const auto &widget : widgets)
        QTest::newRow(qPrintable(widget.first)) << widget.first << widget.second;
}

void FormTest::widgetClasses()
{
    QFETCH(QString, objectName);
    QFETCH(QByteArray, className);

    const QList<QWidget *> found = window->findChildren<QWidget *>(objectName);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QByteArray(found.first()->metaObject()->className()), className);
}

void FormTest::sizeConstraints()
{
    QCOMPARE(form.pBtn_SourcePath->minimumSize(), QSize(100, 0));
    QCOMPARE(form.pBtn_Transform->minimumSize(), QSize(100, 0));
    QCOMPARE(form.lEdt_AppointedSheetName->minimumSize(), QSize(200, 0));
    QCOMPARE(form.lEdt_AppointedSheetName->maximumSize(), QSize(200, QWIDGETSIZE_MAX));
    QCOMPARE(form.lEdt_AppointedRange->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QCOMPARE(form.lb_ShowDisposing->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));

    for (QWidget *expanding :
         {static_cast<QWidget *>(form.groupBox_2), static_cast<QWidget *>(form.lb_ShowDisposing)}) {
        QCOMPARE(expanding->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(expanding->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    }

    const QSpacerItem *spacer = form.horizontalLayout_5->itemAt(1)->spacerItem();
    QVERIFY(spacer);
    QCOMPARE(spacer->sizeHint(), QSize(40, 20));
    QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);

    QCOMPARE(form.verticalLayout_3->stretch(0), 0);
    QCOMPARE(form.verticalLayout_3->stretch(1), 0);
    QCOMPARE(form.verticalLayout_3->stretch(2), 0);
    QCOMPARE(form.verticalLayout_3->stretch(3), 2);
    QCOMPARE(form.verticalLayout_3->stretch(4), 0);
}

void FormTest::texts_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");

    const auto row = [](const QString &objectName, const char *property, const QString &text) {
        QTest::newRow(qPrintable(objectName + "." + property))
            << objectName << QByteArray(property) << text;
    };
    row("groupBox_2", "title",
        "第一步：选择文件夹(支持子文件夹)   无需安装Office或WPS；部分.xls操作需LibreOffice Calc");
    row("pBtn_SourcePath", "text", "Excel文件所在文件夹：");
    row("cBox_OnlyFirstSheet", "text", "只修改第一个表");
    row("cBox_AppointedSheet", "text", "只修改指定名称表：");
    row("cBox_AppointedRange", "text", "只修改指定区域（写法如：B2、A1:D4）：");
    row("lEdt_AppointedRange", "toolTip",
        "1、,一个单元格、多个单元格、整列、多列、整行、多行分别是：A1、B2:D2、B:B、B:D、1:1、"
        "1:9(中间是英文冒号))\n"
        "2、多个连续不同区域用因为逗号分隔，如：B2:B3,D2:D3、1:1,3:3");
    row("lEdt_AppointedRange", "text", "A1:C7");
    row("groupBox_3", "title",
        "功能一：用模板批量设置(选择第一个sheet设置好格式的excel模板文件)   "
        ".xls整行、公式或值需LibreOffice Calc");
    row("pBtn_TemplatePath", "text", "Excel格式模板文件：");
    row("label", "text", "最后一行行号：");
    row("cBox_JustColWidth", "text", "只取列宽");
    row("cBox_WithFormulas", "text", "带公式");
    row("cBox_WithValues", "text", "带值");
    row("pBtn_Transform", "text", "设 置");
    row("groupBox", "title", "其他功能(批量修改前请先备份)：");
    row("pBtn_UnMerge", "text", "批量取消合并单元格(全区域)");
    row("pBtn_Stop", "text", "停止");
    row("pBtn_Details", "text", "详情");
    row("lb_ShowDisposing", "text",
        "【操作前请先关闭所有Excel文件,并备份需修改的Excel文件,防止误操作!】");
    row("lb_ShowDisposing", "styleSheet", "color: rgb(255, 0, 0);");
    row("lEdt_SourcePath", "text", "");
    row("lEdt_TemplatePath", "text", "");
    row("lEdt_AppointedSheetName", "text", "");
}

void FormTest::texts()
{
    QFETCH(QString, objectName);
    QFETCH(QByteArray, property);
    QFETCH(QString, text);

    const QWidget *widget = window->findChild<QWidget *>(objectName);
    QVERIFY(widget);
    QCOMPARE(widget->property(property.constData()).toString(), text);
}

void FormTest::retranslateRestoresTexts()
{
    form.pBtn_Transform->setText(QStringLiteral("x"));
    form.tabWidget->setTabText(0, QStringLiteral("x"));
    form.retranslateUi(window);
    QCOMPARE(form.pBtn_Transform->text(), QStringLiteral("设 置"));
    QCOMPARE(form.tabWidget->tabText(0), QStringLiteral("软件设置"));
}

void FormTest::initialStates()
{
    for (QCheckBox *box :
         {form.cBox_OnlyFirstSheet, form.cBox_AppointedSheet, form.cBox_AppointedRange,
          form.cBox_JustColWidth, form.cBox_WithFormulas, form.cBox_WithValues}) {
        QVERIFY2(box->isEnabled(), qPrintable(box->objectName()));
        QCOMPARE(box->checkState(), Qt::Unchecked);
    }
    for (QWidget *enabled : std::initializer_list<QWidget *>{
             form.lEdt_SourcePath, form.lEdt_TemplatePath, form.sBox_LastRow, form.pBtn_Transform,
             form.pBtn_UnMerge, form.pBtn_SourcePath, form.pBtn_TemplatePath})
        QVERIFY2(enabled->isEnabled(), qPrintable(enabled->objectName()));
    QVERIFY(!form.lEdt_SourcePath->isReadOnly());
    QVERIFY(!form.lEdt_TemplatePath->isReadOnly());
    QVERIFY(!form.lEdt_AppointedSheetName->isEnabled());
    QVERIFY(!form.lEdt_AppointedRange->isEnabled());
    // Nothing to stop and nothing to detail before a run.
    QVERIFY(!form.pBtn_Stop->isEnabled());
    QVERIFY(!form.pBtn_Details->isEnabled());

    QCOMPARE(form.sBox_LastRow->minimum(), 1);
    QCOMPARE(form.sBox_LastRow->maximum(), 1048576);
    QCOMPARE(form.sBox_LastRow->value(), 100);
    QCOMPARE(form.sBox_LastRow->text(), QStringLiteral("100"));
}

void FormTest::spinBoxKeepsToRowRange()
{
    QSpinBox *lastRow = form.sBox_LastRow;
    lastRow->setValue(0);
    QCOMPARE(lastRow->value(), 1);
    lastRow->setValue(1048577);
    QCOMPARE(lastRow->value(), 1048576);

    // Typing past the top: the seventh digit is refused.
    lastRow->selectAll();
    QTest::keyClicks(lastRow, "2000000");
    QCOMPARE(lastRow->value(), 200000);
    lastRow->setValue(1048576);
    QTest::keyClick(lastRow, Qt::Key_Up);
    QCOMPARE(lastRow->value(), 1048576);
    lastRow->setValue(1);
    QTest::keyClick(lastRow, Qt::Key_Down);
    QCOMPARE(lastRow->value(), 1);
}

void FormTest::contentFitsTheInitialSize()
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // A layout that needed more room would have grown the window.
    QCOMPARE(window->size(), QSize(940, 520));
    QCOMPARE(form.lEdt_AppointedSheetName->width(), 200);
    QCOMPARE(CutOffWidgets(*window), QStringList());
}

void FormTest::slotsConnectToClickedByName()
{
    SlotCountingWindow counting;
    Ui_MainWindow countingForm;
    countingForm.setupUi(&counting);

    countingForm.pBtn_UnMerge->click();
    QCOMPARE(counting.unMergeClicks, 1);
    // Setting a state from code is no click.
    countingForm.cBox_AppointedRange->setChecked(true);
    QCOMPARE(counting.appointedRangeClicks, 0);
    countingForm.cBox_AppointedRange->click();
    QCOMPARE(counting.appointedRangeClicks, 1);
}

QTEST_MAIN(FormTest)
#include "test_form.moc"
