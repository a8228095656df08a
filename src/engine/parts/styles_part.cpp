#include "parts/styles_part.h"

#include "xml/main_namespace.h"
#include "xml/small_xml.h"
#include "xml/xml_fragment.h"
#include "xml/xml_scan.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>
#include <string_view>

namespace engine
{

namespace
{

// CT_Stylesheet child order, as StylesPart numbers its collections.
const char *const kSchemaOrder[] = {"numFmts",      "fonts",   "fills",      "borders",
                                    "cellStyleXfs", "cellXfs", "cellStyles", "dxfs",
                                    "tableStyles",  "colors",  "extLst"};

void AppendKeyPart(std::string &key, const XfValue &value)
{
    // NUL cannot occur in XML text, so the parts cannot run into each other.
    for (const std::string *part :
         {&value.xf, &value.numFmtCode, &value.font, &value.fill, &value.border})
        key.append(*part).push_back('\0');
    key.append(std::to_string(value.numFmtId)).push_back(value.customNumFmt ? 'c' : 'b');
}

int SchemaRank(std::string_view localName)
{
    for (int i = 0; i < int(std::size(kSchemaOrder)); ++i)
        if (kSchemaOrder[i] == localName)
            return i;
    return int(std::size(kSchemaOrder));
}

int ElementCount(const pugi::xml_node &parent)
{
    int count = 0;
    for (pugi::xml_node child : Elements(parent)) {
        (void)child;
        ++count;
    }
    return count;
}

struct IdAttribute {
    std::string_view name;
    int value;
};

// ` name="value"`, composed in place and appended at once.
void AppendAttribute(std::string &text, const IdAttribute &id)
{
    char attribute[48]; // the longest name is 8 bytes, an int 11
    char *at = attribute;
    *at++ = ' ';
    at = std::copy_n(id.name.data(), id.name.size(), at);
    *at++ = '=';
    *at++ = '"';
    at = std::to_chars(at, std::end(attribute), id.value).ptr;
    *at++ = '"';
    text.append(attribute, std::size_t(at - attribute));
}

// The id attributes an xf may have, in byte order of their names.
enum XfId { kBorderId, kFillId, kFontId, kNumFmtId, kXfId, kXfIdCount };
constexpr std::string_view kXfIdNames[kXfIdCount] = {"borderId", "fillId", "fontId", "numFmtId",
                                                     "xfId"};

// The ids an interned xf gets, -1 where it has none; the number format id,
// which may be any number, is always there.
struct XfIds {
    int values[kXfIdCount] = {-1, -1, -1, 0, -1};

    bool Has(int id) const { return id == kNumFmtId || values[id] >= 0; }
};

// The normalised xf text, which holds no id attributes, with `ids` added where
// sorting would put them. Editing the text spares a parse and a normalisation
// per interned xf; normalised text spells each attribute ` name="value"`, in
// byte order of names, with any quote in a value escaped. The xf's own text
// is copied in runs between the places where ids go.
std::string WithIds(const std::string &xf, const XfIds &ids)
{
    if (xf.empty() || xf[0] != '<')
        return xf;
    const std::string_view view(xf);
    std::string text;
    text.reserve(xf.size() + kXfIdCount * 24);
    std::size_t copied = 0; // the xf up to here is in text
    int next = 0;
    auto emitBefore = [&](std::size_t at, std::string_view name, bool all) {
        if (next == kXfIdCount || !(all || kXfIdNames[next] < name))
            return;
        text.append(view.substr(copied, at - copied));
        copied = at;
        for (; next < kXfIdCount && (all || kXfIdNames[next] < name); ++next)
            if (ids.Has(next))
                AppendAttribute(text, {kXfIdNames[next], ids.values[next]});
    };
    std::size_t at = std::min(view.find_first_of(" />"), view.size());
    while (at < view.size() && view[at] == ' ') {
        const std::size_t equals = view.find('=', at);
        emitBefore(at, view.substr(at + 1, equals - at - 1), false);
        at = view.find('"', equals + 2) + 1;
    }
    emitBefore(at, {}, true);
    text.append(view.substr(copied));
    return text;
}

// Without an early exit, so that the compiler makes it vector code.
unsigned char LowestByte(const std::string &text)
{
    unsigned char lowest = 0xff;
    for (char c : text)
        lowest = std::min(lowest, static_cast<unsigned char>(c));
    return lowest;
}

void SetAttribute(pugi::xml_node element, const char *name, int value)
{
    pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute)
        attribute = element.append_attribute(name);
    attribute.set_value(value);
}

} // namespace

bool XfValue::operator==(const XfValue &other) const
{
    return xf == other.xf && customNumFmt == other.customNumFmt && numFmtId == other.numFmtId &&
           numFmtCode == other.numFmtCode && font == other.font && fill == other.fill &&
           border == other.border;
}

bool StyleValue::operator==(const StyleValue &other) const
{
    return cell == other.cell && hasParent == other.hasParent && parent == other.parent &&
           cellStyleName == other.cellStyleName && cellStyle == other.cellStyle;
}

void StyleKey(const StyleValue &style, std::string &key)
{
    key.clear();
    AppendKeyPart(key, style.cell);
    key.push_back(style.hasParent ? 'p' : 'n');
    AppendKeyPart(key, style.parent);
    key.append(style.cellStyleName).push_back('\0');
    key.append(style.cellStyle);
}

bool StylesPart::Load(const std::string &xml, Error &error)
{
    ElementTree vetted; // refuses a DOCTYPE and runaway nesting before the DOM sees it
    if (!ScanDocument(xml, vetted, error))
        return false;
    const auto flags = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single;
    pugi::xml_parse_result parsed = doc_->load_buffer(xml.data(), xml.size(), flags);
    pugi::xml_node root = doc_->document_element();
    if (!parsed || LocalName(root) != "styleSheet") {
        error.Set(ErrorCode::Damaged,
                  std::string("styles part unreadable: ") + parsed.description());
        return false;
    }
    const MainNamespace main(root);
    prefix_ = main.Prefix();
    for (int i = 0; i < kCollectionCount; ++i) {
        collections_[i].element = main.FirstChild(root, kSchemaOrder[i]);
        collections_[i].nodes = Elements(collections_[i].element);
    }
    for (pugi::xml_node numFmt : collections_[kNumFmts].nodes)
        NoteNumFmt(numFmt.attribute("numFmtId").as_int(-1), numFmt.attribute("formatCode").value());
    return true;
}

void StylesPart::NoteNumFmt(int id, const std::string &code)
{
    numFmtCodes_.emplace(id, code);
    numFmtIds_.emplace(code, id);
    highestNumFmtId_ = std::max(highestNumFmtId_, id);
}

pugi::xml_node StylesPart::CollectionForWriting(Collection collection)
{
    pugi::xml_node &element = collections_[collection].element;
    if (element)
        return element;
    pugi::xml_node root = doc_->document_element();
    const std::string name = prefix_ + kSchemaOrder[collection];
    const MainNamespace main(root);
    for (pugi::xml_node child : Elements(root))
        if (SchemaRank(main.LocalNameOf(child.name())) > collection)
            return element = root.insert_child_before(name.c_str(), child);
    return element = root.append_child(name.c_str());
}

const std::vector<pugi::xml_node> &StylesPart::Nodes(Collection collection) const
{
    Records &records = collections_[collection];
    if (!records.pendingEnds.empty()) {
        AppendFragments(records.element, records.pending, records.pendingEnds, prefix_,
                        records.nodes);
        records.pending.clear();
        records.pendingEnds.clear();
    }
    return records.nodes;
}

pugi::xml_node StylesPart::Record(Collection collection, int index) const
{
    if (index < 0 || index >= collections_[collection].Count())
        return {};
    return Nodes(collection)[std::size_t(index)];
}

void StylesPart::AppendRecord(Collection collection, const std::string &fragment)
{
    Records &records = collections_[collection];
    CollectionForWriting(collection);
    records.pending.append(fragment);
    records.pendingEnds.push_back(records.pending.size());
    changed_ = true;
    parentStyles_.clear();
}

int StylesPart::CellXfCount() const
{
    return collections_[kCellXfs].Count();
}

XfValue StylesPart::ResolveXf(const pugi::xml_node &xf) const
{
    XfValue value;
    const int numFmtId = xf.attribute("numFmtId").as_int(0);
    const auto numFmt = numFmtCodes_.find(numFmtId);
    value.customNumFmt = numFmt != numFmtCodes_.end();
    value.numFmtId = value.customNumFmt ? 0 : numFmtId;
    if (value.customNumFmt)
        value.numFmtCode = numFmt->second;
    auto referenced = [&](const char *attribute, Collection collection) {
        pugi::xml_attribute id = xf.attribute(attribute);
        pugi::xml_node record = id ? Record(collection, id.as_int()) : pugi::xml_node();
        return record ? NormalisedRecord(record) : std::string();
    };
    value.font = referenced("fontId", kFonts);
    value.fill = referenced("fillId", kFills);
    value.border = referenced("borderId", kBorders);

    pugi::xml_document copy;
    pugi::xml_node bare = copy.append_copy(xf);
    for (std::string_view name : kXfIdNames)
        bare.remove_attribute(name.data()); // each a literal, so ends with a NUL
    value.xf = NormalisedFragment(bare, prefix_);
    return value;
}

const std::string &StylesPart::NormalisedRecord(const pugi::xml_node &record) const
{
    auto [slot, fresh] = normalisedRecords_.try_emplace(record.internal_object());
    if (fresh)
        slot->second = NormalisedFragment(record, prefix_);
    return slot->second;
}

const StyleValue &StylesPart::ParentStyle(int parentIndex) const
{
    auto [slot, fresh] = parentStyles_.try_emplace(parentIndex);
    StyleValue &style = slot->second;
    const pugi::xml_node parent = Record(kCellStyleXfs, parentIndex);
    if (!fresh || !parent)
        return style;
    style.hasParent = true;
    style.parent = ResolveXf(parent);
    for (pugi::xml_node cellStyle : Nodes(kCellStyles)) {
        if (cellStyle.attribute("xfId").as_int(-1) == parentIndex) {
            style.cellStyleName = cellStyle.attribute("name").value();
            style.cellStyle = NormalisedFragment(cellStyle, prefix_);
            break;
        }
    }
    return style;
}

StyleValue StylesPart::Resolve(int cellXfIndex) const
{
    pugi::xml_node xf = Record(kCellXfs, cellXfIndex);
    if (!xf)
        xf = Record(kCellXfs, 0);
    const pugi::xml_attribute parentId = xf.attribute("xfId");
    StyleValue style = parentId ? ParentStyle(parentId.as_int()) : StyleValue();
    style.cell = ResolveXf(xf);
    return style;
}

int StylesPart::InternNumFmt(const XfValue &value)
{
    if (!value.customNumFmt)
        return value.numFmtId;
    const auto found = numFmtIds_.find(value.numFmtCode);
    if (found != numFmtIds_.end())
        return found->second;
    const int id = highestNumFmtId_ + 1;
    Nodes(kNumFmts); // the new record goes after any pending ones
    pugi::xml_node numFmt =
        CollectionForWriting(kNumFmts).append_child((prefix_ + "numFmt").c_str());
    numFmt.append_attribute("numFmtId").set_value(id);
    numFmt.append_attribute("formatCode").set_value(value.numFmtCode.c_str());
    collections_[kNumFmts].nodes.push_back(numFmt);
    NoteNumFmt(id, value.numFmtCode);
    changed_ = true;
    parentStyles_.clear();
    return id;
}

std::unordered_map<std::string, int> &StylesPart::Known(Collection collection)
{
    Records &records = collections_[collection];
    if (!records.knownFilled) {
        const std::vector<pugi::xml_node> &nodes = Nodes(collection);
        for (std::size_t i = 0; i < nodes.size(); ++i)
            records.known.emplace(NormalisedFragment(nodes[i], prefix_), int(i));
    }
    records.knownFilled = true;
    return records.known;
}

// Fonts, fills and borders are shared by many formats, so mostly found.
int StylesPart::InternRecord(Collection collection, const std::string &fragment)
{
    const std::unordered_map<std::string, int> &known = Known(collection);
    const auto found = known.find(fragment);
    return found != known.end() ? found->second : InternRecord(collection, std::string(fragment));
}

// A made xf is mostly new, and is kept without a copy.
int StylesPart::InternRecord(Collection collection, std::string &&fragment)
{
    const int next = collections_[collection].Count();
    const auto [slot, fresh] = Known(collection).try_emplace(std::move(fragment), next);
    if (fresh)
        AppendRecord(collection, slot->first);
    return slot->second;
}

int StylesPart::InternXf(Collection collection, const XfValue &value, int parentIndex)
{
    XfIds ids;
    ids.values[kNumFmtId] = InternNumFmt(value);
    if (!value.font.empty())
        ids.values[kFontId] = InternRecord(kFonts, value.font);
    if (!value.fill.empty())
        ids.values[kFillId] = InternRecord(kFills, value.fill);
    if (!value.border.empty())
        ids.values[kBorderId] = InternRecord(kBorders, value.border);
    ids.values[kXfId] = parentIndex;
    return InternRecord(collection, WithIds(value.xf, ids));
}

pugi::xml_node StylesPart::CellStyleNamed(const std::string &name)
{
    const std::vector<pugi::xml_node> &cellStyles = Nodes(kCellStyles);
    for (; cellStylesNamed_ < cellStyles.size(); ++cellStylesNamed_) {
        const pugi::xml_node cellStyle = cellStyles[cellStylesNamed_];
        cellStylesByName_.emplace(cellStyle.attribute("name").value(), cellStyle);
    }
    const auto found = cellStylesByName_.find(name);
    return found != cellStylesByName_.end() ? found->second : pugi::xml_node();
}

int StylesPart::InternParent(const StyleValue &style)
{
    if (!style.hasParent)
        return -1;
    if (!style.cellStyleName.empty())
        if (const pugi::xml_node named = CellStyleNamed(style.cellStyleName))
            return named.attribute("xfId").as_int(0);
    const int index = InternXf(kCellStyleXfs, style.parent, -1);
    if (!style.cellStyle.empty()) {
        AppendRecord(kCellStyles, style.cellStyle);
        SetAttribute(Record(kCellStyles, collections_[kCellStyles].Count() - 1), "xfId", index);
    }
    return index;
}

int StylesPart::Intern(const StyleValue &style)
{
    // Interning a value again finds what interning it first added, so only
    // values that would add their parent's cell style again are remembered.
    const bool addsCellStyle =
        style.hasParent && style.cellStyleName.empty() && !style.cellStyle.empty();
    return addsCellStyle ? InternRemembered(style)
                         : InternXf(kCellXfs, style.cell, InternParent(style));
}

int StylesPart::InternRemembered(const StyleValue &style)
{
    StyleKey(style, key_);
    const auto [slot, fresh] = interned_.try_emplace(key_, 0);
    if (fresh)
        slot->second = InternXf(kCellXfs, style.cell, InternParent(style));
    return slot->second;
}

std::string StylesPart::ResolveDxf(int dxfIndex) const
{
    pugi::xml_node dxf = Record(kDxfs, dxfIndex);
    return dxf ? NormalisedFragment(dxf, prefix_) : std::string();
}

int StylesPart::InternDxf(const std::string &dxf)
{
    return InternRecord(kDxfs, dxf);
}

void StylesPart::RecountAll()
{
    for (int counted = kNumFmts; counted <= kDxfs; ++counted) {
        const Records &records = collections_[counted];
        if (records.element)
            SetAttribute(records.element, "count",
                         ElementCount(records.element) + int(records.pendingEnds.size()));
    }
}

// Pending records were printed from a tree, and parsing such text and printing
// it again gives it back unchanged, unless the parse turns a byte below a space
// into another or the records need this table's prefix.
bool StylesPart::PendingWritableAsText() const
{
    if (!prefix_.empty())
        return false;
    return std::none_of(collections_.begin(), collections_.end(),
                        [](const Records &records) { return LowestByte(records.pending) < 0x20; });
}

void StylesPart::TakeAllPending()
{
    for (int collection = 0; collection < kCollectionCount; ++collection)
        Nodes(Collection(collection));
}

std::string StylesPart::Serialise()
{
    if (!PendingWritableAsText())
        TakeAllPending();
    RecountAll();
    // Written as text, the records spare a parse and a print each.
    std::vector<TextAfter> insertions;
    for (const Records &records : collections_)
        if (!records.pendingEnds.empty())
            insertions.push_back({records.element, &records.pending});
    std::string text;
    if (SavedTextWith(*doc_, insertions, text))
        return text;
    TakeAllPending();
    RecountAll();
    return SavedText(*doc_);
}

} // namespace engine
