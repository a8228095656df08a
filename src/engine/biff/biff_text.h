#pragma once
// Reading record bodies field by field, and the two string forms BIFF8 keeps
// in the format tables: XLUnicodeString (16-bit count) and
// ShortXLUnicodeString (8-bit count), each stored as Latin-1 or UTF-16LE.
// The engine holds text as UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace engine
{

// Little-endian fields from the front of a body; reading past its end
// yields zeros and clears `ok`, so a caller checks once at the end.
class BodyReader
{
  public:
    explicit BodyReader(std::string_view body) : body_(body) {}

    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    std::string_view Bytes(std::size_t count);
    // An XLUnicodeString (countBytes 2) or ShortXLUnicodeString (countBytes 1).
    std::string String(int countBytes);

    bool Ok() const { return ok_; }
    std::size_t Left() const { return body_.size() - at_; }

  private:
    std::string_view body_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// UTF-8 text as an XLUnicodeString (countBytes 2) or ShortXLUnicodeString
// (countBytes 1): Latin-1 when every character fits, else UTF-16LE. Text
// longer than the count can say is cut at a whole character.
void AppendString(std::string &body, const std::string &utf8, int countBytes);

} // namespace engine
