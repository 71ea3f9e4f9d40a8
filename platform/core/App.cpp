#include "App.h"

#include <algorithm>
#include <filesystem>

namespace orvane::App {
namespace {
std::string& Override() {
    static std::string folder;
    return folder;
}
}  // namespace

std::string Path() {
    if (!Override().empty()) return Override();
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path().string();
    return exe.parent_path().string();
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
