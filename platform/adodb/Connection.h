#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "adodb/SqlDialect.h"
#include "core/Variant.h"

struct sqlite3;
struct sqlite3_stmt;

namespace orvane::adodb {

namespace detail {
class AccessGuard;
}

inline constexpr std::int32_t adStateClosed = 0;
inline constexpr std::int32_t adStateOpen = 1;
inline constexpr std::int32_t adOpenForwardOnly = 0;
inline constexpr std::int32_t adLockReadOnly = 1;
inline constexpr std::int32_t adOptionUnspecified = -1;

// A connection to one database file, opened from a connection string such as
// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\x\Addressbook.mdb;".
// The provider maps to the embedded SQLite engine. Errors are orvane::Error.
// Result sets read through the connection's engine handle: keep the
// connection open while a Recordset made on it is still reading. Every
// connection runs with synchronous=EXTRA, the engine's defensive settings,
// an authorizer over what the file's own SQL may do, and the time limit of
// WorkLimits.h (see AccessGuard.h).
class Connection {
public:
    Connection();
    ~Connection();  // closes an open connection
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    std::int32_t State() const noexcept;
    const std::string& ConnectionString() const noexcept { return connectionString_; }
    void SetConnectionString(std::string connectionString);

    // An empty connectionString uses the stored one. Never creates a file.
    void Open(const std::string& connectionString = {}, const std::string& userId = {},
              const std::string& password = {}, std::int32_t options = adOptionUnspecified);
    void Close();

    // Runs a statement; any rows it returns are discarded.
    void Execute(const std::string& commandText, std::int32_t options = adOptionUnspecified);
    // The same with texts bound to ?1, ?2 ... (a large value never becomes
    // part of the statement's text).
    void Execute(const std::string& commandText, const std::vector<std::string_view>& texts);

    // Runs one CREATE TABLE or CREATE INDEX statement that makes the object
    // named: with AlterTable, the only changes of the database's structure a
    // connection lets through (Execute refuses CREATE, DROP, ALTER and the like).
    void CreateObject(const std::string& statement, const std::string& objectName);
    // Runs one ALTER TABLE statement (a column added) on the table named.
    void AlterTable(const std::string& statement, const std::string& tableName);

    // A transaction begun as the writer (no other connection writes until
    // it ends, and what is read inside it sees every write committed
    // before). Everything inside it is one operation for the time limit:
    // the database file's own work in it shares one budget. Closing the
    // connection without a commit rolls it back.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const;

    // For Recordset and Command: the open engine handle (error when closed).
    sqlite3* Handle() const;
    // Translates a statement from the program's dialect to the engine's.
    std::string Translate(const std::string& commandText) const;
    // For Recordset and Command: what the engine may do on this connection,
    // and the time budget of the operation under way.
    detail::AccessGuard& Guard() const;
    // For Recordset and Command: a statement that would write into a file
    // known to be damaged raises an error instead.
    void RefuseWriteIfDamaged(sqlite3_stmt* stmt) const;

private:
    void EndTrans(const char* sql, std::string_view context);
    // Brings the column types up to date with the open database.
    void LoadColumnTypes() const;

    std::string connectionString_;
    std::string path_;  // the open database file, for error descriptions
    sqlite3* db_ = nullptr;
    std::unique_ptr<detail::AccessGuard> guard_;  // released before the handle
    // What each column name (lower case) holds, as of schema version
    // columnTypesVersion_, for the translation of "+".
    mutable std::unordered_map<std::string, SqlType> columnTypes_;
    mutable long long columnTypesVersion_ = -1;
};

}  // namespace orvane::adodb
