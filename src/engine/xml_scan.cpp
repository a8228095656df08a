#include "xml_scan.h"

#include "engine_limits.h"

#include <cstring>

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

struct Tag {
    size_t begin = 0;
    size_t end = 0; // one past '>'
    std::string_view name;
    bool closing = false;
    bool selfClosing = false;
};

class Scanner
{
  public:
    Scanner(std::string_view xml, Error &error) : xml_(xml), error_(error) {}

    // Reads the content of tree.root, whose start tag has been read, through
    // its end tag, collecting its children; with childTrees, each child's own
    // children too.
    bool ScanContent(ElementTree &tree, std::vector<ElementTree> *childTrees)
    {
        std::vector<ElementSpan> &children = tree.children;
        std::vector<std::string_view> open;
        ElementSpan current;
        Tag tag;
        size_t pos = tree.root.startTagEnd;
        while (NextTag(pos, tag)) {
            pos = tag.end;
            if (tag.closing && open.empty()) {
                tree.contentEnd = tag.begin;
                tree.root.end = tag.end;
                return tag.name == tree.root.qualifiedName || Fail("mismatched end tag");
            }
            if (tag.closing) {
                if (tag.name != open.back())
                    return Fail("mismatched end tag");
                open.pop_back();
                if (open.size() <= 1)
                    Close(open.size(), tag, current, children, childTrees);
                continue;
            }
            if (open.size() <= 1)
                Open(open.size(), tag, current, childTrees);
            if (tag.selfClosing) {
                if (open.size() <= 1)
                    Close(open.size(), tag, current, children, childTrees);
                continue;
            }
            open.push_back(tag.name);
            if (open.size() >= static_cast<size_t>(limits::kMaxXmlDepth))
                return Limit("XML nested too deeply");
        }
        return false;
    }

    // Finds the document element after the prolog.
    bool FindRoot(size_t &pos, Tag &root)
    {
        if (xml_.substr(0, 3) == "\xEF\xBB\xBF")
            pos = 3;
        if (!NextTag(pos, root))
            return false;
        return !root.closing || Fail("document starts with an end tag");
    }

  private:
    bool Fail(const char *what)
    {
        error_.Set(ErrorCode::Damaged, std::string("damaged XML: ") + what);
        return false;
    }
    bool Limit(const char *what)
    {
        error_.Set(ErrorCode::LimitExceeded, what);
        return false;
    }

    // A start tag at depth 0 (a child) or 1 (a child's child): `current`
    // holds the element of that depth being read.
    static void Open(size_t depth, const Tag &tag, ElementSpan &current,
                     std::vector<ElementTree> *childTrees)
    {
        const ElementSpan span{tag.begin, tag.end, tag.end, tag.name, tag.selfClosing};
        if (depth == 0)
            current = span;
        if (depth == 0 && childTrees)
            childTrees->push_back(ElementTree{span, tag.end, {}});
        if (depth == 1 && childTrees)
            childTrees->back().children.push_back(span);
    }

    // The end of an element of depth 0 or 1, at its end tag or as a
    // self-closing tag.
    static void Close(size_t depth, const Tag &tag, ElementSpan &current,
                      std::vector<ElementSpan> &children, std::vector<ElementTree> *childTrees)
    {
        if (depth == 0) {
            current.end = tag.end;
            children.push_back(current);
        }
        if (!childTrees)
            return;
        ElementTree &child = childTrees->back();
        if (depth == 1) {
            child.children.back().end = tag.end;
        } else if (!tag.selfClosing) {
            child.root.end = tag.end;
            child.contentEnd = tag.begin;
        }
    }

    // Moves past a comment, processing instruction or CDATA section at pos.
    // Anything else starting with "<!" is a DOCTYPE or worse: refused.
    bool SkipNonElement(size_t &pos)
    {
        const std::string_view rest = xml_.substr(pos);
        const char *terminator = nullptr;
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
        const size_t found = xml_.find(terminator, pos + 2);
        if (found == npos)
            return Fail("unterminated markup");
        pos = found + std::strlen(terminator);
        return true;
    }

    // Reads the next start or end tag at or after pos.
    bool NextTag(size_t pos, Tag &tag)
    {
        while (true) {
            const void *lt = std::memchr(xml_.data() + pos, '<', xml_.size() - pos);
            if (!lt)
                return Fail("unexpected end of document");
            pos = static_cast<size_t>(static_cast<const char *>(lt) - xml_.data());
            if (pos + 1 >= xml_.size())
                return Fail("unexpected end of document");
            const char next = xml_[pos + 1];
            if (next != '!' && next != '?')
                return ReadTag(pos, tag);
            if (!SkipNonElement(pos))
                return false;
        }
    }

    bool ReadTag(size_t pos, Tag &tag)
    {
        tag.begin = pos;
        tag.closing = xml_[pos + 1] == '/';
        size_t nameBegin = pos + (tag.closing ? 2 : 1);
        size_t nameEnd = nameBegin;
        while (nameEnd < xml_.size() && !IsSpace(xml_[nameEnd]) && xml_[nameEnd] != '>' &&
               xml_[nameEnd] != '/')
            ++nameEnd;
        if (nameEnd == nameBegin)
            return Fail("tag without a name");
        tag.name = xml_.substr(nameBegin, nameEnd - nameBegin);
        char quote = 0;
        int values = 0;
        for (size_t i = nameEnd; i < xml_.size(); ++i) {
            const char c = xml_[i];
            if (quote) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
                if (++values > limits::kMaxXmlAttributes)
                    return Limit("too many attributes on one XML element");
            } else if (c == '>') {
                tag.end = i + 1;
                tag.selfClosing = !tag.closing && xml_[i - 1] == '/';
                return true;
            }
        }
        return Fail("unterminated tag");
    }

    std::string_view xml_;
    Error &error_;
};

bool ScanTree(std::string_view xml, ElementTree &tree, std::vector<ElementTree> *childTrees,
              Error &error)
{
    Scanner scanner(xml, error);
    size_t pos = 0;
    Tag root;
    if (!scanner.FindRoot(pos, root))
        return false;
    tree.root = ElementSpan{root.begin, root.end, root.end, root.name, root.selfClosing};
    tree.contentEnd = root.end;
    tree.children.clear();
    return root.selfClosing || scanner.ScanContent(tree, childTrees);
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

bool ScanChildren(std::string_view xml, const ElementSpan &parent,
                  std::vector<ElementSpan> &children, Error &error)
{
    children.clear();
    if (parent.selfClosing)
        return true;
    Scanner scanner(xml.substr(0, parent.end), error);
    ElementTree tree{parent, parent.end, std::move(children)};
    const bool read = scanner.ScanContent(tree, nullptr);
    children = std::move(tree.children);
    return read;
}

AttributeValue FindAttribute(std::string_view xml, const ElementSpan &element,
                             std::string_view name)
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
            break;
        const size_t valueEnd = tag.find(tag[pos], pos + 1);
        if (valueEnd == npos)
            break;
        if (attributeName == name)
            return AttributeValue{true, pos + 1, valueEnd};
        pos = valueEnd + 1;
    }
    return AttributeValue{};
}

} // namespace engine
