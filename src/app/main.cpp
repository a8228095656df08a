#include "app/instance_rule.h"
#include "app/path_values.h"
#include "app/platform_names.h"
#include "app/termination_request.h"
#include "app/toolkit_translations.h"
#include "ui/mainwindow.h"

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
    LoadToolkitTranslations(application, QLocale::system());
    MainWindow window;
    window.show();
    return application.exec();
}
