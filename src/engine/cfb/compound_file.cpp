#include "cfb/compound_file.h"

#include "cfb/stream_replace.h"

namespace engine
{

std::unique_ptr<CompoundFile> CompoundFile::Parse(std::string bytes, Error &error)
{
    std::unique_ptr<CompoundFile> file(new CompoundFile);
    file->bytes_ = std::move(bytes);
    if (!cfb::ReadTables(file->bytes_, file->tables_, error) ||
        !cfb::ReadRootChildren(file->bytes_, file->tables_, file->rootChildren_, error))
        return nullptr;
    return file;
}

const cfb::RootChild *CompoundFile::FindStream(std::string_view name) const
{
    for (const cfb::RootChild &child : rootChildren_)
        if (child.isStream && cfb::NameMatches(child, name))
            return &child;
    return nullptr;
}

bool CompoundFile::HasStream(std::string_view name) const
{
    return FindStream(name) != nullptr;
}

bool CompoundFile::Locate(std::string_view name, cfb::StreamExtent &extent, Error &error) const
{
    const cfb::RootChild *child = FindStream(name);
    if (!child) {
        error.Set(ErrorCode::NotSpreadsheet,
                  "the compound file has no stream named " + std::string(name));
        return false;
    }
    return cfb::LocateStream(bytes_, tables_, child->entry, extent, error);
}

bool CompoundFile::ReadStream(std::string_view name, std::string &content, Error &error) const
{
    cfb::StreamExtent extent;
    return Locate(name, extent, error) && cfb::ReadExtent(bytes_, tables_, extent, content, error);
}

bool CompoundFile::WithStreamReplaced(std::string_view name, std::string_view content,
                                      std::string &file, Error &error) const
{
    cfb::StreamExtent extent;
    return Locate(name, extent, error) && cfb::OwnsItsSectors(bytes_, tables_, extent, error) &&
           cfb::ReplaceStream(bytes_, tables_, extent, content, file, error);
}

} // namespace engine
