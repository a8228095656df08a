#pragma once
// The hash by which a workbook is known again after a run. It tells an edited
// workbook from the one a run left, not a forgery from it, and a run hashes
// every workbook twice, so it is a hash made for speed. Records written before
// it name no kind and were made with SHA-1, which is still read.

#include <QByteArray>
#include <QString>

namespace history
{

enum class HashKind { Sha1, Xxh3_128 };

// The kind new records are written with.
constexpr HashKind kCurrentHashKind = HashKind::Xxh3_128;

// The kind's name in a record, and back; an unknown name gives false.
QByteArray HashKindName(HashKind kind);
bool HashKindNamed(const QByteArray &name, HashKind &kind);

// The file's hash, hex; empty when the file cannot be read.
QByteArray FileHash(const QString &path, HashKind kind = kCurrentHashKind);

} // namespace history
