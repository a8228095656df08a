#pragma once
// Loading a file into the session's soffice, started again first when it
// has ended.

#include "backends/office/office_session.h"

#include <QString>

namespace office
{

// Editable: a target, which must not load read-only. Otherwise a template,
// loaded read-only. Null with the reason in `error`. Arms the watchdog: the
// caller disarms it once done with the document.
css::uno::Reference<css::lang::XComponent> LoadDocument(OfficeSession &session, const QString &path,
                                                        bool editable, QString &error);
// A soffice able to take the next workbook, started anew if it has ended;
// false with the reason.
bool ReadyInstance(OfficeSession &session, QString &error);
// Ends a soffice that has loaded its share of workbooks; the next load
// starts a fresh one. Called only between workbooks: a workbook in hand
// would go with it.
void RetireWornInstance(OfficeSession &session);

} // namespace office
