#include "engine_test_helpers.h"

#include <csignal>

QString UnmergeAndSave(const QString &path, const std::optional<engine::CellArea> &area)
{
    engine::Error error;
    const auto workbook = engine::Workbook::Open(path.toStdString(), error);
    if (!workbook)
        return QString::fromStdString("open: " + error.message);
    for (size_t i = 0; i < workbook->Sheets().size(); ++i) {
        engine::Worksheet *sheet = workbook->CellSheet(i, error);
        if (error)
            return QString::fromStdString("sheet: " + error.message);
        if (sheet && !sheet->UnMerge(area, error))
            return QString::fromStdString("unmerge: " + error.message);
    }
    if (!workbook->Save(error))
        return QString::fromStdString("save: " + error.message);
    return {};
}

QString OpenError(const QString &path)
{
    engine::Error error;
    const auto workbook = engine::Workbook::Open(path.toStdString(), error);
    return workbook ? QString() : QString::fromStdString(error.message);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &previous);
    previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = previous;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
}
