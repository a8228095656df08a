// The application and its workbooks collection: each application is one
// soffice of its own, started when its workbooks collection is asked for.

#include "backends/office/office_backend.h"

#include "backends/office/office_folders.h"
#include "backends/office/office_load.h"
#include "backends/office/office_lock_file.h"
#include "backends/office/office_workbook.h"
#include "backends/office/xls_sniff.h"

#include <QFile>
#include <QFileInfo>

#include <memory>
#include <vector>

namespace office
{
namespace
{

bool IsLegacyWorkbook(const QString &path)
{
    return path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive);
}

// Only legacy workbooks are edited here; a template of another kind is
// only read.
QString RefusalBeforeLoading(const QString &path)
{
    if (!IsLegacyWorkbook(path))
        return {};
    return QString::fromStdString(RefusalOf(SniffXls(QFile::encodeName(path).toStdString())));
}

class OfficeWorkbooks : public automation::WorkbookCollection
{
  public:
    explicit OfficeWorkbooks(OfficeSession &session) : session_(session) {}

    automation::Workbook *Open(const QString &path) override;
    QString LastOpenError() const override { return lastOpenError_; }
    void CloseAll();

  private:
    automation::Workbook *Fail(const QString &reason);

    OfficeSession &session_;
    std::vector<std::unique_ptr<OfficeWorkbook>> workbooks_;
    QString lastOpenError_;
};

automation::Workbook *OfficeWorkbooks::Fail(const QString &reason)
{
    lastOpenError_ = reason;
    return nullptr;
}

automation::Workbook *OfficeWorkbooks::Open(const QString &path)
{
    const QString refusal = RefusalBeforeLoading(path);
    if (!refusal.isEmpty())
        return Fail(refusal);
    if (!session_.startFailure.isEmpty())
        return Fail(session_.startFailure);
    LoadedWorkbook loaded;
    loaded.path = QFileInfo(path).absoluteFilePath();
    loaded.editable = IsLegacyWorkbook(path);
    loaded.hadLockFile = QFileInfo::exists(OfficeLockFileOf(path));
    loaded.original = engine::IdentityOf(QFile::encodeName(loaded.path).toStdString());
    QString error;
    if (loaded.editable)
        RetireWornInstance(session_);
    loaded.document = LoadDocument(session_, loaded.path, loaded.editable, error);
    loaded.generation = session_.generation;
    if (!loaded.editable || !loaded.document.is())
        session_.instance.Guard().Disarm();
    if (!loaded.document.is()) {
        if (!session_.instance.Running() && !loaded.hadLockFile)
            QFile::remove(OfficeLockFileOf(path)); // left by the soffice that died
        return Fail(error);
    }
    if (session_.options.afterLoad)
        session_.options.afterLoad(session_.instance.Pid(), path);
    lastOpenError_.clear();
    workbooks_.push_back(std::make_unique<OfficeWorkbook>(session_, std::move(loaded)));
    return workbooks_.back().get();
}

void OfficeWorkbooks::CloseAll()
{
    for (const auto &workbook : workbooks_)
        workbook->Close(false);
}

class OfficeApp : public automation::SpreadsheetApp
{
  public:
    explicit OfficeApp(const OfficeOptions &options) { session_.options = options; }
    ~OfficeApp() override { Quit(); }

    void SetVisible(bool) override {}
    void SetDisplayAlerts(bool) override {}
    // A soffice that cannot start fails each workbook with its reason: a
    // missing collection would read as "LibreOffice is not installed".
    automation::WorkbookCollection *WorkBooks() override
    {
        QString error;
        if (!ReadyInstance(session_, error))
            session_.startFailure =
                error.isEmpty() ? QStringLiteral("LibreOffice Calc did not start") : error;
        return &workbooks_;
    }
    void Quit() override
    {
        workbooks_.CloseAll();
        session_.clipboard.reset();
        session_.instance.Stop();
    }
    // Every application has a soffice of its own.
    bool SupportsParallelUse() const override { return true; }

  private:
    OfficeSession session_;
    OfficeWorkbooks workbooks_{session_};
};

} // namespace
} // namespace office

bool OfficeInstalled()
{
    return QFileInfo(QStringLiteral(LIBREOFFICE_PROGRAM_DIR "/soffice.bin")).isExecutable();
}

automation::AppFactory OfficeAppFactory(const OfficeOptions &options)
{
    office::RemoveFoldersOfDeadRuns();
    return [options]() -> std::unique_ptr<automation::SpreadsheetApp> {
        return std::make_unique<office::OfficeApp>(options);
    };
}
