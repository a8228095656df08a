#include "instance_rule.h"
#include "mainwindow.h"
#include "path_values.h"
#include "platform_names.h"
#include "termination_request.h"
#include "toolkit_translations.h"

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
