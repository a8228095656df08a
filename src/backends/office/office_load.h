#pragma once
// Loading a file into the session's soffice, started or restarted first
// when it has ended or has loaded its share of workbooks.

#include "backends/office/office_session.h"

#include <QString>

namespace office
{

// Editable: a target, which must not load read-only. Otherwise a template,
// loaded read-only. Null with the reason in `error`. Arms the watchdog: the
// caller disarms it once done with the document.
css::uno::Reference<css::lang::XComponent> LoadDocument(OfficeSession &session, const QString &path,
                                                        bool editable, QString &error);
// A soffice able to take the next workbook; false with the reason.
bool ReadyInstance(OfficeSession &session, QString &error);

} // namespace office
