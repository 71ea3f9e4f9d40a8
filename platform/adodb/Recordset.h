#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "adodb/Connection.h"
#include "core/Variant.h"

struct sqlite3_stmt;

namespace orvane::adodb {

// A forward-only, read-only result set.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void Open(const std::string& source, Connection& activeConnection,
              std::int32_t cursorType = adOpenForwardOnly, std::int32_t lockType = adLockReadOnly,
              std::int32_t options = adOptionUnspecified);
    void Close();
    std::int32_t State() const noexcept;

    // Both true when the result has no rows.
    bool BOF() const;
    bool Eof() const;

    // All remaining rows (rows = -1) as a fields x rows array, lower bounds 0.
    Variant GetRows(std::int32_t rows = -1);

private:
    sqlite3_stmt* stmt_ = nullptr;
    bool bof_ = true;
    bool eof_ = true;
    bool started_ = false;
};

}  // namespace orvane::adodb
