#pragma once
// Finishes an application's saves on a thread of its own: while the disk
// takes in one workbook, the application goes on with the next. One save is
// pending at a time, so a run holds no more temporary files than it has
// applications at work, plus one each being finished.

#include "engine/pending_replace.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class SaveFinisher
{
  public:
    // Receives what PendingReplace::Finish gives, on the finishing thread.
    using Finished = std::function<void(bool replaced, const std::string &error)>;
    // Runs on the finishing thread just before a save's last step, with the
    // file it replaces; tests let another program step in there.
    using BeforeFinish = std::function<void(const std::string &targetPath)>;

    explicit SaveFinisher(BeforeFinish beforeFinish = {});
    // Finishes the pending save: a started save is never abandoned.
    ~SaveFinisher();
    SaveFinisher(const SaveFinisher &) = delete;
    SaveFinisher &operator=(const SaveFinisher &) = delete;

    // Waits until the previous save is finished, then takes this one.
    void Hand(engine::PendingReplace replace, Finished finished);
    // Returns once every save handed over is finished and reported.
    void WaitUntilIdle();

  private:
    void Serve();
    void FinishOne(std::unique_lock<std::mutex> &lock);

    BeforeFinish beforeFinish_;
    std::mutex mutex_;
    std::condition_variable changed_;
    engine::PendingReplace replace_;
    Finished finished_;
    bool busy_ = false; // a save is handed over and not yet reported
    bool ending_ = false;
    std::thread thread_; // started with the first save
};
