#pragma once

#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>

namespace orvane::test {

// Where tests make their folders: memory (/dev/shm) when it has room, else
// the system's temp folder. Every commit of the program syncs the file to
// disk, which costs tests seconds and shows nothing a killed process could
// not; the files are real files either way. Small memory file systems
// (a container's 64 MB) are passed over: some tests write large files.
inline std::filesystem::path ScratchRoot() {
    static const std::filesystem::path root = [] {
        constexpr unsigned long long kRoomNeeded = 2ULL << 30;
        struct statvfs room {};
        const char* shm = "/dev/shm";
        if (access(shm, W_OK | X_OK) == 0 && statvfs(shm, &room) == 0 &&
            static_cast<unsigned long long>(room.f_bavail) * room.f_frsize >= kRoomNeeded)
            return std::filesystem::path(shm);
        return std::filesystem::temp_directory_path();
    }();
    return root;
}

}  // namespace orvane::test
