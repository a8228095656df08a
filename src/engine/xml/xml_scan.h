#pragma once
// A light byte scanner over XML text. It finds element boundaries without
// building a tree, so big parts (a worksheet's sheetData) cost one pass and
// every byte outside an edited element can be written back unchanged.

#include "engine/error.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace engine
{

// One child element: [begin, end) covers its start tag through its end tag;
// the start tag ends at startTagEnd (one past '>').
struct ElementSpan {
    size_t begin = 0;
    size_t startTagEnd = 0;
    size_t end = 0;
    std::string_view qualifiedName;
    bool selfClosing = false;

    std::string_view LocalName() const;
    std::string_view Prefix() const;
};

// The document element and its direct children.
struct ElementTree {
    ElementSpan root;
    size_t contentEnd = 0; // where the root's end tag starts
    std::vector<ElementSpan> children;
};

// Scans a whole document. Refuses a DOCTYPE (no entity can be declared),
// nesting deeper than limits::kMaxXmlDepth, and mismatched tags.
bool ScanDocument(std::string_view xml, ElementTree &tree, Error &error);
// The same, also giving each child of the document element as the root of
// its own tree, childTrees[i] for tree.children[i]; offsets still count from
// the start of xml. Costs no second pass over the children's content.
bool ScanDocument(std::string_view xml, ElementTree &tree, std::vector<ElementTree> &childTrees,
                  Error &error);

// The same, but the content of each child whose local name is `skimmed` is
// passed over to its end tag without reading its elements, and so left for
// whoever reads it to check. Comments, CDATA sections and processing
// instructions in it are still honoured, a DOCTYPE still refused.
bool ScanDocumentSkimming(std::string_view xml, std::string_view skimmed, ElementTree &tree,
                          Error &error);

// For text read piece by piece. Scans as ScanDocument does, but a text that
// ends inside the document is no error: `complete` says whether it ended
// after the document element. The child being read when the text ran out
// is the last of childTrees; of its children, those not cut off are whole
// (an element still open has end == startTagEnd and is not self-closing).
bool ScanDocumentStart(std::string_view xml, ElementTree &tree,
                       std::vector<ElementTree> &childTrees, bool &complete, Error &error);
// The elements at the start of `xml`, which lies inside an element named
// `parentName`, each with its own children, up to the parent's end tag
// (`closed`, which then starts at contentEnd) or to the first element the
// text cuts off.
bool ScanWholeChildren(std::string_view xml, std::string_view parentName,
                       std::vector<ElementTree> &children, size_t &contentEnd, bool &closed,
                       Error &error);

// The direct children of an element found by an earlier scan.
bool ScanChildren(std::string_view xml, const ElementSpan &parent,
                  std::vector<ElementSpan> &children, Error &error);

// The raw value of an unprefixed attribute in a start tag; found is false
// when the tag has no such attribute. Entities are not decoded.
struct AttributeValue {
    bool found = false;
    size_t begin = 0; // offsets into the scanned text
    size_t end = 0;
};
AttributeValue FindAttribute(std::string_view xml, const ElementSpan &element,
                             std::string_view name);

// Every attribute of a start tag, in order, values raw.
struct RawAttribute {
    std::string_view name;
    std::string_view value;
};
std::vector<RawAttribute> Attributes(std::string_view xml, const ElementSpan &element);

} // namespace engine
