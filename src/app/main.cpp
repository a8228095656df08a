#include "app/instance_rule.h"
#include "app/path_values.h"
#include "app/platform_names.h"
#include "app/termination_request.h"
#include "app/toolkit_translations.h"
#include "app/window_translation.h"
#include "ui/mainwindow.h"
#include "worker/text_language.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    // An argv[0] too long for the path buffers leaves the values empty: the
    // settings then read as missing and are written nowhere.
    SetPathValues(argc > 0 ? argv[0] : nullptr);
    ApplyInstanceRule(kExecutableName);
    QApplication application(argc, argv);
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
