#include "sheet/sheet_columns.h"

#include "xml/xml_fragment.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace engine
{

std::string ColumnRange::Attribute(std::string_view name) const
{
    for (const auto &[key, value] : attributes)
        if (key == name)
            return value;
    return {};
}

void ColumnRange::SetAttribute(std::string_view name, std::string value)
{
    for (auto &[key, existing] : attributes)
        if (key == name) {
            existing = std::move(value);
            return;
        }
    attributes.emplace_back(std::string(name), std::move(value));
}

bool ColumnSet::Load(std::string_view cols, Error &error)
{
    ranges_.clear();
    if (cols.empty())
        return true;
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_buffer(cols.data(), cols.size());
    if (!parsed) {
        error.Set(ErrorCode::Damaged, std::string("cols unreadable: ") + parsed.description());
        return false;
    }
    prefix_ = PrefixOf(doc.document_element().name());
    for (pugi::xml_node col : Elements(doc.document_element())) {
        ColumnRange range;
        range.first = std::clamp(col.attribute("min").as_uint(1), 1u, 16384u);
        range.last = std::clamp(col.attribute("max").as_uint(range.first), range.first, 16384u);
        for (pugi::xml_attribute a : col.attributes())
            if (std::string_view(a.name()) != "min" && std::string_view(a.name()) != "max")
                range.attributes.emplace_back(a.name(), a.value());
        // a range overlapping its predecessor is clipped: the first one wins
        if (!ranges_.empty() && range.first <= ranges_.back().last)
            range.first = ranges_.back().last + 1;
        if (range.first <= range.last)
            ranges_.push_back(std::move(range));
    }
    return true;
}

const ColumnRange *ColumnSet::Find(std::uint32_t column) const
{
    auto found = std::lower_bound(ranges_.begin(), ranges_.end(), column,
                                  [](const ColumnRange &r, std::uint32_t c) { return r.last < c; });
    return found != ranges_.end() && found->first <= column ? &*found : nullptr;
}

std::uint32_t ColumnSet::Style(std::uint32_t column) const
{
    const ColumnRange *range = Find(column);
    return range ? std::uint32_t(std::strtoul(range->Attribute("style").c_str(), nullptr, 10)) : 0;
}

void ColumnSet::SplitAt(std::uint32_t column)
{
    for (size_t i = 0; i < ranges_.size(); ++i) {
        if (ranges_[i].first < column && column <= ranges_[i].last) {
            ColumnRange upper = ranges_[i];
            upper.first = column;
            ranges_[i].last = column - 1;
            ranges_.insert(ranges_.begin() + std::ptrdiff_t(i) + 1, std::move(upper));
            return;
        }
    }
}

void ColumnSet::FillGaps(std::uint32_t first, std::uint32_t last)
{
    std::vector<ColumnRange> filled;
    std::uint32_t next = first;
    for (ColumnRange &range : ranges_) {
        if (range.last >= next && range.first > next && next <= last) {
            ColumnRange gap;
            gap.first = next;
            gap.last = std::min(range.first - 1, last);
            filled.push_back(gap);
        }
        if (range.last >= next)
            next = range.last + 1;
        filled.push_back(std::move(range));
    }
    if (next <= last) {
        ColumnRange gap;
        gap.first = next;
        gap.last = last;
        filled.push_back(gap);
    }
    ranges_ = std::move(filled);
}

void ColumnSet::SetWidth(std::uint32_t first, std::uint32_t last, const std::string &width)
{
    SplitAt(first);
    if (last < 16384)
        SplitAt(last + 1);
    FillGaps(first, last);
    for (ColumnRange &range : ranges_) {
        if (range.first >= first && range.last <= last) {
            range.SetAttribute("width", width);
            range.SetAttribute("customWidth", "1");
        }
    }
}

std::string ColumnSet::Serialise() const
{
    std::vector<ColumnRange> joined;
    for (const ColumnRange &range : ranges_) {
        if (!joined.empty() && joined.back().last + 1 == range.first &&
            joined.back().attributes == range.attributes)
            joined.back().last = range.last;
        else
            joined.push_back(range);
    }
    if (joined.empty())
        return {};
    pugi::xml_document doc;
    pugi::xml_node cols = doc.append_child((prefix_ + "cols").c_str());
    for (const ColumnRange &range : joined) {
        pugi::xml_node col = cols.append_child((prefix_ + "col").c_str());
        col.append_attribute("min").set_value(range.first);
        col.append_attribute("max").set_value(range.last);
        for (const auto &[name, value] : range.attributes)
            col.append_attribute(name.c_str()).set_value(value.c_str());
    }
    return RawText(cols);
}

} // namespace engine
