#pragma once
// Moving XML elements between parts of different workbooks. Writers disagree on
// namespace prefixes ("x:font" vs "font"), so fragments are carried with the
// part's main prefix stripped and get the receiving part's prefix on insertion.

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace engine
{

// Prefix of an element name including the colon ("x:"), or "" when unprefixed.
std::string PrefixOf(const char *qualifiedName);

// The element as text with `prefix` removed from its own and its descendants'
// names, attributes sorted so that equal content gives equal text.
std::string NormalisedFragment(const pugi::xml_node &element, const std::string &prefix);

// Appends the fragment (from NormalisedFragment) as the last child of `parent`
// with unprefixed element names given `prefix`; returns the new element.
pugi::xml_node AppendFragment(pugi::xml_node parent, const std::string &fragment,
                              const std::string &prefix);

// Appends fragments joined end to end in `joined`, each ending at its offset in
// `ends`, as AppendFragment appends them one by one, and adds what it returns
// for each to `added`. One parse takes them all when each is one element.
void AppendFragments(pugi::xml_node parent, const std::string &joined,
                     const std::vector<std::size_t> &ends, const std::string &prefix,
                     std::vector<pugi::xml_node> &added);

// The element children of `parent`, in document order.
std::vector<pugi::xml_node> Elements(const pugi::xml_node &parent);

// An xsd:boolean attribute that says true ("1" or "true").
bool IsTrue(const pugi::xml_attribute &attribute);

// Element serialised exactly as held in the tree, without indentation.
std::string RawText(const pugi::xml_node &node);
// The same appended to `text`, for a caller joining many elements.
void AppendRawText(const pugi::xml_node &node, std::string &text);

// The document as save() writes it, without indentation.
std::string SavedText(const pugi::xml_document &document);

// Text written as it is after the last child of an element.
struct TextAfter {
    pugi::xml_node parent;
    const std::string *text;
};

// The document as SavedText writes it with each insertion's text after its
// parent's children, the document left as it was. False, with `text`
// unspecified, when the places could not be told from the document's own
// content. Writing the text is right only where parsing it into the tree and
// printing that would give it back unchanged.
bool SavedTextWith(pugi::xml_document &document, const std::vector<TextAfter> &insertions,
                   std::string &text);

} // namespace engine
