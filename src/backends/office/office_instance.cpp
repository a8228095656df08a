#include "backends/office/office_instance.h"

#include "backends/office/office_process.h"
#include "backends/office/uno_context.h"
#include "backends/office/uno_text.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XNameReplace.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/util/XChangesBatch.hpp>

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

} // namespace

OfficeInstance::~OfficeInstance()
{
    Stop();
}

bool OfficeInstance::Start(QString &error)
{
    folders_ = std::make_unique<OfficeFolders>();
    if (!folders_->Valid()) {
        error = QStringLiteral("cannot create a private folder for LibreOffice in ") +
                OfficeFoldersRoot();
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
    Configure();
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

// Without this, a content paste onto filled cells asks for confirmation,
// which nobody answers, and does nothing.
void OfficeInstance::Configure()
{
    const auto provider = configuration::theDefaultProvider::get(context_);
    uno::Any path(
        beans::NamedValue(ToUno(QStringLiteral("nodepath")),
                          uno::Any(ToUno(QStringLiteral("/org.openoffice.Office.Calc/Input")))));
    uno::Reference<container::XNameReplace> input(
        provider->createInstanceWithArguments(
            ToUno(QStringLiteral("com.sun.star.configuration.ConfigurationUpdateAccess")),
            uno::Sequence<uno::Any>(&path, 1)),
        uno::UNO_QUERY_THROW);
    input->replaceByName(ToUno(QStringLiteral("ReplaceCellsWarning")), uno::Any(false));
    uno::Reference<util::XChangesBatch>(input, uno::UNO_QUERY_THROW)->commitChanges();
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
