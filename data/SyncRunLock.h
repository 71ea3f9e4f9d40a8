#pragma once

#include <string>

// Held by the one sync run of a database file at a time: an flock on the
// file "<database>.sync-lock" beside it, made the first time (and left
// there; it holds nothing). The kernel lets go of the lock when its holder
// ends, however it ends, so a killed run never blocks the next.
class SyncRunLock {
public:
    // Tries to take the lock, without waiting. database: the file; empty for
    // the window's database. Raises orvane::Error when the lock file cannot
    // be made or opened.
    explicit SyncRunLock(const std::string& database);
    ~SyncRunLock();
    SyncRunLock(const SyncRunLock&) = delete;
    SyncRunLock& operator=(const SyncRunLock&) = delete;

    // false: another run holds it.
    bool Held() const noexcept { return held_; }

    static std::string LockFile(const std::string& database);

private:
    int fd_ = -1;
    bool held_ = false;
};
