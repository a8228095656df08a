#include "app/toolkit_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool LoadToolkitTranslations(QCoreApplication &application, const QLocale &locale)
{
    auto *translator = new QTranslator(&application);
    // "qt_" is the catalogue that pulls in qtbase_ and the other modules' files.
    if (!translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return application.installTranslator(translator);
}
