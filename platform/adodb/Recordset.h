#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "adodb/Connection.h"
#include "core/Variant.h"

struct sqlite3;
struct sqlite3_stmt;

namespace orvane::adodb {

namespace detail {
class WorkClock;
}

// A forward-only, read-only result set. It reads through the connection it
// was opened on, which must stay open until the result set is closed or
// released (a connection closed early keeps the engine's handle alive only
// until the statement is finalized, so nothing dangles).
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs source on the connection and stands on the first row. Only
    // forward-only, read-only results exist; the cursor and lock types are
    // accepted for the callers' sake.
    void Open(const std::string& source, Connection& activeConnection,
              std::int32_t cursorType = adOpenForwardOnly, std::int32_t lockType = adLockReadOnly,
              std::int32_t options = adOptionUnspecified);
    void Close();
    std::int32_t State() const noexcept;

    // Both true when the result has no rows.
    bool BOF() const;
    bool Eof() const;

    // All remaining rows (rows = -1), or at most rows rows, as a fields x
    // rows array, lower bounds 0. Integers come as 32-bit integers, null as
    // null, everything else as text. Values that would need more memory
    // than the work limits allow (WorkLimits.h) raise an error instead.
    Variant GetRows(std::int32_t rows = -1);

private:
    void RequireOpen() const;

    // Steps the statement, timed by the connection's clock.
    int Step();

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    std::shared_ptr<detail::WorkClock> clock_;
    bool fileWork_ = false;  // the statement runs a view or trigger of the file
    std::string source_;  // for error descriptions
    bool bof_ = true;
    bool eof_ = true;
};

}  // namespace orvane::adodb
