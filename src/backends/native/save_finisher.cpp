#include "backends/native/save_finisher.h"

#include <utility>

SaveFinisher::SaveFinisher(BeforeFinish beforeFinish) : beforeFinish_(std::move(beforeFinish)) {}

SaveFinisher::~SaveFinisher()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void SaveFinisher::Hand(engine::PendingReplace replace, Finished finished)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    if (!thread_.joinable())
        thread_ = std::thread(&SaveFinisher::Serve, this);
    replace_ = std::move(replace);
    finished_ = std::move(finished);
    busy_ = true;
    changed_.notify_all();
}

void SaveFinisher::WaitUntilIdle()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
}

void SaveFinisher::Serve()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // A pending save goes before the end.
        changed_.wait(lock, [this] { return busy_ || ending_; });
        if (!busy_)
            return;
        FinishOne(lock);
    }
}

void SaveFinisher::FinishOne(std::unique_lock<std::mutex> &lock)
{
    engine::PendingReplace replace = std::move(replace_);
    Finished finished = std::move(finished_);
    lock.unlock();
    if (beforeFinish_)
        beforeFinish_(replace.TargetPath());
    engine::Error error;
    const bool replaced = replace.Finish(error);
    finished(replaced, error.message);
    lock.lock();
    busy_ = false;
    changed_.notify_all();
}
