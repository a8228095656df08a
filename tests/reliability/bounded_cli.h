#pragma once
// sheetwright-cli as a child process under bounds: a time limit after which
// it counts as hung, an address-space limit (ulimit -v) for memory, and a
// way to kill it at any moment, as a crash or a power cut would.

#include <QProcess>
#include <QString>
#include <QStringList>

struct BoundedRun {
    bool finished = false; // ended by itself within the time limit
    int exitCode = -1;
    QString output;
    QString errors;
    qint64 milliseconds = 0;
};

class CliChild
{
  public:
    // memoryLimitKiB 0: no limit (sanitizer builds reserve far more address
    // space than they use, so they run without one).
    void Start(const QStringList &arguments, qint64 memoryLimitKiB = 0);
    // SIGKILL: no handler, no clean-up, as in a crash.
    void Kill();
    BoundedRun Wait(int timeoutMs);

  private:
    QProcess process_;
};

BoundedRun RunCliBounded(const QStringList &arguments, int timeoutMs, qint64 memoryLimitKiB = 0);

// The address-space limit this build's children can run under; 0 under ASan.
qint64 MemoryLimitForThisBuild(qint64 wantedKiB);
