#pragma once
// Whole files as bytes, for fixtures and for proving a file was not touched.

#include <QByteArray>
#include <QString>

namespace testsupport
{

// The file's bytes; empty when it cannot be read.
QByteArray FileBytes(const QString &path);
bool WriteFileBytes(const QString &path, const QByteArray &bytes);

} // namespace testsupport
