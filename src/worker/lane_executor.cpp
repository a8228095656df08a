#include "worker/lane_executor.h"

#include <QElapsedTimer>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace
{

// Each workbook's result in its list position, put there when its save is
// complete, by whichever thread completed it.
class TurnResults
{
  public:
    TurnResults(const QStringList &paths, const TurnEnds &turnEnds)
        : paths_(paths), turnEnds_(turnEnds), results_(static_cast<size_t>(paths.size()))
    {
    }

    // Called as the workbook's turn starts.
    WorkbookFinished For(size_t position)
    {
        QElapsedTimer clock;
        clock.start();
        return [this, position, clock](const WorkbookResult &result) {
            std::lock_guard<std::mutex> lock(mutex_);
            results_[position] = result;
            ++arrivedCount_;
            turnEnds_(static_cast<int>(arrivedCount_), paths_[static_cast<int>(position)], result,
                      clock.elapsed() / 1000.0);
            // Under the lock: with the last result in, the run may end and
            // take this object with it.
            resultArrived_.notify_all();
        };
    }

    // The results of the first `dealt` workbooks, once all have arrived.
    std::vector<WorkbookResult> Collect(size_t dealt)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        resultArrived_.wait(lock, [this, dealt] { return arrivedCount_ == dealt; });
        results_.resize(dealt);
        return std::move(results_);
    }

  private:
    const QStringList &paths_;
    const TurnEnds &turnEnds_;
    std::mutex mutex_;
    std::condition_variable resultArrived_;
    std::vector<WorkbookResult> results_;
    size_t arrivedCount_ = 0;
};

std::vector<WorkbookResult> ProcessOnThisThread(const QStringList &paths, RunLane &lane,
                                                const std::atomic<bool> &stop,
                                                const TurnStarts &turnStarts,
                                                const TurnEnds &turnEnds)
{
    TurnResults results(paths, turnEnds);
    size_t dealt = 0;
    for (; dealt < static_cast<size_t>(paths.size()) && !stop; ++dealt) {
        const QString &path = paths[static_cast<int>(dealt)];
        turnStarts(path);
        lane.Process(path, results.For(dealt));
    }
    return results.Collect(dealt);
}

// The calling thread deals out list positions; each lane's thread takes the
// next one dealt whenever it is free.
class ParallelTurns
{
  public:
    ParallelTurns(const QStringList &paths, size_t laneCount, const TurnEnds &turnEnds)
        : paths_(paths), results_(paths, turnEnds), freeLanes_(laneCount)
    {
    }

    std::vector<WorkbookResult> Run(const std::vector<RunLane *> &lanes,
                                    const std::atomic<bool> &stop, const TurnStarts &turnStarts)
    {
        std::vector<std::thread> threads;
        for (RunLane *lane : lanes)
            threads.emplace_back(&ParallelTurns::Serve, this, std::ref(*lane));
        size_t dealt = 0;
        while (dealt < static_cast<size_t>(paths_.size())) {
            WaitForFreeLane();
            if (stop)
                break;
            turnStarts(paths_[static_cast<int>(dealt)]);
            Deal(dealt++);
        }
        CloseDealing();
        for (std::thread &thread : threads)
            thread.join();
        return results_.Collect(dealt);
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

std::vector<WorkbookResult> ProcessInLanes(const QStringList &paths,
                                           const std::vector<RunLane *> &lanes,
                                           const std::atomic<bool> &stop,
                                           const TurnStarts &turnStarts, const TurnEnds &turnEnds)
{
    if (lanes.size() == 1)
        return ProcessOnThisThread(paths, *lanes.front(), stop, turnStarts, turnEnds);
    return ParallelTurns(paths, lanes.size(), turnEnds).Run(lanes, stop, turnStarts);
}
