#include "backends/office/office_instance.h"

#include "backends/office/office_process.h"
#include "backends/office/uno_context.h"
#include "backends/office/uno_text.h"

#include <QDir>
#include <QFile>

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>

#include <thread>

using namespace css;

namespace office
{
namespace
{

constexpr auto kStartTimeout = std::chrono::seconds(60);
constexpr auto kConnectPoll = std::chrono::milliseconds(50);
// A fresh profile makes soffice exit once with this code, asking to be started again.
constexpr int kRestartRequested = 81;
constexpr int kStopWaitMilliseconds = 5000;

long StartIn(const OfficeFolders &folders)
{
    return StartOfficeProcess({QStringLiteral(LIBREOFFICE_PROGRAM_DIR "/soffice.bin"),
                               folders.ProfileUrl(), folders.PipeName(), folders.TemporaryDir(),
                               folders.LogPath()});
}

// The profile's settings, in place before soffice first reads them:
// - no confirmation before a content paste onto filled cells (nobody would
//   answer it, and the paste would do nothing);
// - a workbook's VBA project stored as it was read, not regenerated from
//   LibreOffice's Basic, which drops compiled code, UserForms and ActiveX bindings.
constexpr char kSettings[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Input"><prop oor:name="ReplaceCellsWarning" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Filter/Import/VBA"><prop oor:name="UseExport" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
)";

bool WriteSettings(const OfficeFolders &folders)
{
    const QString user = folders.ProfileDir() + QStringLiteral("/user");
    QFile file(user + QStringLiteral("/registrymodifications.xcu"));
    return QDir().mkpath(user) && file.open(QIODevice::WriteOnly) &&
           file.write(kSettings) == qint64(sizeof kSettings - 1) && file.flush();
}

} // namespace

OfficeInstance::~OfficeInstance()
{
    Stop();
}

bool OfficeInstance::Start(QString &error)
{
    folders_ = std::make_unique<OfficeFolders>();
    if (!folders_->Valid()) {
        error = folders_->Problem();
        return false;
    }
    if (!WriteSettings(*folders_)) {
        error =
            QStringLiteral("LibreOffice's settings cannot be written in ") + folders_->ProfileDir();
        return false;
    }
    if (!LocalUnoContext().is()) {
        error = QStringLiteral("the LibreOffice client libraries cannot be loaded");
        return false;
    }
    pid_ = StartIn(*folders_);
    if (pid_ < 0 || !Connect(error)) {
        Stop();
        if (error.isEmpty())
            error = QStringLiteral("LibreOffice Calc did not start");
        return false;
    }
    return true;
}

bool OfficeInstance::Connect(QString &error)
{
    const auto resolver = bridge::UnoUrlResolver::create(LocalUnoContext());
    const rtl::OUString url =
        ToUno(QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext")
                  .arg(folders_->PipeName()));
    const auto giveUp = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < giveUp) {
        try {
            context_.set(resolver->resolve(url), uno::UNO_QUERY_THROW);
            desktop_ = frame::Desktop::create(context_);
            return true;
        } catch (const connection::NoConnectException &) {
        } catch (const uno::Exception &e) {
            error = QStringLiteral("LibreOffice Calc did not start: ") + FromUno(e.Message);
        }
        int exitCode = 0;
        if (OfficeProcessEnded(pid_, exitCode)) {
            pid_ = -1;
            if (exitCode != kRestartRequested)
                return false;
            pid_ = StartIn(*folders_);
            if (pid_ < 0)
                return false;
        }
        std::this_thread::sleep_for(kConnectPoll);
    }
    error = QStringLiteral("LibreOffice Calc did not answer within a minute");
    return false;
}

bool OfficeInstance::Running()
{
    int exitCode = 0;
    if (pid_ < 0)
        return false;
    if (watchdog_.TakeFired())
        KillOfficeProcess(pid_); // killed already: this reaps it
    else if (!OfficeProcessEnded(pid_, exitCode))
        return true;
    pid_ = -1;
    return false;
}

void OfficeInstance::Abandon()
{
    watchdog_.Disarm();
    Forget();
    if (pid_ > 0)
        AwaitOfficeProcess(pid_, kStopWaitMilliseconds);
    pid_ = -1;
}

void OfficeInstance::Forget()
{
    desktop_.clear();
    context_.clear();
}

void OfficeInstance::Stop()
{
    watchdog_.Disarm();
    if (pid_ > 0 && Running()) {
        try {
            desktop_->terminate();
        } catch (const uno::Exception &) {
        }
    }
    Forget();
    if (pid_ > 0)
        AwaitOfficeProcess(pid_, kStopWaitMilliseconds);
    pid_ = -1;
    folders_.reset();
}

} // namespace office
