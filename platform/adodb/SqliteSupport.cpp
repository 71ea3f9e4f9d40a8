#include "adodb/SqliteSupport.h"

#include <climits>

#include "adodb/AccessGuard.h"
#include "adodb/DamagedFiles.h"
#include "adodb/ErrorNumbers.h"
#include "core/Error.h"

namespace orvane::adodb::detail {

void ThrowEngineError(sqlite3* db, int code, std::string_view context) {
    std::string description = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    const int primary = code & 0xff;
    if (primary == SQLITE_AUTH || primary == SQLITE_INTERRUPT || primary == SQLITE_ERROR) {
        // The guard of the connection says why it refused or stopped.
        if (std::string reason = TakeGuardMessage(); !reason.empty()) description = std::move(reason);
    } else if ((primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) && db) {
        const char* file = sqlite3_db_filename(db, "main");
        if (file && *file) {
            MarkDatabaseDamaged(file);
            description = "The database file '" + std::string(file) + "' is damaged (" + description +
                          "); nothing more is written to it." + DamageAdvice(file);
        }
    }
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
