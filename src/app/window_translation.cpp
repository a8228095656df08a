#include "app/window_translation.h"

#include <QCoreApplication>
#include <QTranslator>

bool LoadEnglishWindowTexts(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral(":/translations/sheetwright_en.qm"))) {
        delete translator;
        return false;
    }
    return application.installTranslator(translator);
}
