#pragma once
// Parts some writers store as UTF-16 (with a byte order mark), turned into
// the UTF-8 text every reader of the engine expects.

#include <string>
#include <string_view>

namespace engine
{

enum class TextRecoding {
    None,    // not UTF-16 with a byte order mark: left as it was
    Recoded, // now UTF-8, its XML declaration naming UTF-8
    Invalid, // a byte order mark over broken UTF-16
};

TextRecoding RecodeUtf16Part(std::string &text);

// UTF-16LE code units as UTF-8, appended to `out`; false on an odd length or
// a surrogate without its partner.
bool AppendUtf16LeAsUtf8(std::string_view bytes, std::string &out);

} // namespace engine
