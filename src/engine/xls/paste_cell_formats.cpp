#include "xls/paste_cell_formats.h"

#include "engine/a1_text.h"
#include "transfer/clipboard_snapshot.h"

#include <map>
#include <string>

namespace engine
{
namespace
{

bool Refused(const ClipboardSnapshot &snapshot, const CellArea &area, const CellFormats &cells,
             Error &error)
{
    const char *unsupported = snapshot.wholeRows                     ? "whole rows"
                              : !snapshot.conditionalFormats.empty() ? "conditional formats"
                                                                     : nullptr;
    if (unsupported) {
        error.Set(ErrorCode::Unsupported, std::string("the template's ") + unsupported +
                                              " are not pasted into .xls natively");
        return true;
    }
    for (std::uint32_t row = area.firstRow; row <= area.lastRow; ++row) {
        for (std::uint32_t column = area.firstColumn; column <= area.lastColumn; ++column) {
            if (!cells.FormatAt(row - 1, column - 1) && !cells.RowTakesCells(row - 1)) {
                error.Set(ErrorCode::Unsupported,
                          "cell " + CellName(row, column) +
                              " lies in a row without cells in a sheet with an index of its rows"
                              " (INDEX, DBCELL), which is not pasted into .xls natively");
                return true;
            }
        }
    }
    return false;
}

// A snapshot holds format 0 and those of its cells, rows and columns; one
// made by hand may lack them.
const StyleValue &StyleOf(const ClipboardSnapshot &snapshot, std::uint32_t style)
{
    static const StyleValue plain;
    auto value = snapshot.styles.find(style);
    if (value == snapshot.styles.end())
        value = snapshot.styles.find(0);
    return value != snapshot.styles.end() && value->second ? *value->second : plain;
}

} // namespace

bool PasteFormatsOnto(const ClipboardSnapshot &snapshot, const FormatsTarget &target,
                      CellFormats &cells, BiffStyleTable &table, Error &error)
{
    const CellArea &area = target.area;
    if (Refused(snapshot, area, cells, error))
        return false;
    SnapshotLookup lookup(snapshot);
    std::map<std::uint32_t, int> interned; // template format -> XF index
    for (std::uint32_t row = area.firstRow; row <= area.lastRow; ++row) {
        for (std::uint32_t column = area.firstColumn; column <= area.lastColumn; ++column) {
            const std::uint32_t style =
                lookup.EffectiveStyle(std::uint32_t(long(row) - target.rows),
                                      std::uint32_t(long(column) - target.columns));
            auto [slot, fresh] = interned.try_emplace(style, 0);
            if (fresh)
                slot->second = table.Intern(StyleOf(snapshot, style));
            if (slot->second < 0) {
                error.Set(ErrorCode::LimitExceeded,
                          "the workbook's format tables are full (4050 formats, 510 fonts)");
                return false;
            }
            const auto ixfe = std::uint16_t(slot->second);
            if (!cells.SetFormat(row - 1, column - 1, ixfe) &&
                !cells.AddBlank(row - 1, column - 1, ixfe)) {
                error.Set(ErrorCode::Unsupported,
                          "cell " + CellName(row, column) + " cannot be given a record");
                return false;
            }
        }
    }
    return true;
}

} // namespace engine
