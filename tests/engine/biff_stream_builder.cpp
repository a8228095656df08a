#include "biff_stream_builder.h"

std::string U16(std::uint16_t value)
{
    return std::string{char(value & 0xFF), char(value >> 8)};
}

std::string U32(std::uint32_t value)
{
    return U16(std::uint16_t(value & 0xFFFF)) + U16(std::uint16_t(value >> 16));
}

size_t BiffStreamBuilder::Add(std::uint16_t id, const std::string &body, const std::string &tag)
{
    const size_t offset = bytes_.size();
    bytes_ += U16(id) + U16(std::uint16_t(body.size())) + body;
    if (!tag.empty())
        tags_[tag] = offset;
    return offset;
}

size_t BiffStreamBuilder::Bof(std::uint16_t substream, const std::string &tag,
                              std::uint16_t version)
{
    return Add(0x0809, U16(version) + U16(substream) + std::string(12, '\0'), tag);
}

size_t BiffStreamBuilder::BoundSheet(const std::string &name, std::uint8_t type,
                                     const std::string &tag)
{
    std::string body = U32(0) + std::string(1, '\0') + std::string(1, char(type));
    body += std::string(1, char(name.size())) + std::string(1, '\0') + name;
    return Add(0x0085, body, tag);
}

void BiffStreamBuilder::SetU32(const std::string &tag, size_t field, std::uint32_t value)
{
    bytes_.replace(Offset(tag) + 4 + field, 4, U32(value));
}

void BiffStreamBuilder::SetU16(const std::string &tag, size_t field, std::uint16_t value)
{
    bytes_.replace(Offset(tag) + 4 + field, 2, U16(value));
}
