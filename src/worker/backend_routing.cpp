#include "worker/backend_routing.h"

#include "worker/status_texts.h"

#include <QCoreApplication>

BackendKind BackendFor(const QString &path)
{
    // Our engine edits the OOXML workbooks; legacy binary ones need an office application.
    return path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive) ? BackendKind::Office
                                                                     : BackendKind::Native;
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
