#include "transfer_run.h"

#include "engine/workbook.h"
#include "transfer/clipboard_snapshot.h"

#include <algorithm>
#include <memory>
#include <vector>

using engine::PasteKind;

namespace
{

QString Message(const engine::Error &error)
{
    return QString::fromStdString(error.message);
}

} // namespace

QString TransferFrom(const QStringList &templates, const QString &targetPath,
                     const QStringList &areas, const QList<PasteKind> &kinds,
                     engine::StyleTableMemo *memo, bool snapshotOnce)
{
    engine::Error error;
    std::vector<std::unique_ptr<engine::Workbook>> sources;
    for (const QString &path : templates)
        sources.push_back(engine::Workbook::Open(path.toStdString(), error));
    auto target = engine::Workbook::Open(targetPath.toStdString(), error);
    if (std::count(sources.begin(), sources.end(), nullptr) || !target)
        return Message(error);
    std::vector<std::unique_ptr<engine::TransferState>> copying;
    for (const auto &source : sources)
        copying.push_back(std::make_unique<engine::TransferState>(*source, memo));
    engine::TransferState pasting(*target, memo);
    std::vector<engine::ClipboardSnapshot> snapshots(size_t(areas.size()));
    for (size_t sheet = 0; sheet < target->Sheets().size(); ++sheet) {
        for (int i = 0; i < areas.size(); ++i) {
            const auto area = engine::ParseA1Area(areas[i].toStdString());
            engine::ClipboardSnapshot &snapshot = snapshots[size_t(i)];
            const bool take = sheet == 0 || !snapshotOnce;
            if (!area ||
                (take && !copying[sheet % copying.size()]->Copy(0, *area, snapshot, error)))
                return "copy " + areas[i] + ": " + Message(error);
            const bool wholeRows = area->firstColumn == 1 && area->lastColumn == engine::kMaxColumn;
            const engine::PastePlace place =
                wholeRows ? engine::PastePlace{1, 1}
                          : engine::PastePlace{area->firstRow, area->firstColumn};
            for (PasteKind kind : kinds)
                if (!pasting.Paste(sheet, snapshot, place, kind, error))
                    return "paste " + areas[i] + ": " + Message(error);
        }
    }
    return pasting.Commit(error) && target->Save(error) ? QString() : Message(error);
}

QString Transfer(const QString &templatePath, const QString &targetPath, const QStringList &areas,
                 const QList<PasteKind> &kinds, engine::StyleTableMemo *memo)
{
    return TransferFrom({templatePath}, targetPath, areas, kinds, memo);
}

QStringList PasteNames(const QList<PasteKind> &kinds)
{
    const char *const names[] = {"widths", "formats", "formulas", "values"};
    QStringList out;
    for (PasteKind kind : kinds)
        out << names[int(kind)];
    return out;
}
