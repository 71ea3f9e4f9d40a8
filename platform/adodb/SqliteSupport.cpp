#include "adodb/SqliteSupport.h"

#include <climits>

#include "adodb/AccessGuard.h"
#include "adodb/DamagedFiles.h"
#include "adodb/ErrorNumbers.h"
#include "core/Error.h"

namespace orvane::adodb::detail {

namespace {

// The cause of a failure in words, for the codes a user meets; empty when
// the engine's own message says enough.
std::string Cause(int primary, const std::string& file) {
    switch (primary) {
        case SQLITE_READONLY:
            return "The database file '" + file +
                   "' cannot be written: the file or its folder is read-only for this user, or another program "
                   "holds it read-only";
        case SQLITE_FULL: return "No space left on device while writing the database file '" + file + "'";
        case SQLITE_IOERR: return "The disk failed while reading or writing the database file '" + file + "'";
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return "The database file '" + file + "' is locked by another program";
        case SQLITE_PERM: return "This user may not open the database file '" + file + "'";
        default: return {};
    }
}

}  // namespace

void ThrowEngineError(sqlite3* db, int code, std::string_view context) {
    std::string description = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    const int primary = code & 0xff;
    const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
    const std::string file = name ? name : "";
    if (primary == SQLITE_AUTH || primary == SQLITE_INTERRUPT || primary == SQLITE_ERROR) {
        // The guard of the connection says why it refused or stopped.
        if (std::string reason = TakeGuardMessage(); !reason.empty()) description = std::move(reason);
    } else if ((primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) && !file.empty()) {
        MarkDatabaseDamaged(file);
        description = "The database file '" + file + "' is damaged (" + description + "); nothing more is written to it." +
                      DamageAdvice(file);
    } else if (!file.empty()) {
        if (std::string cause = Cause(primary, file); !cause.empty()) description = cause + " (" + description + ")";
    }
    // Every failure names the file it concerns (the guard's reasons name it
    // as the connection was given it).
    if (!file.empty() && description.find(file) == std::string::npos &&
        description.find("the database file '") == std::string::npos)
        description += " (database file '" + file + "')";
    if (!context.empty()) {
        description += " (";
        description += context;
        description += ')';
    }
    throw Error(code, std::move(description));
}

void ThrowEngineError(sqlite3* db, std::string_view context) {
    ThrowEngineError(db, db ? sqlite3_extended_errcode(db) : SQLITE_ERROR, context);
}

std::string EngineFileName(const std::string& path) {
    if (path.size() >= 5 && sqlite3_strnicmp(path.c_str(), "file:", 5) == 0) return "./" + path;
    return path;
}

std::string Excerpt(std::string_view sql) {
    constexpr std::size_t limit = 200;
    if (sql.size() <= limit) return std::string(sql);
    return std::string(sql.substr(0, limit)) + "...";
}

Statement PrepareSingle(sqlite3* db, std::string_view sql, std::string_view context) {
    if (sql.size() > static_cast<std::size_t>(INT_MAX))
        throw Error(aderr::InvalidArgument, "The statement is too long for the database engine.");
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, &tail);
    Statement stmt(raw);
    if (rc != SQLITE_OK) ThrowEngineError(db, context);
    if (!stmt.get())
        throw Error(aderr::ErrorsInCommand, "The statement is empty (" + std::string(context) + ")");
    for (const char* p = tail; p && p < sql.data() + sql.size(); ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != ';')
            throw Error(aderr::ErrorsInCommand,
                        "Characters found after end of SQL statement (" + std::string(context) + ")");
    }
    return stmt;
}

void RunToCompletion(sqlite3* db, sqlite3_stmt* stmt, std::string_view context) {
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) ThrowEngineError(db, context);
}

}  // namespace orvane::adodb::detail
