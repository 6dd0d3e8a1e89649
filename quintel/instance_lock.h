#pragma once

// A single-instance lock in place of a named mutex: an advisory lock on a
// file named after the mutex in $XDG_RUNTIME_DIR (or the temporary
// folder). The file is left in place; the lock goes with the process.

#include <QString>

class TInstanceLock {
public:
    TInstanceLock() = default;
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // True when this object now holds the lock; false when another holder
    // has it (or the file cannot be opened). Dir empty: the default folder.
    bool Acquire(const QString& Name, const QString& Dir = {});
    void Release();
    bool Held() const { return FFd >= 0; }

    static QString DefaultDir();

private:
    int FFd = -1;
};
