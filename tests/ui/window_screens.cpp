// Pictures of the window in each state a run goes through, for a person to
// look at: `window_screens FOLDER [english]` writes idle.png, template-dialog.png,
// running.png, finished.png and details.png there, in Chinese or in English. Run under Xvfb to see
// the real fonts; as a test it checks that every state keeps the window's size.

#include "app/toolkit_translations.h"
#include "app/window_translation.h"
#include "ui/troubles_dialog.h"
#include "ui_test_support.h"
#include "worker/merge_object.h"
#include "worker_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSemaphore>
#include <QTimer>
#include <QtTest>

#include <atomic>

namespace
{

const int kWorkbooks = 300;
const int kHeldAt = 120;

QString BookName(int number)
{
    return QStringLiteral("b%1.xlsx").arg(number, 3, 10, QLatin1Char('0'));
}

// The window keeps its first size in every state: 940 x 520, unless the fonts
// at hand (the offscreen platform's are larger) need more room from the start.
bool Snap(QWidget &window, const QString &path)
{
    static const QSize firstSize = QSize(940, 520).expandedTo(window.minimumSizeHint());
    QCoreApplication::processEvents();
    if (window.size() != firstSize)
        qWarning("%s: the window is %dx%d", qPrintable(path), window.width(), window.height());
    return window.grab().save(path) && window.size() == firstSize;
}

bool SnapDetails(QWidget &parent, const QList<WorkbookTrouble> &troubles, const QString &path)
{
    bool saved = false;
    QTimer::singleShot(300, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        saved = dialog && dialog->grab().save(path);
        if (dialog)
            dialog->close();
    });
    ShowTroublesDialog(&parent, troubles);
    return saved;
}

// The template dialog as the window opens it, once the folder's files are listed.
bool SnapTemplateDialog(const QString &folder, const QString &path)
{
    QFileDialog dialog(nullptr, QCoreApplication::translate("StandardDialogs", "选择Excel文件"),
                       folder, TemplateFileFilter());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.show();
    QTest::qWait(800);
    return dialog.grab().save(path);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 2)
        return 2;
    if (argc > 2 && qstrcmp(argv[2], "english") == 0) {
        if (!LoadEnglishWindowTexts(application))
            return 2;
    } else {
        LoadToolkitTranslations(application, QLocale(QLocale::Chinese, QLocale::China));
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral(".")))
        return 2;
    SettingsFolder settings;
    QTemporaryDir root;
    QStringList files{"template.xlsx", "books/~$" + BookName(7)};
    for (int i = 1; i <= kWorkbooks; ++i)
        files << "books/" + BookName(i);
    MakeFiles(root.path(), files);

    RecordingBackend backend;
    backend.FailOpen(BookName(13));
    backend.FailSave(BookName(21));
    QSemaphore held, mayGoOn;
    std::atomic<bool> slow{true}; // until the held workbook, so the times read as a real run's
    backend.SetOpenHook([&](const QString &path) {
        if (slow)
            QThread::msleep(25);
        if (path.endsWith(BookName(kHeldAt))) {
            slow = false;
            held.release();
            mayGoOn.acquire();
        }
    });
    TestWindow test(backend);
    test.dialogs->viewerStarts = true;
    test.Widget<QLineEdit>("lEdt_SourcePath")->setText(root.filePath("books") + "/");
    test.Widget<QLineEdit>("lEdt_TemplatePath")->setText(root.filePath("template.xlsx"));
    test.window->show();
    if (!QTest::qWaitForWindowExposed(test.window.get()))
        return 1;
    bool fine = Snap(*test.window, out.filePath("idle.png"));
    fine = SnapTemplateDialog(root.filePath("books"), out.filePath("template-dialog.png")) && fine;

    test.Widget<QPushButton>("pBtn_Transform")->click();
    // Waiting with the event loop running, as the program's own would be.
    fine = QTest::qWaitFor([&held] { return held.tryAcquire(); }, 10000) && fine;
    QTest::qWait(1200); // the elapsed time and the status line catch up
    fine = Snap(*test.window, out.filePath("running.png")) && fine;
    mayGoOn.release();
    auto *start = test.Widget<QPushButton>("pBtn_Transform");
    fine = QTest::qWaitFor([start] { return start->isEnabled(); }, 20000) && fine;
    fine = Snap(*test.window, out.filePath("finished.png")) && fine;

    test.Widget<QPushButton>("pBtn_Details")->click();
    fine = !test.dialogs->troublesShown.isEmpty() &&
           SnapDetails(*test.window, test.dialogs->troublesShown.last(),
                       out.filePath("details.png")) &&
           fine;
    return fine ? 0 : 1;
}
