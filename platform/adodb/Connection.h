#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Variant.h"

struct sqlite3;

namespace orvane::adodb {

inline constexpr std::int32_t adStateClosed = 0;
inline constexpr std::int32_t adStateOpen = 1;
inline constexpr std::int32_t adOpenForwardOnly = 0;
inline constexpr std::int32_t adLockReadOnly = 1;
inline constexpr std::int32_t adOptionUnspecified = -1;

// A connection to one database file, opened from a connection string such as
// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\x\Addressbook.mdb;".
// The provider maps to the embedded SQLite engine. Errors are orvane::Error.
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

    // For Recordset and Command: the open engine handle (error when closed).
    sqlite3* Handle() const;
    // Translates a statement from the program's dialect to the engine's.
    std::string Translate(const std::string& commandText) const;

private:
    std::string connectionString_;
    sqlite3* db_ = nullptr;
};

}  // namespace orvane::adodb
