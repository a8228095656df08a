// The compound-file reader must refuse or read any input without reading
// out of bounds or running away; where it reads a file, replacing a stream
// must give a file that reads back as the new content with every other
// stream as it was. The first byte picks the stream and the new size.

#include "cfb/compound_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{

const char *const kNames[] = {"Workbook", "Small", "\x05SummaryInformation", "Pictures"};
const size_t kSizes[] = {0, 1, 64, 4095, 4096, 4097, 10000, 70000};

std::string Content(const std::string &input, size_t size)
{
    std::string content;
    while (content.size() < size)
        content += input.empty() ? std::string(1, 'x') : input;
    content.resize(size);
    return content;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::string bytes(reinterpret_cast<const char *>(data) + 1, size - 1);
    engine::Error error;
    const auto file = engine::CompoundFile::Parse(bytes, error);
    if (!file)
        return 0;
    const char *target = kNames[data[0] % 4];
    const std::string content = Content(bytes, kSizes[(data[0] / 4) % 8]);
    std::string replaced;
    if (!file->WithStreamReplaced(target, content, replaced, error))
        return 0;
    const auto again = engine::CompoundFile::Parse(replaced, error);
    std::string read;
    if (!again || !again->ReadStream(target, read, error) || read != content)
        std::abort();
    for (const char *name : kNames) {
        std::string before;
        std::string after;
        if (name != target && file->ReadStream(name, before, error) &&
            (!again->ReadStream(name, after, error) || after != before))
            std::abort();
    }
    return 0;
}
