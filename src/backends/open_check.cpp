#include "backends/open_check.h"

#include "backends/native/native_backend.h"
#ifdef SHEETWRIGHT_HAVE_OFFICE
#include "backends/office/xls_sniff.h"
#endif

#include <QFile>

namespace
{

QString NativeOpenProblem(const QString &nativePath)
{
    const std::unique_ptr<automation::SpreadsheetApp> app = CreateNativeApp();
    automation::WorkbookCollection *books = app->WorkBooks();
    automation::Workbook *book = books->Open(nativePath);
    if (!book)
        return books->LastOpenError();
    book->Close(false);
    return QString();
}

} // namespace

QString OpenProblem(const QString &nativePath, BackendKind kind)
{
    if (kind == BackendKind::Native)
        return NativeOpenProblem(nativePath);
#ifdef SHEETWRIGHT_HAVE_OFFICE
    return QString::fromStdString(
        office::RefusalOf(office::SniffXls(QFile::encodeName(nativePath).toStdString())));
#else
    return QString(); // without LibreOffice the workbook fails for that reason first
#endif
}
