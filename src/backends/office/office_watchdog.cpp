#include "backends/office/office_watchdog.h"

#include "backends/office/office_process.h"

#include <utility>

namespace office
{

Watchdog::Watchdog() : thread_([this] { Watch(); }) {}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void Watchdog::Arm(long pid, std::chrono::milliseconds timeout)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pid_ = pid;
        deadline_ = std::chrono::steady_clock::now() + timeout;
        armed_ = true;
        fired_ = false;
    }
    changed_.notify_all();
}

void Watchdog::Disarm()
{
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
}

bool Watchdog::TakeFired()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(fired_, false);
}

void Watchdog::Watch()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!ending_) {
        if (!armed_) {
            changed_.wait(lock);
            continue;
        }
        if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ &&
            std::chrono::steady_clock::now() >= deadline_) {
            // Only signalled here; the owner reaps the process.
            SignalOfficeProcessKill(pid_);
            armed_ = false;
            fired_ = true;
        }
    }
}

} // namespace office
