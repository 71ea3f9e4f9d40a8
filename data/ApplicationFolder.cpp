#include "ApplicationFolder.h"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "AddressbookSchema.h"
#include "adodb/ErrorNumbers.h"
#include "core/App.h"
#include "core/Error.h"

namespace fs = std::filesystem;

namespace ApplicationFolder {
namespace {

[[noreturn]] void ThrowAccessError(const std::string& what, const fs::path& path, const std::error_code& ec) {
    throw orvane::Error(orvane::adodb::aderr::PathFileAccess,
                        "Path/File access error: cannot " + what + " '" + path.string() + "': " + ec.message());
}

bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The database is built under a temporary name and linked into place only
// when complete: an interrupted first start leaves no half-made database,
// and a second copy of the program starting at the same moment never
// replaces the file the first one made.
void CreateDatabaseOnce(const fs::path& file) {
    if (Exists(file)) return;
    const fs::path building = file.string() + ".new-" + std::to_string(::getpid());
    std::error_code ec;
    fs::remove(building, ec);
    AddressbookSchema::CreateDatabase(building.string());
    fs::create_hard_link(building, file, ec);
    if (ec == std::errc::operation_not_supported || ec == std::errc::operation_not_permitted) {
        ec.clear();
        if (!Exists(file)) fs::rename(building, file, ec);
    }
    std::error_code ignored;
    fs::remove(building, ignored);
    if (ec && ec != std::errc::file_exists) ThrowAccessError("create the database", file, ec);
}

// A link that leads nowhere (the program it came with was removed or
// moved) is made again; anything else there is the user's and is kept. With
// no installed copy to lead to, no link is made: the missing file is then
// reported when the program reads it.
void LinkOnce(const fs::path& target, const fs::path& link) {
    std::error_code ec;
    if (!fs::is_directory(target, ec)) return;
    if (Exists(link)) {
        if (!fs::is_symlink(fs::symlink_status(link, ec)) || fs::exists(link, ec)) return;
        fs::remove(link, ec);
    }
    fs::create_directory_symlink(target, link, ec);
    if (ec && ec != std::errc::file_exists) ThrowAccessError("link", link, ec);
}

}  // namespace

void Prepare() {
    const fs::path folder = orvane::App::Path();
    if (folder != fs::path(orvane::App::UserDataFolder())) return;
    std::error_code ec;
    fs::create_directories(folder / "Database", ec);
    if (ec) ThrowAccessError("create the folder", folder / "Database", ec);
    CreateDatabaseOnce(folder / "Database" / "Addressbook.mdb");
    const fs::path shared = orvane::App::SharedDataFolder();
    for (const char* name : {"Lists", "Documents"}) LinkOnce(shared / name, folder / name);
}

}  // namespace ApplicationFolder
