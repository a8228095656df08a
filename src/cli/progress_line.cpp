#include "cli/progress_line.h"

#include "cli/progress_text.h"

namespace
{

// A plain line at most this often; the first and the last are always written.
constexpr double kPlainLineSeconds = 5;

// Carriage return back to the line's start; the escape erases to its end.
const char kEraseLine[] = "\r\033[K";

} // namespace

ProgressLine::ProgressLine(QTextStream &err, bool terminal, Clock clock)
    : err_(err), terminal_(terminal), clock_(std::move(clock))
{
}

void ProgressLine::Start(int total)
{
    total_ = total;
    Update(0);
}

void ProgressLine::Update(int finished)
{
    finished_ = finished;
    const double now = clock_();
    if (!terminal_) {
        if (lastPlainAt_ < 0 || now - lastPlainAt_ >= kPlainLineSeconds)
            WritePlain(now);
        return;
    }
    err_ << kEraseLine << ProgressText(finished_, total_, now);
    err_.flush();
    shown_ = true;
}

void ProgressLine::Clear()
{
    if (!shown_)
        return;
    err_ << kEraseLine;
    err_.flush();
    shown_ = false;
}

void ProgressLine::Finish()
{
    if (terminal_)
        return Clear();
    if (lastPlainFinished_ != finished_)
        WritePlain(clock_());
}

void ProgressLine::WritePlain(double now)
{
    err_ << ProgressText(finished_, total_, now) << '\n';
    err_.flush();
    lastPlainAt_ = now;
    lastPlainFinished_ = finished_;
}
