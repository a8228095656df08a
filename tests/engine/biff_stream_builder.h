#pragma once
// Workbook streams assembled record by record, for the odd and hostile cases
// no writer produces, with the offset of every record kept for checks.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class BiffStreamBuilder
{
  public:
    // Appends a record; `tag`, when given, names it for Offset().
    size_t Add(std::uint16_t id, const std::string &body, const std::string &tag = {});
    size_t Bof(std::uint16_t substream, const std::string &tag = {},
               std::uint16_t version = 0x0600);
    size_t Eof() { return Add(0x000A, {}); }
    size_t BoundSheet(const std::string &name, std::uint8_t type, const std::string &tag);
    // Fills in a 32-bit field of a record's body once the target is known.
    void SetU32(const std::string &tag, size_t field, std::uint32_t value);
    void SetU16(const std::string &tag, size_t field, std::uint16_t value);

    size_t Offset(const std::string &tag) const { return tags_.at(tag); }
    size_t Size() const { return bytes_.size(); }
    const std::string &Bytes() const { return bytes_; }

  private:
    std::string bytes_;
    std::map<std::string, size_t> tags_;
};

std::string U16(std::uint16_t value);
std::string U32(std::uint32_t value);
