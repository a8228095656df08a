#include "parts/shared_strings.h"

#include "xml/xml_fragment.h"
#include "xml/xml_scan.h"

namespace engine
{

bool SharedStrings::Load(const std::string &xml, Error &error)
{
    ElementTree vetted; // refuses a DOCTYPE and runaway nesting before the DOM sees it
    if (!ScanDocument(xml, vetted, error))
        return false;
    const auto flags = pugi::parse_default | pugi::parse_ws_pcdata_single;
    pugi::xml_parse_result parsed = doc_->load_buffer(xml.data(), xml.size(), flags);
    if (!parsed) {
        error.Set(ErrorCode::Damaged,
                  std::string("shared strings unreadable: ") + parsed.description());
        return false;
    }
    prefix_ = PrefixOf(doc_->document_element().name());
    items_ = Elements(doc_->document_element());
    return true;
}

std::string SharedStrings::InlineContent(std::size_t index) const
{
    if (index >= items_.size())
        return {};
    std::string content;
    for (pugi::xml_node child : Elements(items_[index]))
        content += NormalisedFragment(child, prefix_);
    return content;
}

} // namespace engine
