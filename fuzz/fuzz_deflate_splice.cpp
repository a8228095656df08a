// The deflate walk reads a stream the package holds, and a splice must come
// out as exactly the new text. Half of the inputs are raw streams (the walk
// must refuse or finish, never read out of bounds or loop); the other half
// are texts, compressed, edited and spliced (the result must inflate to the
// edited text).

#include "package/deflate_codec.h"
#include "package/deflate_splice.h"
#include "package/deflate_walk.h"
#include "raw_zip.h"

#include <cstdlib>
#include <string>

namespace
{

void SpliceEditedText(const std::string &input)
{
    // Repeated so that the text is long enough to splice.
    std::string before;
    while (before.size() < 200000)
        before += input;
    const unsigned char control = static_cast<unsigned char>(input[0]);
    const size_t at = (before.size() / 256) * control;
    const size_t removed = control % 64;
    const std::string inserted = input.substr(0, control % 7);
    std::string after = before;
    after.replace(at, removed, inserted);
    const engine::UnchangedRuns runs = {
        {0, 0, at}, {at + inserted.size(), at + removed, before.size() - at - removed}};
    std::string compressed;
    std::string inflated;
    if (!engine::DeflateReusing(after, hostile::RawDeflate(before, control % 10, 1), runs,
                                compressed) ||
        !engine::InflateExactly(compressed, after.size(), inflated) || inflated != after)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::string input(reinterpret_cast<const char *>(data) + 1, size - 1);
    if (data[0] & 1) {
        engine::DeflateWalk walk;
        engine::WalkDeflate(input, data[0] * 97u, data[0] * 4001u, walk);
        return 0;
    }
    SpliceEditedText(input);
    return 0;
}
