#include "App.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace orvane::App {
namespace {
std::string& Override() {
    static std::string folder;
    return folder;
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path();
    return exe.parent_path();
}

// Writable and searchable by this user, as the kernel decides (so a
// read-only mount or a folder owned by root counts as not writable).
bool HoldsWritableDatabaseFolder(const std::filesystem::path& folder) {
    const auto database = folder / "Database";
    std::error_code ec;
    return std::filesystem::is_directory(database, ec) && ::access(database.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return std::filesystem::current_path();
}
}  // namespace

std::string Path() {
    if (!Override().empty()) return Override();
    const auto folder = ExecutableFolder();
    if (HoldsWritableDatabaseFolder(folder)) return folder.string();
    return UserDataFolder();
}

std::string UserDataFolder() {
    // Relative values are invalid by the XDG base directory rules: ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return (std::filesystem::path(data) / "orvane").lexically_normal().string();
    return (HomeFolder() / ".local" / "share" / "orvane").lexically_normal().string();
}

std::string SharedDataFolder() {
    // A build folder or a copied program folder carries its own lists.
    const auto folder = ExecutableFolder();
    std::error_code ec;
    if (std::filesystem::is_directory(folder / "Lists", ec) && std::filesystem::is_directory(folder / "Documents", ec))
        return folder.string();
    return (folder / ".." / "share" / "orvane").lexically_normal().string();
}

void SetPath(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    Override() = std::move(folder);
}

std::string NativePath(std::string path) {
    // The application folder's own name may hold a backslash: only the
    // fixed relative path after it is the program's "\"-separated text.
    const std::string folder = Path();
    std::size_t from = 0;
    if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
        (path[folder.size()] == '\\' || path[folder.size()] == '/'))
        from = folder.size();
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(from), path.end(), '\\', '/');
    return path;
}

}  // namespace orvane::App
