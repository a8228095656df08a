#pragma once

#include <QString>

// Why a workbook was not done, in the window's language: the backends' known
// reasons (given in English) in the window's words, Chinese unless a
// translator says otherwise; any other reason as it came.
QString ReasonInWindowLanguage(const QString &reason);
