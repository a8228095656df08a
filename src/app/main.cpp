#include "app/instance_rule.h"
#include "app/path_values.h"
#include "app/platform_names.h"
#include "app/termination_request.h"
#include "app/toolkit_translations.h"
#include "app/window_translation.h"
#include "ui/mainwindow.h"
#include "worker/text_language.h"

#include <QApplication>
#include <QFile>
#include <QLocale>

int main(int argc, char *argv[])
{
    ApplyInstanceRule(kExecutableName);
    QApplication application(argc, argv);
    // The executable's own place, not argv[0] as typed: started by name from
    // PATH, that would put the settings into the current folder. A path too
    // long for the buffers leaves the values empty: the settings then read as
    // missing and are written nowhere.
    SetPathValues(QFile::encodeName(QCoreApplication::applicationFilePath()).constData());
    QuitOnTerminationRequest(application);
    // The toolkit's own texts are English already; a Chinese window gets the
    // toolkit's Chinese where the system holds it.
    if (ProcessLanguage() == TextLanguage::English)
        LoadEnglishWindowTexts(application);
    else
        LoadToolkitTranslations(application, QLocale::system());
    MainWindow window;
    window.show();
    return application.exec();
}
