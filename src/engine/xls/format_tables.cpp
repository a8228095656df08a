#include "xls/format_tables.h"

#include "xls/format_text.h"

#include <algorithm>
#include <iterator>

namespace engine
{

namespace
{

constexpr std::uint16_t kStyleExt = 0x0892;
constexpr std::uint16_t kEof = 0x000a;
// BIFF8's limits: font index 4 is never used, so 511 indexes hold 510 fonts.
constexpr std::size_t kMaxFonts = 510;
constexpr int kMaxFormats = 218;
constexpr std::size_t kMaxXfs = 4050;
constexpr std::uint16_t kNoParent = 0xfff;
constexpr int kDefaultCellXf = 15; // Excel's first cell format after the 15 style ones

const char *const kBuiltInStyles[] = {"Normal",    "RowLevel_",         "ColLevel_", "Comma",
                                      "Currency",  "Percent",           "Comma [0]", "Currency [0]",
                                      "Hyperlink", "Followed Hyperlink"};

std::string StyleName(const BiffStyle &style)
{
    if (!style.builtIn)
        return style.name;
    if (style.builtInId >= std::size(kBuiltInStyles))
        return "Style " + std::to_string(style.builtInId);
    std::string name = kBuiltInStyles[style.builtInId];
    if (style.builtInId == 1 || style.builtInId == 2)
        name += std::to_string(style.level + 1);
    return name;
}

// The cellStyle element of SpreadsheetML that says the same.
std::string CellStyleText(const BiffStyle &style)
{
    std::string text = "<cellStyle";
    if (style.builtIn)
        text += " builtinId=\"" + std::to_string(style.builtInId) + '"';
    if (style.builtIn && (style.builtInId == 1 || style.builtInId == 2))
        text += " iLevel=\"" + std::to_string(style.level) + '"';
    std::string name;
    for (char c : StyleName(style))
        name += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '"' ? "&quot;" : std::string(1, c);
    return text + " name=\"" + name + "\" xfId=\"" + std::to_string(style.xf) + "\"/>";
}

// Font records are numbered 0..3, 5.. : index 4 was never written.
std::uint16_t FontIndexOf(std::size_t position)
{
    return std::uint16_t(position < 4 ? position : position + 1);
}

void AppendProps(std::string &key, const std::vector<XfExtProp> &props)
{
    for (const XfExtProp &prop : props) {
        key += char(prop.type);
        key += char(prop.data.size());
        key += prop.data;
    }
}

} // namespace

bool BiffStyleTable::Load(const std::vector<BiffRecordRef> &globals, Error &error)
{
    for (std::size_t at = 0; at < globals.size() && globals[at].id != kEof; ++at)
        if (!LoadRecord(at, globals[at], error))
            return false;
    if (fonts_.empty() || xfs_.empty()) {
        error.Set(ErrorCode::Damaged, "the workbook has no font or cell format records");
        return false;
    }
    loadedXfs_ = xfs_.size();
    return true;
}

bool BiffStyleTable::LoadRecord(std::size_t at, const BiffRecordRef &record, Error &error)
{
    auto damaged = [&](const char *what) {
        error.Set(ErrorCode::Damaged,
                  std::string("a ") + what + " record is shorter than its fields");
        return false;
    };
    switch (record.id) {
    case biff::kFont: {
        BiffFont font;
        if (!DecodeFont(record.body, font))
            return damaged("FONT");
        fontIndexes_.emplace(std::string(record.body), FontIndexOf(fonts_.size()));
        fonts_.push_back(std::move(font));
        lastFont_ = at;
        return true;
    }
    case biff::kFormat: {
        std::uint16_t id = 0;
        std::string code;
        if (!DecodeFormat(record.body, id, code))
            return damaged("FORMAT");
        formatIds_.emplace(code, id);
        formatCodes_.emplace(id, std::move(code));
        highestFormat_ = std::max(highestFormat_, int(id));
        ++formatCount_;
        lastFormat_ = at;
        return true;
    }
    case biff::kXf: {
        BiffXf xf;
        if (!DecodeXf(record.body, xf))
            return damaged("XF");
        xfs_.push_back(xf);
        xfBodies_.emplace_back(record.body);
        lastXf_ = at;
        return true;
    }
    case biff::kXfExt: {
        // One that does not decode is ignored, as Excel ignores it.
        BiffXfExt ext;
        if (DecodeXfExt(record.body, ext))
            exts_.emplace(ext.xf, std::move(ext));
        lastXfExt_ = at;
        hadExts_ = true;
        return true;
    }
    case biff::kXfCrc:
        xfCrc_ = at;
        return true;
    case biff::kStyle: {
        BiffStyle style;
        if (!DecodeStyle(record.body, style))
            return damaged("STYLE");
        styles_.push_back(std::move(style));
        lastStyle_ = at;
        return true;
    }
    case kStyleExt:
        lastStyle_ = at;
        return true;
    case biff::kPalette: {
        std::vector<std::uint32_t> colours;
        if (!DecodePalette(record.body, colours))
            return damaged("PALETTE");
        palette_ = PaletteFrom(colours);
        return true;
    }
    default:
        return true;
    }
}

const BiffFont &BiffStyleTable::FontAt(std::uint16_t ifnt) const
{
    const std::size_t position = ifnt < 4 ? ifnt : ifnt - 1u;
    return ifnt != 4 && position < fonts_.size() ? fonts_[position] : fonts_[0];
}

XfValue BiffStyleTable::ResolveXf(int ixfe) const
{
    const auto cached = resolved_.find(ixfe);
    if (cached != resolved_.end())
        return cached->second;
    const BiffXf &xf = xfs_[std::size_t(ixfe)];
    const auto ext = exts_.find(ixfe);
    const XfExtView view = ViewOf(ext != exts_.end() ? &ext->second : nullptr);
    XfValue value;
    const auto code = formatCodes_.find(xf.format);
    value.customNumFmt = code != formatCodes_.end();
    value.numFmtId = value.customNumFmt ? 0 : xf.format;
    if (value.customNumFmt)
        value.numFmtCode = code->second;
    value.font = FontText(FontAt(xf.font), palette_, view);
    value.fill = FillText(xf, palette_, view);
    value.border = BorderText(xf, palette_, view);
    value.xf = XfText(xf, view);
    return resolved_.emplace(ixfe, std::move(value)).first->second;
}

void BiffStyleTable::NameParent(int parent, StyleValue &style) const
{
    for (const BiffStyle &named : styles_) {
        if (named.xf == parent) {
            style.cellStyleName = StyleName(named);
            style.cellStyle = CellStyleText(named);
            return;
        }
    }
}

StyleValue BiffStyleTable::Resolve(int ixfe) const
{
    if (ixfe < 0 || ixfe >= XfCount())
        ixfe = XfCount() > kDefaultCellXf ? kDefaultCellXf : 0;
    StyleValue style;
    style.cell = ResolveXf(ixfe);
    const BiffXf &xf = xfs_[std::size_t(ixfe)];
    if (!xf.isStyle && xf.parent < XfCount()) {
        style.hasParent = true;
        style.parent = ResolveXf(xf.parent);
        NameParent(xf.parent, style);
    }
    return style;
}

std::unordered_map<std::string, int> &BiffStyleTable::KnownValues(bool styles)
{
    bool &filled = styles ? knownStylesFilled_ : knownCellsFilled_;
    std::unordered_map<std::string, int> &known = styles ? knownStyles_ : knownCells_;
    std::string key;
    for (int i = 0; !filled && i < XfCount(); ++i) {
        if (xfs_[std::size_t(i)].isStyle != styles)
            continue;
        StyleValue style = styles ? StyleValue() : Resolve(i);
        if (styles)
            style.cell = ResolveXf(i);
        StyleKey(style, key);
        known.emplace(std::move(key), i);
    }
    filled = true;
    return known;
}

int BiffStyleTable::FindStyleNamed(const std::string &name) const
{
    for (const BiffStyle &style : styles_)
        if (style.xf < XfCount() && StyleName(style) == name)
            return style.xf;
    return -1;
}

int BiffStyleTable::InternParent(const StyleValue &style)
{
    if (!style.hasParent)
        return 0;
    const int named = style.cellStyleName.empty() ? -1 : FindStyleNamed(style.cellStyleName);
    if (named >= 0)
        return named;
    StyleValue parent;
    parent.cell = style.parent;
    std::unordered_map<std::string, int> &known = KnownValues(true);
    StyleKey(parent, key_);
    const auto found = known.find(key_);
    if (found != known.end() && style.cellStyleName.empty())
        return found->second;
    const std::string key = key_;
    BiffXf xf;
    xf.isStyle = true;
    xf.parent = kNoParent;
    std::vector<XfExtProp> ext;
    if (!BuildXf(style.parent, xf, ext))
        return -1;
    const int index = InternXf(xf, ext);
    if (index < 0)
        return -1;
    known.emplace(key, index);
    if (!style.cellStyleName.empty()) {
        styles_.push_back({std::uint16_t(index), false, 0, 0, style.cellStyleName});
        newStyles_.push_back(EncodeUserStyle(std::uint16_t(index), style.cellStyleName));
    }
    return index;
}

int BiffStyleTable::InternFormat(const XfValue &value)
{
    if (!value.customNumFmt)
        return std::clamp(value.numFmtId, 0, 0xffff);
    const auto found = formatIds_.find(value.numFmtCode);
    if (found != formatIds_.end())
        return found->second;
    if (formatCount_ >= kMaxFormats || highestFormat_ >= 0xffff)
        return -1;
    const int id = ++highestFormat_;
    ++formatCount_;
    formatIds_.emplace(value.numFmtCode, id);
    formatCodes_.emplace(id, value.numFmtCode);
    newFormats_.push_back(EncodeFormat(std::uint16_t(id), value.numFmtCode));
    return id;
}

int BiffStyleTable::InternFont(const std::string &text, std::vector<XfExtProp> &ext)
{
    BiffFont font;
    FontFromText(text, palette_, font, ext);
    std::string body = EncodeFont(font);
    const auto found = fontIndexes_.find(body);
    if (found != fontIndexes_.end())
        return found->second;
    if (fonts_.size() >= kMaxFonts)
        return -1;
    const int index = FontIndexOf(fonts_.size());
    fonts_.push_back(std::move(font));
    fontIndexes_.emplace(body, index);
    newFonts_.push_back(std::move(body));
    return index;
}

bool BiffStyleTable::BuildXf(const XfValue &value, BiffXf &xf, std::vector<XfExtProp> &ext)
{
    XfFromText(value.xf, xf, ext);
    const int format = InternFormat(value);
    const int font = value.font.empty() ? 0 : InternFont(value.font, ext);
    if (format < 0 || font < 0)
        return false;
    xf.format = std::uint16_t(format);
    xf.font = std::uint16_t(font);
    if (!value.fill.empty())
        FillFromText(value.fill, palette_, xf, ext);
    if (!value.border.empty())
        BorderFromText(value.border, palette_, xf, ext);
    xf.hasExt = !ext.empty();
    return true;
}

std::string BiffStyleTable::RecordKey(const std::string &body,
                                      const std::vector<XfExtProp> &ext) const
{
    std::string key = body;
    AppendProps(key, ext);
    return key;
}

int BiffStyleTable::InternXf(BiffXf &xf, std::vector<XfExtProp> &ext)
{
    for (int i = 0; !xfRecordsFilled_ && i < XfCount(); ++i) {
        const auto found = exts_.find(i);
        xfRecords_.emplace(RecordKey(xfBodies_[std::size_t(i)], found != exts_.end()
                                                                    ? found->second.props
                                                                    : std::vector<XfExtProp>()),
                           i);
    }
    xfRecordsFilled_ = true;
    std::string body = EncodeXf(xf);
    const auto [slot, fresh] = xfRecords_.try_emplace(RecordKey(body, ext), XfCount());
    if (!fresh)
        return slot->second;
    if (xfs_.size() >= kMaxXfs) {
        xfRecords_.erase(slot);
        return -1;
    }
    const int index = XfCount();
    xfs_.push_back(xf);
    xfBodies_.push_back(std::move(body));
    if (!ext.empty()) {
        exts_[index] = {std::uint16_t(index), std::move(ext)};
        newExts_.push_back(index);
    }
    return index;
}

int BiffStyleTable::Intern(const StyleValue &style)
{
    std::unordered_map<std::string, int> &known = KnownValues(false);
    StyleKey(style, key_);
    const auto found = known.find(key_);
    if (found != known.end())
        return found->second;
    const std::string key = key_;
    const int parent = InternParent(style);
    BiffXf xf;
    std::vector<XfExtProp> ext;
    if (parent < 0 || !BuildXf(style.cell, xf, ext))
        return -1;
    xf.parent = std::uint16_t(parent);
    const int index = InternXf(xf, ext);
    if (index >= 0)
        known.emplace(key, index);
    return index;
}

std::string BiffStyleTable::AllXfBodies() const
{
    std::string joined;
    for (const std::string &body : xfBodies_)
        joined += body;
    return joined;
}

std::vector<BiffRecordEdit> BiffStyleTable::Edits() const
{
    std::vector<BiffRecordEdit> edits;
    auto insert = [&](std::size_t at, std::uint16_t id, const std::string &body) {
        edits.push_back({at, false, id, body});
    };
    const std::size_t fontsAt = lastFont_ + 1;
    for (const std::string &body : newFonts_)
        insert(fontsAt, biff::kFont, body);
    for (const std::string &body : newFormats_)
        insert(lastFormat_ != kNone ? lastFormat_ + 1 : fontsAt, biff::kFormat, body);
    const std::size_t xfsAt = lastXf_ + 1;
    for (std::size_t i = loadedXfs_; i < xfBodies_.size(); ++i)
        insert(xfsAt, biff::kXf, xfBodies_[i]);
    // XFEXT is read only while XFCRC matches the XF records it follows.
    if ((hadExts_ || !newExts_.empty()) && XfsAdded()) {
        BiffRecordEdit crc{xfCrc_ != kNone ? xfCrc_ : xfsAt, xfCrc_ != kNone, biff::kXfCrc,
                           EncodeXfCrc(std::uint16_t(xfs_.size()), AllXfBodies())};
        edits.push_back(std::move(crc));
    }
    std::size_t afterXfs = xfsAt;
    for (std::size_t at : {xfCrc_, lastXfExt_})
        if (at != kNone)
            afterXfs = std::max(afterXfs, at + 1);
    for (int index : newExts_)
        insert(afterXfs, biff::kXfExt, EncodeXfExt(exts_.at(index)));
    for (const std::string &body : newStyles_)
        insert(lastStyle_ != kNone ? lastStyle_ + 1 : afterXfs, biff::kStyle, body);
    return edits;
}

} // namespace engine
