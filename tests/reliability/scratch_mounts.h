#pragma once
// Small file systems made for one test: a tmpfs of a given size (a disk that
// fills up) that can be turned read-only. Mounting needs root; where it is
// not allowed, Mount() fails and the test says so and skips.

#include <QString>

class ScratchMount
{
  public:
    explicit ScratchMount(const QString &folder) : folder_(folder) {}
    ~ScratchMount();
    ScratchMount(const ScratchMount &) = delete;
    ScratchMount &operator=(const ScratchMount &) = delete;

    bool Mount(qint64 sizeBytes);
    bool MakeReadOnly();

  private:
    QString folder_;
    bool mounted_ = false;
};
