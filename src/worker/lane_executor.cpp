#include "worker/lane_executor.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace
{

// Each workbook's result in its list position, put there when its save is
// complete, by whichever thread completed it, and reported on the calling
// thread in list order.
class TurnResults
{
  public:
    explicit TurnResults(size_t count) : results_(count) {}

    WorkbookFinished For(size_t position)
    {
        return [this, position](const WorkbookResult &result) {
            std::lock_guard<std::mutex> lock(mutex_);
            results_[position] = result;
            // Under the lock: with the last result in, the run may end and
            // take this object with it.
            resultArrived_.notify_all();
        };
    }

    // Reports the results that are next in line and have arrived.
    void ReportArrived(const TurnReports &reports) { Report(results_.size(), reports, false); }

    // Reports the results of the first `dealt` workbooks, waiting for each.
    void ReportAll(size_t dealt, const TurnReports &reports) { Report(dealt, reports, true); }

  private:
    void Report(size_t upTo, const TurnReports &reports, bool wait)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        while (reported_ < upTo) {
            if (!results_[reported_] && !wait)
                return;
            resultArrived_.wait(lock, [this] { return results_[reported_].has_value(); });
            const WorkbookResult result = *results_[reported_];
            const size_t position = reported_++;
            lock.unlock(); // the report may take its time; results keep arriving
            reports.ends(position, result);
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable resultArrived_;
    std::vector<std::optional<WorkbookResult>> results_;
    size_t reported_ = 0;
};

size_t ProcessOnThisThread(const QStringList &paths, RunLane &lane, const std::atomic<bool> &stop,
                           const TurnReports &reports)
{
    TurnResults results(static_cast<size_t>(paths.size()));
    size_t dealt = 0;
    for (; dealt < static_cast<size_t>(paths.size()) && !stop; ++dealt) {
        const QString &path = paths[static_cast<int>(dealt)];
        reports.starts(path);
        lane.Process(path, results.For(dealt));
        results.ReportArrived(reports);
    }
    results.ReportAll(dealt, reports);
    return dealt;
}

// The calling thread deals out list positions; each lane's thread takes the
// next one dealt whenever it is free.
class ParallelTurns
{
  public:
    ParallelTurns(const QStringList &paths, size_t laneCount)
        : paths_(paths), results_(static_cast<size_t>(paths.size())), freeLanes_(laneCount)
    {
    }

    size_t Run(const std::vector<RunLane *> &lanes, const std::atomic<bool> &stop,
               const TurnReports &reports)
    {
        std::vector<std::thread> threads;
        for (RunLane *lane : lanes)
            threads.emplace_back(&ParallelTurns::Serve, this, std::ref(*lane));
        size_t dealt = 0;
        while (dealt < static_cast<size_t>(paths_.size())) {
            WaitForFreeLane();
            results_.ReportArrived(reports);
            if (stop)
                break;
            reports.starts(paths_[static_cast<int>(dealt)]);
            Deal(dealt++);
        }
        CloseDealing();
        results_.ReportAll(dealt, reports);
        for (std::thread &thread : threads)
            thread.join();
        return dealt;
    }

  private:
    void WaitForFreeLane()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        laneFreed_.wait(lock, [this] { return freeLanes_ > 0; });
    }

    void Deal(size_t position)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            --freeLanes_;
            dealtPositions_.push_back(position);
        }
        positionDealt_.notify_one();
    }

    void CloseDealing()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
        }
        positionDealt_.notify_all();
    }

    void Serve(RunLane &lane)
    {
        size_t position = 0;
        while (TakePosition(position)) {
            lane.Process(paths_[static_cast<int>(position)], results_.For(position));
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ++freeLanes_;
            }
            laneFreed_.notify_one();
        }
    }

    bool TakePosition(size_t &position)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        positionDealt_.wait(lock, [this] { return closed_ || !dealtPositions_.empty(); });
        if (dealtPositions_.empty())
            return false;
        position = dealtPositions_.front();
        dealtPositions_.pop_front();
        return true;
    }

    const QStringList &paths_;
    TurnResults results_;
    std::mutex mutex_;
    std::condition_variable laneFreed_;
    std::condition_variable positionDealt_;
    std::deque<size_t> dealtPositions_;
    size_t freeLanes_;
    bool closed_ = false;
};

} // namespace

size_t ProcessInLanes(const QStringList &paths, const std::vector<RunLane *> &lanes,
                      const std::atomic<bool> &stop, const TurnReports &reports)
{
    if (lanes.size() == 1)
        return ProcessOnThisThread(paths, *lanes.front(), stop, reports);
    return ParallelTurns(paths, lanes.size()).Run(lanes, stop, reports);
}
