#pragma once
// Comparing two zip packages entry by entry on their stored (compressed)
// bytes, so a test can prove that untouched parts were copied unchanged.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport
{

// The entry names in stored order; empty when the file is not a zip.
QStringList EntryNames(const QString &path);

// Entries of `before` whose stored bytes, name or position differ in
// `after`, plus entries only one of the two has.
QStringList DifferingEntries(const QString &before, const QString &after);

// One entry's uncompressed content; null when absent.
QByteArray EntryData(const QString &path, const QString &entryName);

} // namespace testsupport
