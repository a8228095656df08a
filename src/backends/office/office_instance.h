#pragma once
// One running LibreOffice: its process, its folders, the UNO connection to
// it and the watchdog over it. An instance is used by one lane at a time.

#include "backends/office/office_folders.h"
#include "backends/office/office_watchdog.h"

#include <QString>

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <chrono>
#include <memory>

namespace office
{

class OfficeInstance
{
  public:
    OfficeInstance() = default;
    ~OfficeInstance();
    OfficeInstance(const OfficeInstance &) = delete;
    OfficeInstance &operator=(const OfficeInstance &) = delete;

    // Starts soffice with a fresh profile and connects to it.
    bool Start(QString &error);
    // Asks soffice to end, kills it if it does not, removes its folders.
    void Stop();
    // False once the process has ended or the watchdog has ended it.
    bool Running();
    // The connection broke: soffice is ending, or must. Waits a moment for it
    // to end by itself, else ends it; Running() is false from then on.
    void Abandon();
    long Pid() const { return pid_; }

    const css::uno::Reference<css::uno::XComponentContext> &Context() const { return context_; }
    const css::uno::Reference<css::frame::XDesktop2> &Desktop() const { return desktop_; }
    Watchdog &Guard() { return watchdog_; }

  private:
    bool Connect(QString &error);
    void Forget();

    std::unique_ptr<OfficeFolders> folders_;
    long pid_ = -1;
    css::uno::Reference<css::uno::XComponentContext> context_;
    css::uno::Reference<css::frame::XDesktop2> desktop_;
    Watchdog watchdog_;
};

} // namespace office
