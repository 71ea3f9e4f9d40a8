#include "ApplicationFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

// Makes the folder and any missing folder above it for this user alone
// (0700), as the XDG base directory rules ask; folders already there keep
// their permissions.
void MakePrivateFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return;
    const fs::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder) MakePrivateFolder(parent);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        ThrowAccessError("create the folder", folder, std::error_code(errno, std::generic_category()));
}

// Removes a folder and what is in it when it goes out of scope.
struct RemovedAtEnd {
    fs::path folder;
    ~RemovedAtEnd() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

// The database is built under a temporary name and linked into place only
// when complete: an interrupted first start leaves no half-made database,
// and a second copy of the program starting at the same moment never
// replaces the file the first one made. It is built inside a folder of this
// user alone and made private before it is linked, so no other user can
// open it at any moment (an open file stays readable through a later
// change of its permissions).
void CreateDatabaseOnce(const fs::path& file) {
    if (Exists(file)) return;
    const RemovedAtEnd work{file.string() + ".new-" + std::to_string(::getpid())};
    std::error_code ec;
    fs::remove_all(work.folder, ec);
    if (::mkdir(work.folder.c_str(), 0700) != 0)
        ThrowAccessError("create the folder", work.folder, std::error_code(errno, std::generic_category()));
    const fs::path building = work.folder / file.filename();
    AddressbookSchema::CreateDatabase(building.string());
    // The engine gives the journal the permissions of the database.
    fs::permissions(building, fs::perms::owner_read | fs::perms::owner_write, ec);
    if (ec) ThrowAccessError("protect the database", building, ec);
    fs::create_hard_link(building, file, ec);
    if (ec == std::errc::operation_not_supported || ec == std::errc::operation_not_permitted) {
        ec.clear();
        if (!Exists(file)) fs::rename(building, file, ec);
    }
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
    MakePrivateFolder(folder / "Database");
    CreateDatabaseOnce(folder / "Database" / "Addressbook.mdb");
    const fs::path shared = orvane::App::SharedDataFolder();
    for (const char* name : {"Lists", "Documents"}) LinkOnce(shared / name, folder / name);
}

}  // namespace ApplicationFolder
