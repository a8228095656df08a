#pragma once

#include <QString>

// Why a workbook was not done, in the window's language: the backends' known
// reasons (given in English) in Chinese; any other reason as it came.
QString ReasonInChinese(const QString &reason);
