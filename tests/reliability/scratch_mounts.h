#pragma once
// Read-only and full places made for one test. Root ignores permission bits,
// so read-only comes from the immutable attribute or a read-only mount; a
// full disk is a tmpfs of a given size. Mounting needs root; where it or
// chattr is not allowed, the call fails and the test says so and skips.

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

// chattr +i / -i; false where the file system has no such attribute.
bool SetImmutable(const QString &path, bool on);

// Clears the immutable attribute of `path` (when set) however a test ends.
struct ImmutableGuard {
    QString path;
    ~ImmutableGuard()
    {
        if (!path.isEmpty())
            SetImmutable(path, false);
    }
};
