#include "xml/xml_scan.h"

#include "base/engine_limits.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

namespace engine
{

std::string_view ElementSpan::LocalName() const
{
    const size_t colon = qualifiedName.find(':');
    return colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
}

std::string_view ElementSpan::Prefix() const
{
    const size_t colon = qualifiedName.find(':');
    return colon == std::string_view::npos ? std::string_view() : qualifiedName.substr(0, colon);
}

namespace
{

constexpr size_t npos = std::string_view::npos;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A set of bytes, for the tag reader's loops.
class ByteSet
{
  public:
    constexpr explicit ByteSet(std::string_view bytes)
    {
        for (char c : bytes)
            members_[static_cast<unsigned char>(c)] = true;
    }
    bool Has(char c) const { return members_[static_cast<unsigned char>(c)]; }

  private:
    bool members_[256] = {};
};

// What ends a tag's name.
constexpr ByteSet kNameEnd(" \t\r\n>/");
// What matters in a tag after its name: a quote opens a value, '>' ends it.
constexpr ByteSet kTagMark("\"'>");

bool IsCutShort(std::string_view text, std::string_view opening);

struct Tag {
    const char *begin = nullptr;
    const char *end = nullptr; // one past '>'
    std::string_view name;
    bool closing = false;
    bool selfClosing = false;
};

// The names of the elements open around the scan's position. Plain storage,
// so a scan of a single row's cells does not pay for clearing the stack.
class OpenElements
{
  public:
    size_t Depth() const { return depth_; }
    bool Push(std::string_view name)
    {
        names_[depth_++] = Name{name.data(), name.size()};
        return depth_ < kCapacity;
    }
    // Pops the innermost element if it has this name.
    bool Pop(std::string_view name)
    {
        const Name &open = names_[depth_ - 1];
        if (open.size != name.size())
            return false;
        // names are short: comparing bytes here beats a call to memcmp
        for (size_t i = 0; i < open.size; ++i)
            if (open.data[i] != name[i])
                return false;
        --depth_;
        return true;
    }

  private:
    static constexpr size_t kCapacity = limits::kMaxXmlDepth;
    struct Name {
        const char *data;
        size_t size;
    };
    Name names_[kCapacity];
    size_t depth_ = 0;
};

class Scanner
{
  public:
    Scanner(std::string_view xml, Error &error, std::string_view skimmed = {})
        : text_(xml.data()), end_(xml.data() + xml.size()),
          checkedEnd_(xml.data() + (xml.rfind('>') + 1)), skimmed_(skimmed), error_(error)
    {
    }

    bool RanOut() const { return ranOut_; }

    // Reads the document: its element (past a byte order mark and the
    // prolog), then that element's content.
    bool ScanDocument(ElementTree &tree, std::vector<ElementTree> *childTrees)
    {
        const bool bom =
            std::string_view(text_, size_t(end_ - text_)).substr(0, 3) == "\xEF\xBB\xBF";
        return ScanElement(text_ + (bom ? 3 : 0), true, tree, childTrees);
    }

    // Reads the content of tree.root through its end tag, collecting its
    // children; with childTrees, each child's own children too. With
    // readRoot, the root's start tag is the first tag at or after `at`;
    // otherwise it has been read and `at` is where it ends. The root is read
    // in this loop so that NextTag has one caller and gets inlined, which
    // saves a fifth of the scan.
    bool ScanElement(const char *at, bool readRoot, ElementTree &tree,
                     std::vector<ElementTree> *childTrees)
    {
        OpenElements open;
        ElementSpan current;
        Tag tag;
        while (NextTag(at, tag)) {
            at = tag.end;
            if (readRoot) {
                if (tag.closing)
                    return Fail("document starts with an end tag");
                tree.root = Span(tag);
                tree.contentEnd = tree.root.end;
                if (tag.selfClosing)
                    return true;
                readRoot = false;
                continue;
            }
            const size_t depth = open.Depth();
            if (tag.closing && depth == 0) {
                tree.contentEnd = Offset(tag.begin);
                tree.root.end = Offset(tag.end);
                return tag.name == tree.root.qualifiedName || Fail("mismatched end tag");
            }
            if (tag.closing) {
                if (!open.Pop(tag.name))
                    return Fail("mismatched end tag");
                if (depth <= 2)
                    Close(depth - 1, tag, current, tree.children, childTrees);
                continue;
            }
            if (depth <= 1)
                Open(depth, tag, current, childTrees);
            if (tag.selfClosing) {
                if (depth <= 1)
                    Close(depth, tag, current, tree.children, childTrees);
                continue;
            }
            if (depth == 0 && IsSkimmed(tag.name)) {
                Tag endTag;
                if (!SkimContent(tag.end, tag.name, endTag))
                    return false;
                at = endTag.end;
                Close(0, endTag, current, tree.children, childTrees);
                continue;
            }
            if (!open.Push(tag.name))
                return Limit("XML nested too deeply");
        }
        return false;
    }

  private:
    bool Fail(const char *what)
    {
        error_.Set(ErrorCode::Damaged, std::string("damaged XML: ") + what);
        return false;
    }
    // The text ended inside markup: for text read piece by piece, the next
    // piece may complete it.
    bool CutShort(const char *what)
    {
        ranOut_ = true;
        return Fail(what);
    }
    bool Limit(const char *what)
    {
        error_.Set(ErrorCode::LimitExceeded, what);
        return false;
    }

    size_t Offset(const char *at) const { return size_t(at - text_); }
    ElementSpan Span(const Tag &tag) const
    {
        return ElementSpan{Offset(tag.begin), Offset(tag.end), Offset(tag.end), tag.name,
                           tag.selfClosing};
    }

    // A start tag at depth 0 (a child) or 1 (a child's child): `current`
    // holds the element of that depth being read.
    void Open(size_t depth, const Tag &tag, ElementSpan &current,
              std::vector<ElementTree> *childTrees) const
    {
        const ElementSpan span = Span(tag);
        if (depth == 0)
            current = span;
        if (depth == 0 && childTrees)
            childTrees->push_back(ElementTree{span, span.end, {}});
        if (depth == 1 && childTrees)
            childTrees->back().children.push_back(span);
    }

    // The end of an element of depth 0 or 1, at its end tag or as a
    // self-closing tag.
    void Close(size_t depth, const Tag &tag, ElementSpan &current,
               std::vector<ElementSpan> &children, std::vector<ElementTree> *childTrees) const
    {
        if (depth == 0) {
            current.end = Offset(tag.end);
            children.push_back(current);
        }
        if (!childTrees)
            return;
        ElementTree &child = childTrees->back();
        if (depth == 1) {
            child.children.back().end = Offset(tag.end);
        } else if (!tag.selfClosing) {
            child.root.end = Offset(tag.end);
            child.contentEnd = Offset(tag.begin);
        }
    }

    // Moves past a comment, processing instruction or CDATA section at `at`.
    // Anything else starting with "<!" is a DOCTYPE or worse: refused.
    bool SkipNonElement(const char *&at)
    {
        const std::string_view rest(at, size_t(end_ - at));
        if (IsCutShort(rest, "<!--") || IsCutShort(rest, "<![CDATA["))
            return CutShort("unterminated markup");
        std::string_view terminator;
        if (rest.substr(0, 4) == "<!--")
            terminator = "-->";
        else if (rest.substr(0, 2) == "<?")
            terminator = "?>";
        else if (rest.substr(0, 9) == "<![CDATA[")
            terminator = "]]>";
        else {
            error_.Set(ErrorCode::Unsupported,
                       "XML with a DOCTYPE or entity declaration is refused");
            return false;
        }
        const size_t found = rest.find(terminator, 2);
        if (found == npos)
            return CutShort("unterminated markup");
        at += found + terminator.size();
        return true;
    }

    bool IsSkimmed(std::string_view name) const
    {
        if (skimmed_.empty() || name.size() < skimmed_.size())
            return false;
        const size_t prefix = name.size() - skimmed_.size();
        return name.substr(prefix) == skimmed_ && (prefix == 0 || name[prefix - 1] == ':');
    }

    // The first "<!" or "<?" in [from, to), or `to`. Both are rare in
    // element content, so searching for the second byte costs little.
    const char *FirstNonElement(const char *from, const char *to) const
    {
        const char *first = to;
        for (const char mark : {'!', '?'}) {
            const char *at = from;
            while (const void *found = std::memchr(at, mark, size_t(first - at))) {
                at = static_cast<const char *>(found);
                if (at > text_ && at[-1] == '<') {
                    first = at - 1;
                    break;
                }
                ++at;
            }
        }
        return first;
    }

    // Passes over an element's content, from `at` where its start tag ends,
    // to its end tag: the first "</name>" outside comments, CDATA sections
    // and processing instructions.
    bool SkimContent(const char *at, std::string_view name, Tag &endTag)
    {
        const std::string closing = "</" + std::string(name);
        const std::boyer_moore_horspool_searcher search(closing.begin(), closing.end());
        while (true) {
            const char *found = std::search(at, end_, search);
            const char *markup = FirstNonElement(at, found);
            if (markup != found) {
                at = markup;
                if (!SkipNonElement(at))
                    return false;
                continue;
            }
            if (found == end_)
                return CutShort("unexpected end of document");
            const char *after = found + closing.size();
            if (after == end_)
                return CutShort("unterminated tag");
            // Read as any end tag is, so the two scans end it alike.
            if (kNameEnd.Has(*after))
                return ReadTag(found, endTag);
            at = found + 2; // an element whose name only starts alike
        }
    }

    // Reads the next start or end tag at or after `at`.
    bool NextTag(const char *at, Tag &tag)
    {
        while (true) {
            at = FindTagStart(at);
            if (end_ - at < 2)
                return CutShort("unexpected end of document");
            if (at[1] != '!' && at[1] != '?')
                return ReadTag(at, tag);
            if (!SkipNonElement(at))
                return false;
        }
    }

    // Markup mostly follows markup straight away, so the first byte is
    // tried before searching; `end_` when there is no '<'.
    const char *FindTagStart(const char *at) const
    {
        if (at != end_ && *at == '<')
            return at;
        const void *found = std::memchr(at, '<', size_t(end_ - at));
        return found ? static_cast<const char *>(found) : end_;
    }

    bool ReadTag(const char *at, Tag &tag)
    {
        tag.begin = at;
        tag.closing = at[1] == '/';
        const char *const name = at + (tag.closing ? 2 : 1);
        at = Skip(name, kNameEnd);
        if (at == end_)
            return CutShort("unterminated tag");
        if (at == name)
            return Fail("tag without a name");
        tag.name = std::string_view(name, size_t(at - name));
        for (int values = 0;; ++values) {
            at = Skip(at, kTagMark);
            if (at == end_)
                return CutShort("unterminated tag");
            if (*at == '>') {
                tag.end = at + 1;
                tag.selfClosing = !tag.closing && at[-1] == '/';
                return true;
            }
            if (values == limits::kMaxXmlAttributes)
                return Limit("too many attributes on one XML element");
            const char quote = *at++;
            while (at != end_ && *at != quote)
                ++at;
            if (at == end_)
                return CutShort("unterminated tag");
            ++at;
        }
    }

    // The first byte at or after `at` in `set`, which holds '>', or `end_`.
    // Before the text's last '>' the search needs no check for the end.
    const char *Skip(const char *at, const ByteSet &set) const
    {
        if (at < checkedEnd_) {
            while (!set.Has(*at))
                ++at;
            return at;
        }
        while (at != end_ && !set.Has(*at))
            ++at;
        return at;
    }

    const char *text_;
    const char *end_;
    const char *checkedEnd_;   // one past the last '>'; text_ without one (npos + 1 is 0)
    std::string_view skimmed_; // local name of the children whose content is passed over
    Error &error_;
    bool ranOut_ = false;
};

// A text shorter than `opening` that could still become it.
bool IsCutShort(std::string_view text, std::string_view opening)
{
    return text.size() < opening.size() && opening.substr(0, text.size()) == text;
}

// A scan that ran out of text is not an error for a piece of a longer text.
bool ScannedOrCut(bool scanned, const Scanner &scanner, const Error &scanError, bool &complete,
                  Error &error)
{
    complete = scanned;
    if (scanned || scanner.RanOut())
        return true;
    error = scanError;
    return false;
}

bool ScanTree(std::string_view xml, ElementTree &tree, std::vector<ElementTree> *childTrees,
              Error &error)
{
    tree.children.clear();
    return Scanner(xml, error).ScanDocument(tree, childTrees);
}

} // namespace

bool ScanDocument(std::string_view xml, ElementTree &tree, Error &error)
{
    return ScanTree(xml, tree, nullptr, error);
}

bool ScanDocument(std::string_view xml, ElementTree &tree, std::vector<ElementTree> &childTrees,
                  Error &error)
{
    childTrees.clear();
    return ScanTree(xml, tree, &childTrees, error);
}

bool ScanDocumentSkimming(std::string_view xml, std::string_view skimmed, ElementTree &tree,
                          Error &error)
{
    tree.children.clear();
    return Scanner(xml, error, skimmed).ScanDocument(tree, nullptr);
}

bool ScanDocumentStart(std::string_view xml, ElementTree &tree,
                       std::vector<ElementTree> &childTrees, bool &complete, Error &error)
{
    tree.children.clear();
    childTrees.clear();
    Error scanError;
    Scanner scanner(xml, scanError);
    const bool scanned = scanner.ScanDocument(tree, &childTrees);
    return ScannedOrCut(scanned, scanner, scanError, complete, error);
}

bool ScanWholeChildren(std::string_view xml, std::string_view parentName,
                       std::vector<ElementTree> &children, size_t &contentEnd, bool &closed,
                       Error &error)
{
    ElementTree tree;
    tree.root.qualifiedName = parentName;
    tree.contentEnd = 0;
    children.clear();
    Error scanError;
    Scanner scanner(xml, scanError);
    const bool scanned = scanner.ScanElement(xml.data(), false, tree, &children);
    children.resize(tree.children.size()); // not the one cut off
    contentEnd = tree.contentEnd;
    return ScannedOrCut(scanned, scanner, scanError, closed, error);
}

bool ScanChildren(std::string_view xml, const ElementSpan &parent,
                  std::vector<ElementSpan> &children, Error &error)
{
    children.clear();
    if (parent.selfClosing)
        return true;
    ElementTree tree{parent, parent.end, std::move(children)};
    const bool read = Scanner(xml.substr(0, parent.end), error)
                          .ScanElement(xml.data() + parent.startTagEnd, false, tree, nullptr);
    children = std::move(tree.children);
    return read;
}

namespace
{

// Calls visit(name, value) for each attribute of the element's start tag, in
// order, until it returns true; the value as offsets into `xml`.
template <typename Visit>
void VisitAttributes(std::string_view xml, const ElementSpan &element, const Visit &visit)
{
    const std::string_view tag = xml.substr(0, element.startTagEnd);
    size_t pos = element.begin + 1 + element.qualifiedName.size();
    while (pos < tag.size()) {
        while (pos < tag.size() && IsSpace(tag[pos]))
            ++pos;
        const size_t nameBegin = pos;
        while (pos < tag.size() && tag[pos] != '=' && !IsSpace(tag[pos]) && tag[pos] != '>')
            ++pos;
        const std::string_view attributeName = tag.substr(nameBegin, pos - nameBegin);
        while (pos < tag.size() && (IsSpace(tag[pos]) || tag[pos] == '='))
            ++pos;
        if (pos >= tag.size() || (tag[pos] != '"' && tag[pos] != '\''))
            return;
        const size_t valueEnd = tag.find(tag[pos], pos + 1);
        if (valueEnd == npos)
            return;
        if (visit(attributeName, AttributeValue{true, pos + 1, valueEnd}))
            return;
        pos = valueEnd + 1;
    }
}

} // namespace

AttributeValue FindAttribute(std::string_view xml, const ElementSpan &element,
                             std::string_view name)
{
    AttributeValue found;
    VisitAttributes(xml, element, [&](std::string_view attributeName, AttributeValue value) {
        if (attributeName == name)
            found = value;
        return found.found;
    });
    return found;
}

std::vector<RawAttribute> Attributes(std::string_view xml, const ElementSpan &element)
{
    std::vector<RawAttribute> attributes;
    VisitAttributes(xml, element, [&](std::string_view name, AttributeValue value) {
        attributes.push_back({name, xml.substr(value.begin, value.end - value.begin)});
        return false;
    });
    return attributes;
}

} // namespace engine
