// The window in English, as a non-Chinese locale shows it: every text of the
// form, the tray menu, the dialogs and the status line comes from the
// translation, none is left in Chinese, and texts with counts or paths keep
// them.

#include "app/system_tray.h"
#include "app/window_translation.h"
#include "cut_off_widgets.h"
#include "history/run_backup.h"
#include "ui/failure_reasons.h"
#include "ui_test_support.h"
#include "worker_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

namespace
{

bool HasChinese(const QString &text)
{
    static const QRegularExpression kHan(
        QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return text.contains(kHan);
}

// Every text a person can read on the window: captions, titles, tool tips.
QStringList ShownTexts(QWidget &window)
{
    QStringList texts{window.windowTitle()};
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        texts << widget->toolTip();
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts << button->text();
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts << label->text();
        if (auto *group = qobject_cast<QGroupBox *>(widget))
            texts << group->title();
        if (auto *tabs = qobject_cast<QTabWidget *>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
    }
    for (const QAction *entry : window.findChild<SystemTray *>()->contextMenu()->actions())
        texts << entry->text();
    return texts;
}

// A new file renamed over the old one, as a save does.
void ReplaceAsASaveWould(const QString &path, const QByteArray &bytes)
{
    QFile replacement(path + ".new");
    QVERIFY(replacement.open(QIODevice::WriteOnly) && replacement.write(bytes) > 0);
    replacement.close();
    QVERIFY(QFile::remove(path) && QFile::rename(path + ".new", path));
}

} // namespace

class WindowLanguageTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();

    void formAndTrayAreEnglish();
    void longerTextsFitTheFirstSize();
    void refusalsAndQuestionsAreEnglish();
    void runTextsKeepTheirNumbersAndPaths();
    void reasonsTheWindowWordsAreEnglish_data();
    void reasonsTheWindowWordsAreEnglish();

  private:
    QString Folder() const { return QDir::toNativeSeparators(root->filePath("books") + "/"); }
    void RunUnmerge(TestWindow &test);

    std::unique_ptr<SettingsFolder> settings;
    std::unique_ptr<QTemporaryDir> root;
    std::unique_ptr<RecordingBackend> backend;
};

void WindowLanguageTest::initTestCase()
{
    // The font a plain X11 desktop gives Qt programs; the offscreen platform
    // would otherwise measure with a larger one no user sees.
    QApplication::setFont(QFont(QStringLiteral("Sans Serif"), 9));
    QVERIFY(LoadEnglishWindowTexts(*QCoreApplication::instance()));
}

void WindowLanguageTest::init()
{
    settings = std::make_unique<SettingsFolder>();
    root = std::make_unique<QTemporaryDir>();
    backend = std::make_unique<RecordingBackend>();
    MakeFiles(root->path(), {"books/a.xlsx", "books/b.xlsx", "books/c.xlsx", "template.xlsx"});
}

void WindowLanguageTest::RunUnmerge(TestWindow &test)
{
    test.Widget<QLineEdit>("lEdt_SourcePath")->setText(Folder());
    test.Widget<QPushButton>("pBtn_UnMerge")->click();
    QTRY_VERIFY(test.Widget<QPushButton>("pBtn_UnMerge")->isEnabled());
}

void WindowLanguageTest::formAndTrayAreEnglish()
{
    TestWindow test(*backend);
    const QStringList texts = ShownTexts(*test.window);
    for (const QString &text : texts)
        QVERIFY2(!HasChinese(text), qPrintable(text));
    // The translation reached each kind of text, not only the few checked by name.
    QCOMPARE(test.Widget<QPushButton>("pBtn_Transform")->text(), QStringLiteral("Apply"));
    QCOMPARE(test.Widget<QTabWidget>("tabWidget")->tabText(0), QStringLiteral("Settings"));
    QVERIFY(texts.contains(QStringLiteral("Quit")));
    QVERIFY(test.Widget<QLineEdit>("lEdt_AppointedRange")->toolTip().contains("B2:D2, B:B"));
    // What the user typed and the window's own name are not words to translate.
    QCOMPARE(test.Widget<QLineEdit>("lEdt_AppointedRange")->text(), QStringLiteral("A1:C7"));
    QVERIFY(test.window->windowTitle().startsWith(QStringLiteral("Sheetwright ")));
}

// English words are longer than the Chinese; they must neither grow the
// window nor be cut off.
void WindowLanguageTest::longerTextsFitTheFirstSize()
{
    TestWindow test(*backend);
    test.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(test.window.get()));
    QCOMPARE(test.window->size(), QSize(940, 520));
    QCOMPARE(CutOffWidgets(*test.window), QStringList());
}

void WindowLanguageTest::refusalsAndQuestionsAreEnglish()
{
    TestWindow test(*backend);
    test.Widget<QLineEdit>("lEdt_SourcePath")->setText(root->filePath("missing"));
    test.Widget<QPushButton>("pBtn_UnMerge")->click();
    test.Widget<QLineEdit>("lEdt_SourcePath")->setText(Folder());
    test.Widget<QPushButton>("pBtn_Undo")->click();
    test.Widget<QLineEdit>("lEdt_TemplatePath")->setText(root->filePath("template.xlsx"));
    test.Widget<QAbstractButton>("cBox_AppointedRange")->click();
    test.Widget<QLineEdit>("lEdt_AppointedRange")->setText("A1,ZZZZ9");
    test.Widget<QPushButton>("pBtn_Transform")->click();
    QCOMPARE(test.dialogs->messages, QStringList({"The folder of Excel files does not exist!",
                                                  "This folder has no run that can be undone.",
                                                  "The range is not written correctly: ZZZZ9"}));

    // A run replaced a.xlsx and b.xlsx; b.xlsx was changed again since.
    const QString a = root->filePath("books/a.xlsx");
    const QString b = root->filePath("books/b.xlsx");
    QString error;
    auto backup = history::RunBackup::Start(Folder(), "unmerge", {a, b}, error);
    QVERIFY2(backup && backup->Keep(a, error) && backup->Keep(b, error), qPrintable(error));
    ReplaceAsASaveWould(a, "done");
    ReplaceAsASaveWould(b, "done");
    backup->Finish(a, true);
    backup->Finish(b, true);
    backup->Close(true, 5);
    ReplaceAsASaveWould(b, "edited later");

    test.Widget<QPushButton>("pBtn_Undo")->click();
    QCOMPARE(test.dialogs->questions.size(), 1);
    const QRegularExpression question(
        "^Undo the last run, “unmerge \\(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d\\)”: 1 workbook\\(s\\) "
        "will be "
        "restored to their originals\\.\n"
        "1 more workbook\\(s\\) have been changed since and will not be restored\\.$");
    QVERIFY2(question.match(test.dialogs->questions[0]).hasMatch(),
             qPrintable(test.dialogs->questions[0]));
    QCOMPARE(test.Widget<QLabel>("lb_ShowDisposing")->text(),
             QStringLiteral("Last run undone: 1 workbook(s) restored, 1 not restored (changed "
                            "since, or open in another program)."));
}

// The summary is said on the run's own thread, through the translator that
// the window's thread installed.
void WindowLanguageTest::runTextsKeepTheirNumbersAndPaths()
{
    MakeFiles(root->path(), {"books/~$b.xlsx"}); // b.xlsx is open in another program
    backend->FailSave("c.xlsx");
    backend->FailOpen("a.xlsx");
    TestWindow test(*backend);
    test.dialogs->viewerStarts = false;
    RunUnmerge(test);

    const QString status = test.Widget<QLabel>("lb_ShowDisposing")->text();
    const QRegularExpression summary(
        "^0 Excel file\\(s\\) set successfully in \\d+ s\\. 3 failed, 0 unchanged\\.\n"
        "The failed files are listed in the run report: (.*)$");
    const QRegularExpressionMatch match = summary.match(status);
    QVERIFY2(match.hasMatch(), qPrintable(status));
    QCOMPARE(match.captured(1), Folder() + "无法打开的文件目录(文件格式有误).txt");
    const QString progress = test.Widget<QProgressBar>("prgBar_Progress")->text();
    QVERIFY2(progress.startsWith("3 / 3    elapsed 0:0"), qPrintable(progress));

    test.Widget<QPushButton>("pBtn_Details")->click();
    const QList<WorkbookTrouble> listed = test.dialogs->troublesShown.value(0);
    QCOMPARE(listed.size(), 3);
    QCOMPARE(listed[1].reason, QStringLiteral("The file is open in another program"));
    for (const WorkbookTrouble &trouble : listed)
        QVERIFY2(!trouble.reason.isEmpty() && !HasChinese(trouble.reason),
                 qPrintable(trouble.reason));
}

void WindowLanguageTest::reasonsTheWindowWordsAreEnglish_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("said");
    QTest::newRow("backend's copy failure") << "sheet \"Data\": the copy failed: bad style"
                                            << "The template range cannot be copied: bad style";
    QTest::newRow("run's copy failure, cause unknown")
        << QStringLiteral("模板区域无法复制：clipboard busy")
        << "The template range cannot be copied: clipboard busy";
    QTest::newRow("routing's own Chinese")
        << QStringLiteral("需要安装 LibreOffice Calc 才能处理 .xls 文件")
        << "LibreOffice Calc must be installed to process .xls "
           "files";
    QTest::newRow("read-only before save") << "cannot replace the workbook: it is read-only"
                                           << "Saving failed: the file is read-only";
    QTest::newRow("unknown stays as said") << "something new"
                                           << "something new";
}

void WindowLanguageTest::reasonsTheWindowWordsAreEnglish()
{
    QFETCH(QString, reason);
    QFETCH(QString, said);
    QCOMPARE(ReasonInWindowLanguage(reason), said);
}

QTEST_MAIN(WindowLanguageTest)
#include "test_window_language.moc"
