#pragma once
// Parts some writers store as UTF-16 (with a byte order mark), turned into
// the UTF-8 text every reader of the engine expects.

#include <string>

namespace engine
{

enum class TextRecoding {
    None,    // not UTF-16 with a byte order mark: left as it was
    Recoded, // now UTF-8, its XML declaration naming UTF-8
    Invalid, // a byte order mark over broken UTF-16
};

TextRecoding RecodeUtf16Part(std::string &text);

} // namespace engine
