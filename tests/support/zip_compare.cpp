#include "zip_compare.h"

#include <zip.h>

#include <algorithm>
#include <memory>

namespace testsupport
{
namespace
{

struct ArchiveCloser {
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

Archive OpenArchive(const QString &path)
{
    int code = 0;
    return Archive(zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &code));
}

QByteArray ReadEntry(zip_t *archive, zip_int64_t index, zip_flags_t flags)
{
    zip_stat_t stat;
    zip_file_t *file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), flags);
    if (!file || zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        return {};
    QByteArray data(static_cast<int>((flags & ZIP_FL_COMPRESSED) ? stat.comp_size : stat.size),
                    '\0');
    const zip_int64_t got = zip_fread(file, data.data(), static_cast<zip_uint64_t>(data.size()));
    zip_fclose(file);
    data.resize(got < 0 ? 0 : static_cast<int>(got));
    return data;
}

} // namespace

QStringList EntryNames(const QString &path)
{
    QStringList names;
    const Archive archive = OpenArchive(path);
    if (!archive)
        return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive.get(), 0); ++i)
        names << QString::fromUtf8(zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0));
    return names;
}

QStringList DifferingEntries(const QString &before, const QString &after)
{
    const Archive first = OpenArchive(before);
    const Archive second = OpenArchive(after);
    const QStringList firstNames = EntryNames(before);
    const QStringList secondNames = EntryNames(after);
    QStringList differing;
    for (int i = 0; i < std::max(firstNames.size(), secondNames.size()); ++i) {
        const QString name = i < firstNames.size() ? firstNames[i] : secondNames[i];
        const bool same = i < firstNames.size() && i < secondNames.size() &&
                          firstNames[i] == secondNames[i] &&
                          ReadEntry(first.get(), i, ZIP_FL_COMPRESSED) ==
                              ReadEntry(second.get(), i, ZIP_FL_COMPRESSED);
        if (!same)
            differing << name;
    }
    return differing;
}

QByteArray EntryData(const QString &path, const QString &entryName)
{
    const Archive archive = OpenArchive(path);
    if (!archive)
        return {};
    const zip_int64_t index = zip_name_locate(archive.get(), entryName.toUtf8().constData(), 0);
    return index < 0 ? QByteArray() : ReadEntry(archive.get(), index, 0);
}

} // namespace testsupport
