#include "ui/run_tally.h"

#include "ui/failure_reasons.h"
#include "worker/status_texts.h"

#include <QCoreApplication>

namespace
{

QString TroubleText(WorkbookOutcome outcome, const QString &reason)
{
    if (outcome == WorkbookOutcome::Failed)
        return ReasonInWindowLanguage(reason);
    if (reason.isEmpty())
        return RunTally::tr("未改动：没有需要修改的内容（如没有指定名称的表）");
    return RunTally::tr("未改动：%1").arg(ReasonInWindowLanguage(reason));
}

} // namespace

void RunTally::Start(int total)
{
    *this = RunTally();
    total_ = total;
    clock_.start();
}

void RunTally::Finish(const QString &path, WorkbookOutcome outcome, const QString &reason)
{
    ++finished_;
    ended_.insert(path);
    if (outcome == WorkbookOutcome::Done)
        return;
    if (outcome == WorkbookOutcome::Failed)
        ++failed_;
    else
        ++unchanged_;
    troubles_ << WorkbookTrouble{path, TroubleText(outcome, reason), reason};
}

QString RunTally::ProgressText() const
{
    const qint64 elapsed = clock_.isValid() ? clock_.elapsed() / 1000 : 0;
    const QString count = QString::number(finished_);
    const QString total = QString::number(total_);
    if (finished_ == 0 || finished_ >= total_ || runEnded_)
        return tr("%1 / %2    已用 %3").arg(count, total, DurationText(elapsed));
    const qint64 remaining = clock_.elapsed() * (total_ - finished_) / finished_ / 1000;
    return tr("%1 / %2    已用 %3    剩余约 %4")
        .arg(count, total, DurationText(elapsed), DurationText(remaining));
}

QString RunTally::EndText(bool stopped) const
{
    if (total_ == 0)
        return QString();
    const QString counts = OutcomeCountsText(failed_, unchanged_);
    if (!stopped)
        return counts;
    return counts + tr("已停止：其余%1个文件未做改动，见“详情”。").arg(total_ - finished_);
}

QString DurationText(qint64 seconds)
{
    const auto twoDigits = [](qint64 n) { return QString::number(n).rightJustified(2, '0'); };
    const qint64 minutes = seconds / 60;
    if (minutes < 60)
        return QString::number(minutes) + ':' + twoDigits(seconds % 60);
    return QString::number(minutes / 60) + ':' + twoDigits(minutes % 60) + ':' +
           twoDigits(seconds % 60);
}
