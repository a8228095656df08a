#include "history/file_hash.h"

#include <QCryptographicHash>
#include <QFile>

#include <memory>
#include <vector>

// Inlined: the hash is one call site, and no library is needed beside the program.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace history
{
namespace
{

const char kSha1Name[] = "sha1";
const char kXxh3Name[] = "xxh3-128";
// Big enough that reading costs few calls, small enough to stay in cache.
constexpr qint64 kChunk = qint64(256) << 10;

QByteArray Sha1Of(QFile &file)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    return hash.addData(&file) ? hash.result().toHex() : QByteArray();
}

QByteArray Xxh3Of(QFile &file)
{
    const std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(),
                                                                         &XXH3_freeState);
    if (!state || XXH3_128bits_reset(state.get()) != XXH_OK)
        return QByteArray();
    std::vector<char> chunk(static_cast<size_t>(kChunk));
    for (;;) {
        const qint64 read = file.read(chunk.data(), kChunk);
        if (read < 0)
            return QByteArray();
        if (read == 0)
            break;
        XXH3_128bits_update(state.get(), chunk.data(), static_cast<size_t>(read));
    }
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state.get()));
    return QByteArray(reinterpret_cast<const char *>(canonical.digest), sizeof canonical.digest)
        .toHex();
}

} // namespace

QByteArray HashKindName(HashKind kind)
{
    return kind == HashKind::Sha1 ? kSha1Name : kXxh3Name;
}

bool HashKindNamed(const QByteArray &name, HashKind &kind)
{
    if (name == kSha1Name)
        kind = HashKind::Sha1;
    else if (name == kXxh3Name)
        kind = HashKind::Xxh3_128;
    else
        return false;
    return true;
}

QByteArray FileHash(const QString &path, HashKind kind)
{
    QFile file(path);
    // Unbuffered: the chunks go straight from the file into the hash.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return QByteArray();
    return kind == HashKind::Sha1 ? Sha1Of(file) : Xxh3Of(file);
}

} // namespace history
