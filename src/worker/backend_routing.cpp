#include "worker/backend_routing.h"

#include "worker/status_texts.h"

#include <QCoreApplication>

#include <algorithm>

namespace
{

// The pastes the native engine makes on .xls workbooks; the others need an
// office application. Formats of whole rows (row heights and formats) it
// does not make yet.
bool NativeXlsPaste(int pasteType, bool wholeRows)
{
    switch (pasteType) {
    case automation::PasteColumnWidths:
        return true;
    case automation::PasteFormats:
        return !wholeRows;
    default:
        return false;
    }
}

} // namespace

JobNeeds UnmergeNeeds()
{
    return JobNeeds{};
}

JobNeeds TemplateNeeds()
{
    JobNeeds needs;
    needs.readsRanges = true;
    return needs;
}

BackendKind BackendFor(const QString &path, const JobNeeds &needs)
{
    // Our engine edits the OOXML workbooks, and in legacy binary ones the
    // records of unmerge and of the pastes it makes.
    if (!path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        return BackendKind::Native;
    const bool native = !needs.readsRanges &&
                        std::all_of(needs.pastes.begin(), needs.pastes.end(), [&needs](int paste) {
                            return NativeXlsPaste(paste, needs.wholeRows);
                        });
    return native ? BackendKind::Native : BackendKind::Office;
}

QString NoBackendReason(BackendKind kind)
{
    if (kind == BackendKind::Office)
        return QCoreApplication::translate("StatusTexts",
                                           "需要安装 LibreOffice Calc 才能处理 .xls 文件");
    return NoApplicationText();
}

Backends Backends::AllFrom(const automation::AppFactory &factory)
{
    Backends backends;
    backends.native = factory;
    backends.office = factory;
    return backends;
}

const automation::AppFactory &Backends::For(BackendKind kind) const
{
    return kind == BackendKind::Office ? office : native;
}
