#include "default_backend.h"

namespace
{

// Stands in until a real backend is linked: it honestly has no workbooks,
// so a run reports that no spreadsheet application is available.
class UnavailableApp : public automation::SpreadsheetApp
{
  public:
    void SetVisible(bool) override {}
    void SetDisplayAlerts(bool) override {}
    automation::WorkbookCollection *WorkBooks() override { return nullptr; }
    void Quit() override {}
};

} // namespace

automation::AppFactory DefaultAppFactory()
{
    return [] { return std::make_unique<UnavailableApp>(); };
}
