#include "worker/readable_template.h"

#include <QDir>
#include <QFileInfo>

ReadableTemplate::ReadableTemplate(const QString &templatePath, const Backends &backends)
{
    if (backends.route(templatePath, TemplateNeeds()) == BackendKind::Native) {
        path_ = templatePath;
        return;
    }
    if (!backends.toNative) {
        problem_ = NoBackendReason(BackendKind::Office);
        return;
    }
    folder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                              QStringLiteral("/sheetwright-template-XXXXXX"));
    if (!folder_->isValid()) {
        problem_ = folder_->errorString();
        return;
    }
    // The user's file name, so that what the engine reports still names it.
    const QString converted =
        folder_->filePath(QFileInfo(templatePath).completeBaseName() + QStringLiteral(".xlsx"));
    if (backends.toNative(templatePath, converted, problem_))
        path_ = converted;
}
