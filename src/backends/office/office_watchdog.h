#pragma once
// A call into LibreOffice can block for ever. While armed, the watchdog
// ends the office process once the time is up; the blocked call then
// returns with an exception, and the lane goes on with a fresh instance.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace office
{

class Watchdog
{
  public:
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

    void Arm(long pid, std::chrono::milliseconds timeout);
    void Disarm();
    // True once after it has ended the process.
    bool TakeFired();

  private:
    void Watch();

    std::mutex mutex_;
    std::condition_variable changed_;
    long pid_ = -1;
    std::chrono::steady_clock::time_point deadline_;
    bool armed_ = false;
    bool fired_ = false;
    bool ending_ = false;
    std::thread thread_;
};

} // namespace office
