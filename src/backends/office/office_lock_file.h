#pragma once

#include <QString>

namespace office
{

// The lock file LibreOffice keeps beside a workbook it has open for editing.
QString OfficeLockFileOf(const QString &workbookPath);

} // namespace office
