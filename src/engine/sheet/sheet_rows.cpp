#include "sheet/sheet_rows.h"

#include "engine/a1_text.h"
#include "xml/small_xml.h"
#include "xml/xml_fragment.h"
#include "xml/xml_scan.h"

#include <algorithm>
#include <charconv>
#include <new>

namespace engine
{

namespace
{

std::uint32_t NumberAt(std::string_view text, const AttributeValue &value)
{
    std::uint32_t number = 0;
    std::from_chars(text.data() + value.begin, text.data() + value.end, number);
    return number;
}

struct NumberedRow {
    std::uint32_t number;
    ElementSpan span;
};

// Row numbers as written or implied; `implicit` tells whether any was implied.
std::vector<NumberedRow> NumberRows(std::string_view text, const std::vector<ElementSpan> &rows,
                                    bool &implicit)
{
    std::vector<NumberedRow> numbered;
    std::uint32_t previous = 0;
    implicit = false;
    for (const ElementSpan &row : rows) {
        const AttributeValue r = FindAttribute(text, row, "r");
        implicit = implicit || !r.found;
        previous = r.found ? NumberAt(text, r) : previous + 1;
        numbered.push_back({previous, row});
    }
    return numbered;
}

// The element at or after `node`, null at the end of its parent.
pugi::xml_node ElementFrom(pugi::xml_node node)
{
    while (node && node.type() != pugi::node_element)
        node = node.next_sibling();
    return node;
}

// The lower non-zero column of two, 0 when neither is one.
std::uint32_t LowerColumn(std::uint32_t a, std::uint32_t b)
{
    return a == 0 || (b != 0 && b < a) ? b : a;
}

// Every cell of the window is asked this: the unprefixed name is settled
// without looking for a colon.
bool IsCell(const pugi::xml_node &element)
{
    const char *name = element.name();
    return (name[0] == 'c' && name[1] == '\0') || LocalName(element) == "c";
}

// The r attribute of a row or cell. Writers put it first, so that one is
// tried before a search by name, which compares every name before it.
pugi::xml_attribute ReferenceOf(const pugi::xml_node &element)
{
    const pugi::xml_attribute first = element.first_attribute();
    const char *name = first.name();
    return name[0] == 'r' && name[1] == '\0' ? first : element.attribute("r");
}

// Gives every cell of a row its r attribute, counting on from the last one.
// Rows mostly have them all, so a reference is read only before a cell without.
void NumberCells(pugi::xml_node row)
{
    std::uint32_t previous = 0;
    pugi::xml_node named; // the last cell with r after the last one without
    for (pugi::xml_node cell = ElementFrom(row.first_child()); cell;
         cell = ElementFrom(cell.next_sibling())) {
        if (!IsCell(cell))
            continue;
        if (ReferenceOf(cell)) {
            named = cell;
            continue;
        }
        previous = (named ? CellColumn(named) : previous) + 1;
        named = pugi::xml_node();
        cell.prepend_attribute("r").set_value(CellName(RowNumber(row), previous).c_str());
    }
}

// Rows seldom hold an entity or a carriage return. Without one, decoding
// them or line ends does nothing, and the parser is a twentieth faster
// when it need not look for them.
unsigned ParseFlags(std::string_view rows)
{
    unsigned flags = pugi::parse_default | pugi::parse_ws_pcdata_single;
    if (rows.find('&') == std::string_view::npos)
        flags &= ~pugi::parse_escapes;
    if (rows.find('\r') == std::string_view::npos)
        flags &= ~pugi::parse_eol;
    return flags;
}

} // namespace

std::uint32_t RowNumber(const pugi::xml_node &row)
{
    return ReferenceOf(row).as_uint(0);
}

std::uint32_t CellColumn(const pugi::xml_node &cell)
{
    std::uint32_t row = 0;
    std::uint32_t column = 0;
    return ParseCellName(ReferenceOf(cell).value(), row, column) ? column : 0;
}

bool RowWindow::Load(std::string_view sheetData, std::uint32_t firstRow, std::uint32_t lastRow,
                     Error &error)
{
    ElementTree tree;
    return ScanDocument(sheetData, tree, error) && Load(sheetData, tree, firstRow, lastRow, error);
}

bool RowWindow::Load(std::string_view text, const ElementTree &sheetData, std::uint32_t firstRow,
                     std::uint32_t lastRow, Error &error)
{
    const ElementSpan &root = sheetData.root;
    prefix_ = std::string(root.Prefix());
    if (!prefix_.empty())
        prefix_ += ':';
    bool implicit = false;
    const std::vector<NumberedRow> rows = NumberRows(text, sheetData.children, implicit);
    firstRow_ = implicit ? 1 : firstRow;
    lastRow_ = implicit ? UINT32_MAX : lastRow;

    size_t windowBegin = sheetData.contentEnd;
    size_t windowEnd = sheetData.contentEnd;
    bool started = false;
    for (const NumberedRow &row : rows) {
        if (row.number > lastRow_) {
            windowEnd = started ? windowEnd : row.span.begin;
            windowBegin = started ? windowBegin : row.span.begin;
            break;
        }
        if (row.number >= firstRow_) {
            windowBegin = started ? windowBegin : row.span.begin;
            windowEnd = row.span.end;
            started = true;
        }
    }
    if (root.selfClosing) {
        std::string_view tag = text.substr(root.begin, root.startTagEnd - root.begin);
        head_ = tag.substr(0, tag.rfind('/'));
        emptyElementName_ = root.qualifiedName;
    } else {
        head_ = text.substr(root.begin, windowBegin - root.begin);
        tail_ = text.substr(windowEnd, root.end - windowEnd);
    }
    windowBytes_ = windowEnd - windowBegin;
    if (!ParseWindow(text.substr(windowBegin, windowEnd - windowBegin), error))
        return false;
    if (implicit) {
        std::uint32_t number = 0;
        for (pugi::xml_node row : Rows()) {
            number = row.attribute("r") ? RowNumber(row) : number + 1;
            if (!row.attribute("r"))
                row.prepend_attribute("r").set_value(number);
        }
    }
    for (pugi::xml_node row : Rows()) {
        NumberCells(row);
        numbersRepeat_ = !index_.emplace(RowNumber(row), row).second || numbersRepeat_;
    }
    return true;
}

bool RowWindow::ParseWindow(std::string_view rows, Error &error)
{
    // built where the parser wants it, so it parses in place instead of a copy
    constexpr std::string_view open = "<window>";
    constexpr std::string_view close = "</window>";
    const size_t size = open.size() + rows.size() + close.size();
    auto *wrapped = static_cast<char *>(pugi::get_memory_allocation_function()(size));
    if (!wrapped)
        throw std::bad_alloc();
    open.copy(wrapped, open.size());
    rows.copy(wrapped + open.size(), rows.size());
    close.copy(wrapped + open.size() + rows.size(), close.size());
    pugi::xml_parse_result parsed = rows_->load_buffer_inplace_own(wrapped, size, ParseFlags(rows));
    if (!parsed)
        error.Set(ErrorCode::Damaged,
                  std::string("sheet rows unreadable: ") + parsed.description());
    return bool(parsed);
}

std::vector<pugi::xml_node> RowWindow::Rows() const
{
    return Elements(rows_->document_element());
}

pugi::xml_node RowWindow::Row(std::uint32_t row) const
{
    auto found = index_.find(row);
    return found == index_.end() ? pugi::xml_node() : found->second;
}

pugi::xml_node RowWindow::RowForWriting(std::uint32_t row)
{
    auto next = index_.lower_bound(row);
    if (next != index_.end() && next->first == row)
        return next->second;
    pugi::xml_node window = rows_->document_element();
    const std::string name = prefix_ + "row";
    pugi::xml_node added = next != index_.end()
                               ? window.insert_child_before(name.c_str(), next->second)
                               : window.append_child(name.c_str());
    added.append_attribute("r").set_value(row);
    index_.emplace(row, added);
    return added;
}

std::string RowWindow::Serialise() const
{
    std::string text;
    // Room for rows up to twice their loaded length, so that the rows are
    // printed straight into place and the text is copied once.
    text.reserve(head_.size() + 2 * windowBytes_ + tail_.size() + emptyElementName_.size() + 4);
    text.append(head_);
    if (!emptyElementName_.empty())
        text.append(">");
    for (pugi::xml_node row : Rows())
        AppendRawText(row, text);
    text.append(tail_);
    if (!emptyElementName_.empty())
        text.append("</").append(emptyElementName_).append(">");
    return text;
}

RowCells::RowCells(const pugi::xml_node &row) : row_(row)
{
    // cells mostly come in column order, so each goes in at the end
    for (pugi::xml_node cell : Elements(row))
        cells_.insert_or_assign(cells_.end(), CellColumn(cell), cell);
}

pugi::xml_node RowCells::Find(std::uint32_t column) const
{
    const auto found = cells_.find(column);
    return found != cells_.end() ? found->second : pugi::xml_node();
}

pugi::xml_node RowCells::FindOrAdd(const pugi::xml_node &row, std::uint32_t column,
                                   const std::string &prefix)
{
    if (pugi::xml_node cell = Find(column))
        return cell;
    row_ = row;
    const auto next = cells_.upper_bound(column);
    const pugi::xml_node before = next != cells_.end() ? next->second : Find(0);
    const std::string name = prefix + "c";
    pugi::xml_node added =
        before ? row_.insert_child_before(name.c_str(), before) : row_.append_child(name.c_str());
    added.append_attribute("r").set_value(CellName(RowNumber(row_), column).c_str());
    return cells_[column] = added;
}

void RowCells::Remove(std::uint32_t column)
{
    const auto found = cells_.find(column);
    if (found == cells_.end())
        return;
    row_.remove_child(found->second);
    cells_.erase(found);
}

bool RowCursor::Start(const pugi::xml_node &row)
{
    columns_.clear();
    at_ = 0;
    firstAdded_ = 0;
    lastAdded_ = 0;
    elements_.clear();
    for (pugi::xml_node element = ElementFrom(row.first_child()); element;
         element = ElementFrom(element.next_sibling())) {
        const std::uint32_t column = CellColumn(element);
        if (!columns_.empty() &&
            (columns_.back() == 0 || (column != 0 && column <= columns_.back())))
            return false;
        columns_.push_back(column);
        elements_.push_back(element);
    }
    return true;
}

pugi::xml_node RowCursor::Find(std::uint32_t column)
{
    while (at_ < columns_.size() && columns_[at_] != 0 && columns_[at_] < column)
        ++at_;
    return at_ < columns_.size() && columns_[at_] == column ? elements_[at_] : pugi::xml_node();
}

pugi::xml_node RowCursor::FindOrAdd(const pugi::xml_node &row, std::uint32_t column,
                                    const std::string &prefix)
{
    if (pugi::xml_node cell = Find(column))
        return cell;
    pugi::xml_node parent = row;
    const std::string name = prefix + "c";
    pugi::xml_node added = at_ < elements_.size()
                               ? parent.insert_child_before(name.c_str(), elements_[at_])
                               : parent.append_child(name.c_str());
    added.append_attribute("r").set_value(CellName(RowNumber(row), column).c_str());
    firstAdded_ = LowerColumn(firstAdded_, column);
    lastAdded_ = column;
    return added;
}

std::uint32_t RowCursor::FirstColumn() const
{
    return LowerColumn(columns_.empty() ? 0 : columns_.front(), firstAdded_);
}

std::uint32_t RowCursor::LastColumn() const
{
    // only the last element can be without a column
    std::uint32_t present = columns_.empty() ? 0 : columns_.back();
    if (present == 0 && columns_.size() > 1)
        present = columns_[columns_.size() - 2];
    return std::max(present, lastAdded_);
}

} // namespace engine
