#include "styles_part.h"

#include "small_xml.h"
#include "xml_fragment.h"
#include "xml_scan.h"

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

int SchemaRank(std::string_view localName)
{
    for (int i = 0; i < int(std::size(kSchemaOrder)); ++i)
        if (kSchemaOrder[i] == localName)
            return i;
    return int(std::size(kSchemaOrder));
}

const char *const kXfIdAttributes[] = {"numFmtId", "fontId", "fillId", "borderId", "xfId"};

int ElementCount(const pugi::xml_node &parent)
{
    int count = 0;
    for (pugi::xml_node child : Elements(parent)) {
        (void)child;
        ++count;
    }
    return count;
}

void AppendKeyPart(std::string &key, const XfValue &value)
{
    // NUL cannot occur in XML text, so the parts cannot run into each other.
    for (const std::string *part :
         {&value.xf, &value.numFmtCode, &value.font, &value.fill, &value.border})
        key.append(*part).push_back('\0');
    key.append(std::to_string(value.numFmtId)).push_back(value.customNumFmt ? 'c' : 'b');
}

// One text that differs exactly when two style values differ, in `key`.
void KeyOf(const StyleValue &style, std::string &key)
{
    key.clear();
    AppendKeyPart(key, style.cell);
    key.push_back(style.hasParent ? 'p' : 'n');
    AppendKeyPart(key, style.parent);
    key.append(style.cellStyleName).push_back('\0');
    key.append(style.cellStyle);
}

struct IdAttribute {
    const char *name;
    int value;
};

// ` name="value"`, composed in place and appended at once.
void AppendAttribute(std::string &text, const IdAttribute &id)
{
    char attribute[48]; // the longest name is 8 bytes, an int 11
    char *at = attribute;
    *at++ = ' ';
    at = std::copy_n(id.name, std::strlen(id.name), at);
    *at++ = '=';
    *at++ = '"';
    at = std::to_chars(at, std::end(attribute), id.value).ptr;
    *at++ = '"';
    text.append(attribute, at);
}

// The normalised xf text, which holds no id attributes, with `ids` added where
// sorting would put them. Editing the text spares a parse and a normalisation
// per interned xf; normalised text spells each attribute ` name="value"`, in
// byte order of names, with any quote in a value escaped.
std::string WithIds(const std::string &xf, std::vector<IdAttribute> ids)
{
    if (xf.empty() || xf[0] != '<')
        return xf;
    std::sort(ids.begin(), ids.end(), [](const IdAttribute &a, const IdAttribute &b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    std::size_t at = xf.find_first_of(" />");
    std::string text;
    text.reserve(xf.size() + ids.size() * 24);
    text.append(xf, 0, at);
    auto next = ids.begin();
    auto emitBefore = [&](std::string_view name, bool all) {
        for (; next != ids.end() && (all || std::string_view(next->name) < name); ++next)
            AppendAttribute(text, *next);
    };
    while (at < xf.size() && xf[at] == ' ') {
        const std::size_t equals = xf.find('=', at);
        const std::size_t end = xf.find('"', equals + 2) + 1;
        const std::string_view name(xf.data() + at + 1, equals - at - 1);
        emitBefore(name, false);
        text.append(xf, at, end - at);
        at = end;
    }
    emitBefore({}, true);
    text.append(xf, at, std::string::npos);
    return text;
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
    prefix_ = PrefixOf(root.name());
    for (int i = 0; i < kCollectionCount; ++i) {
        collections_[i].element = FirstChildNamed(root, kSchemaOrder[i]);
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
    for (pugi::xml_node child : Elements(root))
        if (SchemaRank(LocalName(child)) > collection)
            return element = root.insert_child_before(name.c_str(), child);
    return element = root.append_child(name.c_str());
}

pugi::xml_node StylesPart::Record(Collection collection, int index) const
{
    const std::vector<pugi::xml_node> &records = collections_[collection].nodes;
    return index >= 0 && index < int(records.size()) ? records[std::size_t(index)]
                                                     : pugi::xml_node();
}

pugi::xml_node StylesPart::AppendRecord(Collection collection, const std::string &fragment)
{
    pugi::xml_node added = AppendFragment(CollectionForWriting(collection), fragment, prefix_);
    collections_[collection].nodes.push_back(added);
    changed_ = true;
    parentStyles_.clear();
    return added;
}

int StylesPart::CellXfCount() const
{
    return int(collections_[kCellXfs].nodes.size());
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
    for (const char *name : kXfIdAttributes)
        bare.remove_attribute(name);
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
    for (pugi::xml_node cellStyle : collections_[kCellStyles].nodes) {
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

int StylesPart::InternRecord(Collection collection, const std::string &fragment)
{
    Records &records = collections_[collection];
    if (!records.knownFilled)
        for (std::size_t i = 0; i < records.nodes.size(); ++i)
            records.known.emplace(NormalisedFragment(records.nodes[i], prefix_), int(i));
    records.knownFilled = true;
    auto found = records.known.find(fragment);
    if (found != records.known.end())
        return found->second;
    const int index = int(records.nodes.size());
    AppendRecord(collection, fragment);
    records.known.emplace(fragment, index);
    return index;
}

int StylesPart::InternXf(Collection collection, const XfValue &value, int parentIndex)
{
    std::vector<IdAttribute> ids = {{"numFmtId", InternNumFmt(value)}};
    if (!value.font.empty())
        ids.push_back({"fontId", InternRecord(kFonts, value.font)});
    if (!value.fill.empty())
        ids.push_back({"fillId", InternRecord(kFills, value.fill)});
    if (!value.border.empty())
        ids.push_back({"borderId", InternRecord(kBorders, value.border)});
    if (parentIndex >= 0)
        ids.push_back({"xfId", parentIndex});
    return InternRecord(collection, WithIds(value.xf, std::move(ids)));
}

int StylesPart::InternParent(const StyleValue &style)
{
    if (!style.hasParent)
        return -1;
    if (!style.cellStyleName.empty())
        for (pugi::xml_node cellStyle : collections_[kCellStyles].nodes)
            if (style.cellStyleName == cellStyle.attribute("name").value())
                return cellStyle.attribute("xfId").as_int(0);
    const int index = InternXf(kCellStyleXfs, style.parent, -1);
    if (!style.cellStyle.empty()) {
        SetAttribute(AppendRecord(kCellStyles, style.cellStyle), "xfId", index);
    }
    return index;
}

int StylesPart::Intern(const StyleValue &style)
{
    KeyOf(style, key_);
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
    for (int counted = kNumFmts; counted <= kDxfs; ++counted)
        if (pugi::xml_node collection = collections_[counted].element)
            SetAttribute(collection, "count", ElementCount(collection));
}

std::string StylesPart::Serialise()
{
    RecountAll();
    return SavedText(*doc_);
}

} // namespace engine
