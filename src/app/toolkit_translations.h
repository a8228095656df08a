#pragma once

class QCoreApplication;
class QLocale;

// Loads the toolkit's own translations for the locale (the file dialogs'
// labels, the standard buttons), so they speak the user's language beside the
// Chinese form. Returns false when the system holds none for that locale.
bool LoadToolkitTranslations(QCoreApplication &application, const QLocale &locale);
