#pragma once

#include <QString>

// The single-instance lock in place of a named mutex: an advisory lock
// (flock) on a file named after the mutex in $XDG_RUNTIME_DIR, or the temp
// folder when that is unset. The lock goes with the process or with
// Release; the file itself is never removed, so a second instance can
// never take a lock file away from the first.
class TSingleInstanceLock {
public:
    TSingleInstanceLock() = default;
    ~TSingleInstanceLock() { Release(); }
    TSingleInstanceLock(const TSingleInstanceLock&) = delete;
    TSingleInstanceLock& operator=(const TSingleInstanceLock&) = delete;

    enum TResult { lrTaken, lrAlreadyExists, lrFailed };

    // Takes the lock named `name` (in `dir`, or the default folder when
    // empty). lrAlreadyExists: another process holds it (nothing is kept);
    // lrFailed: the file could not be opened (no lock, as a mutex that
    // could not be created).
    TResult Acquire(const QString& name, const QString& dir = {});
    void Release();
    // The handle: 0 when no lock is held.
    int Handle() const { return fd_ < 0 ? 0 : fd_; }

    static QString LockPath(const QString& name, const QString& dir = {});

private:
    int fd_ = -1;
};
