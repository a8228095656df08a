#include "backends/office/office_store.h"

#include "backends/office/formula_results.h"
#include "backends/office/uno_text.h"
#include "backends/office/xls_sniff.h"
#include "engine/pending_replace.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <com/sun/star/frame/XStorable.hpp>

using namespace css;

namespace office
{
namespace
{

// Beside the workbook, so that nothing crosses file systems; no workbook
// suffix, so that no folder walk takes it for one.
QString StorePathFor(const QString &path)
{
    static std::atomic<int> serial{0};
    const QFileInfo workbook(path);
    return workbook.absolutePath() + QStringLiteral("/.sheetwright-office-%1-%2.tmp")
                                         .arg(QCoreApplication::applicationPid())
                                         .arg(serial++);
}

std::string Local(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

bool Replace(const QString &stored, const QString &path,
             const std::optional<engine::FileIdentity> &original, QString &error)
{
    QFile in(stored);
    if (!in.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the stored workbook cannot be read back");
        return false;
    }
    const QByteArray bytes = in.readAll();
    engine::PendingReplace replace;
    engine::Error failure;
    if (!engine::PrepareReplace(Local(path), original, bytes.constData(),
                                static_cast<size_t>(bytes.size()), replace, failure) ||
        !replace.Finish(failure)) {
        error = QString::fromStdString(failure.message);
        return false;
    }
    return true;
}

// Removes the temporary file however the save ends.
struct StoredFile {
    QString path;
    ~StoredFile() { QFile::remove(path); }
};

} // namespace

void StoreWorkbook(const uno::Reference<lang::XComponent> &document, const QString &path,
                   const std::optional<engine::FileIdentity> &original, QString &error)
{
    RetypeFormulaResults(document);
    const StoredFile stored{StorePathFor(path)};
    const std::vector<beans::PropertyValue> properties = {
        Property("FilterName", uno::Any(rtl::OUString("MS Excel 97"))),
        Property("Overwrite", uno::Any(true))};
    uno::Reference<frame::XStorable>(document, uno::UNO_QUERY_THROW)
        ->storeToURL(FileUrl(stored.path), SequenceOf(properties));
    if (SniffXls(Local(stored.path)) != XlsKind::Biff8) {
        error = QStringLiteral("LibreOffice stored a damaged workbook; the original is unchanged");
        return;
    }
    Replace(stored.path, path, original, error);
}

} // namespace office
