#pragma once

// Engine helpers shared by Connection, Recordset and Command. Internal to
// the database layer: the tiers above never include sqlite3.h.

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace orvane::adodb::detail {

// Raises orvane::Error with the engine's extended result code and message
// for the last failure on db, followed by what was being done.
[[noreturn]] void ThrowEngineError(sqlite3* db, std::string_view context);
[[noreturn]] void ThrowEngineError(sqlite3* db, int code, std::string_view context);

// The name to give the engine for a file path. The engine reads names that
// begin with "file:" as URIs, whose options could create or redirect the
// file; such a path is made explicitly relative so it names a file.
std::string EngineFileName(const std::string& path);

// How much of a statement goes into an error description.
std::string Excerpt(std::string_view sql);

// Owns one prepared statement; finalizes it when released.
class Statement {
public:
    Statement() = default;
    explicit Statement(sqlite3_stmt* stmt) noexcept : stmt_(stmt) {}
    Statement(Statement&& other) noexcept : stmt_(other.stmt_) { other.stmt_ = nullptr; }
    Statement& operator=(Statement&& other) noexcept {
        if (this != &other) {
            Reset(other.stmt_);
            other.stmt_ = nullptr;
        }
        return *this;
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { Reset(); }

    sqlite3_stmt* get() const noexcept { return stmt_; }
    sqlite3_stmt* release() noexcept {
        sqlite3_stmt* s = stmt_;
        stmt_ = nullptr;
        return s;
    }
    void Reset(sqlite3_stmt* stmt = nullptr) noexcept {
        if (stmt_) sqlite3_finalize(stmt_);
        stmt_ = stmt;
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// Prepares exactly one statement. Text after it other than blanks and ";"
// is refused, as the program's engine accepts one statement per call.
// context ("in statement: ...") goes into the description of a failure.
Statement PrepareSingle(sqlite3* db, std::string_view sql, std::string_view context);

// Steps a statement until it is done, discarding rows.
void RunToCompletion(sqlite3* db, sqlite3_stmt* stmt, std::string_view context);

}  // namespace orvane::adodb::detail
