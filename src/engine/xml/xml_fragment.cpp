#include "xml/xml_fragment.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace engine
{

std::string PrefixOf(const char *qualifiedName)
{
    const char *colon = std::strchr(qualifiedName, ':');
    return colon ? std::string(qualifiedName, colon + 1) : std::string();
}

namespace
{

constexpr unsigned kFragmentParse = pugi::parse_default | pugi::parse_ws_pcdata_single;

void StripPrefix(pugi::xml_node element, const std::string &prefix)
{
    if (!prefix.empty() && std::strncmp(element.name(), prefix.c_str(), prefix.size()) == 0)
        element.set_name(std::string(element.name() + prefix.size()).c_str()); // not its own buffer
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            StripPrefix(child, prefix);
}

void AddPrefix(pugi::xml_node element, const std::string &prefix)
{
    if (!prefix.empty() && std::strchr(element.name(), ':') == nullptr)
        element.set_name((prefix + element.name()).c_str());
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            AddPrefix(child, prefix);
}

// Byte order of name, then value, as comparing them as strings gives.
bool AttributeBefore(const pugi::xml_attribute &a, const pugi::xml_attribute &b)
{
    const int byName = std::strcmp(a.name(), b.name());
    return byName != 0 ? byName < 0 : std::strcmp(a.value(), b.value()) < 0;
}

void SortAttributes(pugi::xml_node element)
{
    std::vector<pugi::xml_attribute> attributes;
    for (pugi::xml_attribute a : element.attributes())
        attributes.push_back(a);
    if (!std::is_sorted(attributes.begin(), attributes.end(), AttributeBefore)) {
        std::sort(attributes.begin(), attributes.end(), AttributeBefore);
        for (const pugi::xml_attribute &a : attributes) {
            element.append_copy(a);
            element.remove_attribute(a);
        }
    }
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            SortAttributes(child);
}

// Collects printed text without the cost of setting up a stream per call.
class StringWriter : public pugi::xml_writer
{
  public:
    explicit StringWriter(std::string &text) : text_(text) {}
    void write(const void *data, size_t size) override
    {
        text_.append(static_cast<const char *>(data), size);
    }

  private:
    std::string &text_;
};

} // namespace

std::string RawText(const pugi::xml_node &node)
{
    std::string text;
    AppendRawText(node, text);
    return text;
}

void AppendRawText(const pugi::xml_node &node, std::string &text)
{
    StringWriter out(text);
    node.print(out, "", pugi::format_raw);
}

std::string SavedText(const pugi::xml_document &document)
{
    std::string text;
    StringWriter out(text);
    document.save(out, "", pugi::format_raw);
    return text;
}

namespace
{

// Marks an insertion's place while the document is printed: the parser keeps
// no processing instructions, so only text in CDATA could look the same.
constexpr std::string_view kPlaceMark = "<?sheetwright-insert-";

// Replaces each mark in `text` by its insertion's text; false unless every
// insertion's mark occurs exactly once.
bool ReplaceMarks(const std::vector<TextAfter> &insertions, std::string &text)
{
    std::string out;
    std::size_t extra = 0;
    for (const TextAfter &insertion : insertions)
        extra += insertion.text->size();
    out.reserve(text.size() + extra);
    std::vector<bool> placed(insertions.size(), false);
    std::size_t copied = 0;
    // A '?' is rare in a part's text, a '<' is not.
    for (std::size_t at = text.find('?'); at != std::string::npos; at = text.find('?', at + 1)) {
        if (at == 0 || text.compare(at - 1, kPlaceMark.size(), kPlaceMark) != 0)
            continue;
        const char *digits = text.data() + at - 1 + kPlaceMark.size();
        std::size_t index = 0;
        const auto [end, failed] = std::from_chars(digits, text.data() + text.size(), index);
        const std::size_t close = std::size_t(end - text.data());
        if (failed != std::errc() || index >= placed.size() || placed[index] ||
            text.compare(close, 2, "?>") != 0)
            return false;
        placed[index] = true;
        out.append(text, copied, at - 1 - copied).append(*insertions[index].text);
        copied = close + 2;
        at = close + 1;
    }
    if (std::find(placed.begin(), placed.end(), false) != placed.end())
        return false;
    out.append(text, copied, std::string::npos);
    text = std::move(out);
    return true;
}

} // namespace

bool SavedTextWith(pugi::xml_document &document, const std::vector<TextAfter> &insertions,
                   std::string &text)
{
    if (insertions.empty()) {
        text = SavedText(document);
        return true;
    }
    std::vector<pugi::xml_node> marks;
    for (std::size_t i = 0; i < insertions.size(); ++i) {
        pugi::xml_node parent = insertions[i].parent;
        marks.push_back(parent.append_child(pugi::node_pi));
        marks.back().set_name((std::string(kPlaceMark.substr(2)) + std::to_string(i)).c_str());
    }
    text = SavedText(document);
    for (pugi::xml_node mark : marks)
        mark.parent().remove_child(mark);
    return ReplaceMarks(insertions, text);
}

std::string NormalisedFragment(const pugi::xml_node &element, const std::string &prefix)
{
    pugi::xml_document copy;
    pugi::xml_node root = copy.append_copy(element);
    StripPrefix(root, prefix);
    SortAttributes(root);
    return RawText(root);
}

pugi::xml_node AppendFragment(pugi::xml_node parent, const std::string &fragment,
                              const std::string &prefix)
{
    // Parsed in place: a copy out of a scratch document cost as much again.
    const pugi::xml_node before = parent.last_child();
    parent.append_buffer(fragment.data(), fragment.size(), kFragmentParse);
    pugi::xml_node added = parent.last_child();
    if (added == before)
        return {};
    AddPrefix(added, prefix);
    return added;
}

namespace
{

// Whether each fragment starts with '<' and ends with '>', as one element does:
// the joint parse is tried only then.
bool EachBracketed(const std::string &joined, const std::vector<std::size_t> &ends)
{
    std::size_t start = 0;
    for (std::size_t end : ends) {
        if (end <= start || joined[start] != '<' || joined[end - 1] != '>')
            return false;
        start = end;
    }
    return true;
}

pugi::xml_node After(const pugi::xml_node &parent, const pugi::xml_node &before)
{
    return before ? before.next_sibling() : parent.first_child();
}

// Parses all fragments at once, adding their elements to `added`; false, with
// `parent` as it was, unless they made exactly one element each.
bool AppendJointly(pugi::xml_node parent, const std::string &joined,
                   const std::vector<std::size_t> &ends, std::vector<pugi::xml_node> &added)
{
    const pugi::xml_node before = parent.last_child();
    const bool parsed = parent.append_buffer(joined.data(), joined.size(), kFragmentParse);
    const std::size_t known = added.size();
    bool elements = parsed;
    for (pugi::xml_node node = After(parent, before); node && elements;
         node = node.next_sibling()) {
        elements = node.type() == pugi::node_element;
        added.push_back(node);
    }
    if (elements && added.size() - known == ends.size())
        return true;
    added.resize(known);
    while (pugi::xml_node node = After(parent, before))
        parent.remove_child(node);
    return false;
}

} // namespace

void AppendFragments(pugi::xml_node parent, const std::string &joined,
                     const std::vector<std::size_t> &ends, const std::string &prefix,
                     std::vector<pugi::xml_node> &added)
{
    const std::size_t known = added.size();
    if (EachBracketed(joined, ends) && AppendJointly(parent, joined, ends, added)) {
        for (std::size_t i = known; i < added.size(); ++i)
            AddPrefix(added[i], prefix);
        return;
    }
    std::size_t start = 0;
    for (std::size_t end : ends) {
        added.push_back(AppendFragment(parent, joined.substr(start, end - start), prefix));
        start = end;
    }
}

std::vector<pugi::xml_node> Elements(const pugi::xml_node &parent)
{
    std::vector<pugi::xml_node> elements;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            elements.push_back(child);
    return elements;
}

bool IsTrue(const pugi::xml_attribute &attribute)
{
    const std::string_view value = attribute.value();
    return value == "1" || value == "true";
}

} // namespace engine
