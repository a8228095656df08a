#include "interfering_backend.h"

#include "backends/native/native_backend.h"

#include <map>
#include <memory>

namespace
{

class InterferingWorkbook : public automation::Workbook
{
  public:
    InterferingWorkbook(automation::Workbook &inner, QString path, const SaveHook &hook)
        : inner_(inner), path_(std::move(path)), hook_(hook)
    {
    }
    automation::SheetCollection *Sheets() override { return inner_.Sheets(); }
    bool Save() override
    {
        hook_(path_);
        return inner_.Save();
    }
    void Close(bool saveChanges) override { inner_.Close(saveChanges); }
    QString LastError() const override { return inner_.LastError(); }

  private:
    automation::Workbook &inner_;
    QString path_;
    const SaveHook &hook_;
};

class InterferingBooks : public automation::WorkbookCollection
{
  public:
    InterferingBooks(automation::WorkbookCollection &inner, const SaveHook &hook)
        : inner_(inner), hook_(hook)
    {
    }
    automation::Workbook *Open(const QString &path) override
    {
        automation::Workbook *book = inner_.Open(path);
        if (!book)
            return nullptr;
        auto &wrapped = wrapped_[book];
        wrapped = std::make_unique<InterferingWorkbook>(*book, path, hook_);
        return wrapped.get();
    }
    QString LastOpenError() const override { return inner_.LastOpenError(); }

  private:
    automation::WorkbookCollection &inner_;
    const SaveHook &hook_;
    std::map<automation::Workbook *, std::unique_ptr<InterferingWorkbook>> wrapped_;
};

class InterferingApp : public automation::SpreadsheetApp
{
  public:
    explicit InterferingApp(SaveHook hook) : inner_(CreateNativeApp()), hook_(std::move(hook)) {}
    void SetVisible(bool visible) override { inner_->SetVisible(visible); }
    void SetDisplayAlerts(bool displayAlerts) override { inner_->SetDisplayAlerts(displayAlerts); }
    automation::WorkbookCollection *WorkBooks() override
    {
        automation::WorkbookCollection *books = inner_->WorkBooks();
        if (books && !books_)
            books_ = std::make_unique<InterferingBooks>(*books, hook_);
        return books ? books_.get() : nullptr;
    }
    void Quit() override { inner_->Quit(); }

  private:
    std::unique_ptr<automation::SpreadsheetApp> inner_;
    SaveHook hook_;
    std::unique_ptr<InterferingBooks> books_;
};

} // namespace

automation::AppFactory InterferingAppFactory(SaveHook beforeSave)
{
    return [beforeSave] { return std::make_unique<InterferingApp>(beforeSave); };
}
