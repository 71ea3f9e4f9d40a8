#include "adodb/DatabaseCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "adodb/AccessGuard.h"
#include "adodb/Connection.h"
#include "adodb/DamagedFiles.h"
#include "adodb/ErrorNumbers.h"
#include "adodb/SqliteSupport.h"
#include "core/Error.h"

namespace orvane::adodb {
namespace {

std::string ConnectionStringFor(const std::string& path, bool readOnly) {
    // Quoted, so any folder name reads back as it is.
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + quoted + (readOnly ? ";Mode=Read;" : ";");
}

}  // namespace

void QuickCheckDatabase(const std::string& path) {
    Connection connection;
    connection.Open(ConnectionStringFor(path, true));
    sqlite3* db = connection.Handle();
    const std::string context = "checking the database '" + path + "'";
    // The check reads every page (0.2 to 0.5 s for a million addresses): it
    // gets far more time than one operation of the window.
    connection.Guard().StartOperation(std::chrono::minutes(10));
    detail::Statement stmt = detail::PrepareSingle(db, "PRAGMA quick_check(1)", context);
    int rc;
    std::string verdict;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
        if (verdict.empty() && text) verdict = text;
    }
    if (rc != SQLITE_DONE) detail::ThrowEngineError(db, context);
    if (verdict != "ok") {
        MarkDatabaseDamaged(path);
        throw Error(SQLITE_CORRUPT, "The database file '" + path + "' is damaged (" + verdict + ")." + DamageAdvice(path));
    }
}

void CopyDatabase(const std::string& path, const std::string& destination) {
    std::error_code ec;
    Connection source;
    source.Open(ConnectionStringFor(path, true));

    // Made here, exclusively and never through a link, with the permissions
    // of the database (the engine gives its journal the same): a copy of a
    // private file is private from its first byte.
    struct stat original {};
    if (::stat(path.c_str(), &original) != 0) original.st_mode = 0644;
    const int fd = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          original.st_mode & 0666);
    if (fd < 0) {
        const int err = errno;
        if (err == EEXIST) throw Error(aderr::FileAlreadyExists, "File already exists: '" + destination + "'.");
        throw Error(aderr::PathFileAccess,
                    "Path/File access error: cannot create '" + destination + "': " + std::strerror(err));
    }
    ::close(fd);

    sqlite3* raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(detail::EngineFileName(destination).c_str(), &raw, flags, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> target(raw, sqlite3_close_v2);
    const std::string context = "copying '" + path + "' to '" + destination + "'";
    try {
        if (rc != SQLITE_OK) detail::ThrowEngineError(target.get(), rc, context);
        sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", source.Handle(), "main");
        if (!backup) detail::ThrowEngineError(target.get(), context);
        rc = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE) detail::ThrowEngineError(target.get(), rc, context);
        if (sqlite3_close(target.release()) != SQLITE_OK)
            throw Error(aderr::PathFileAccess, "Path/File access error: " + context);
    } catch (...) {
        target.reset();
        std::filesystem::remove(destination + "-journal", ec);
        std::filesystem::remove(destination, ec);
        throw;
    }
}

}  // namespace orvane::adodb
