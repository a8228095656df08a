#include "engine_test_helpers.h"

#include <memory>

namespace
{

// The workbook at `path` with `area` unmerged on every sheet with cells;
// null with the engine's message when a step fails.
std::unique_ptr<engine::Workbook>
OpenUnmerged(const QString &path, const std::optional<engine::CellArea> &area, QString &message)
{
    engine::Error error;
    auto workbook = engine::Workbook::Open(path.toStdString(), error);
    if (!workbook) {
        message = QString::fromStdString("open: " + error.message);
        return nullptr;
    }
    for (size_t i = 0; i < workbook->Sheets().size(); ++i) {
        engine::Worksheet *sheet = workbook->CellSheet(i, error);
        if (error) {
            message = QString::fromStdString("sheet: " + error.message);
            return nullptr;
        }
        if (sheet && !sheet->UnMerge(area, error)) {
            message = QString::fromStdString("unmerge: " + error.message);
            return nullptr;
        }
    }
    return workbook;
}

} // namespace

// Saved as the runs save: the workbook closed before its file is replaced,
// since Windows replaces no file that is open.
QString UnmergeAndSave(const QString &path, const std::optional<engine::CellArea> &area)
{
    engine::PendingReplace replace;
    {
        QString message;
        const auto workbook = OpenUnmerged(path, area, message);
        engine::Error error;
        if (workbook && !workbook->SaveUntilReplace(replace, error))
            message = QString::fromStdString("save: " + error.message);
        if (!message.isEmpty())
            return message;
    }
    engine::Error error;
    if (replace.Pending() && !replace.Finish(error))
        return QString::fromStdString("save: " + error.message);
    return QString();
}

QString UnmergeUntilReplace(const QString &path, engine::PendingReplace &replace)
{
    QString message;
    const auto workbook = OpenUnmerged(path, std::nullopt, message);
    engine::Error error;
    if (workbook && !workbook->SaveUntilReplace(replace, error))
        message = QString::fromStdString("save: " + error.message);
    return message;
}

QString OpenError(const QString &path)
{
    engine::Error error;
    const auto workbook = engine::Workbook::Open(path.toStdString(), error);
    return workbook ? QString() : QString::fromStdString(error.message);
}
