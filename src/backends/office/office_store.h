#pragma once
// Saving a workbook LibreOffice has open without ever damaging the file:
// LibreOffice stores to a temporary file beside it, which is checked and
// then put in place by the same replace as our own engine's saves (the
// original's mode and owner kept, a read-only workbook refused, a file that
// another program changed meanwhile left alone).

#include "backends/office/office_session.h"
#include "engine/file_identity.h"

#include <QString>

#include <optional>

namespace office
{

// Empty `error` on success. UNO errors come as exceptions.
void StoreWorkbook(const css::uno::Reference<css::lang::XComponent> &document, const QString &path,
                   const std::optional<engine::FileIdentity> &original, QString &error);

} // namespace office
