#include "SyncRunLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "CDataTransferTier.h"
#include "core/App.h"
#include "core/Error.h"

namespace {
// The number of an error opening the lock file (the engine's "unable to open").
constexpr int kCannotOpen = 14;
}  // namespace

std::string SyncRunLock::LockFile(const std::string& database) {
    const std::string path = database.empty() ? orvane::App::NativePath(CDataTransferTier::DefaultDatabase()) : database;
    // One lock file however the database is named (relative, through a link).
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return (ec ? path : canonical.string()) + ".sync-lock";
}

SyncRunLock::SyncRunLock(const std::string& database) {
    const std::string path = LockFile(database);
    // Private like the database; O_NOFOLLOW: a link planted in its place is not followed.
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0)
        throw orvane::Error(kCannotOpen, "The sync lock file '" + path + "' cannot be opened (" +
                                             std::strerror(errno) + "). Check that the database's folder can be written.");
    int taken = -1;
    do taken = ::flock(fd_, LOCK_EX | LOCK_NB);
    while (taken != 0 && errno == EINTR);
    held_ = taken == 0;
}

SyncRunLock::~SyncRunLock() {
    if (fd_ >= 0) ::close(fd_);
}
