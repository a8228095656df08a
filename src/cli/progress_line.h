#pragma once
// The progress of a run on standard error. On a terminal one line is
// rewritten in place; elsewhere (a log file, a pipe) plain lines are written,
// no more often than every few seconds, so that a log stays readable.

#include <QTextStream>

#include <functional>

class ProgressLine
{
  public:
    using Clock = std::function<double()>; // seconds since the run's start

    ProgressLine(QTextStream &err, bool terminal, Clock clock);

    void Start(int total);
    void Update(int finished);
    // Takes the line off a terminal so that other output starts on a clean
    // line; call Update() again after writing.
    void Clear();
    // Leaves the final state: the last plain line, or nothing on a terminal.
    void Finish();

  private:
    void WritePlain(double now);

    QTextStream &err_;
    bool terminal_;
    Clock clock_;
    int total_ = 0;
    int finished_ = 0;
    bool shown_ = false;
    double lastPlainAt_ = -1;
    int lastPlainFinished_ = -1;
};
