#include "adodb/Recordset.h"

#include <algorithm>
#include <climits>

#include "adodb/AccessGuard.h"
#include "adodb/ErrorNumbers.h"
#include "adodb/SqliteSupport.h"
#include "adodb/StatementLog.h"
#include "adodb/WorkLimits.h"
#include "core/Error.h"
#include "core/TextArena.h"

namespace orvane::adodb {
namespace {

[[noreturn]] void ThrowTooLarge(const std::string& source, std::size_t budget) {
    throw Error(aderr::OutOfMemory, "Out of memory: the rows of \"" + detail::Excerpt(source) + "\" need more than " +
                                         std::to_string(budget >> 20) +
                                         " MB, more than an address list can hold; the database file may be damaged or altered.");
}

[[noreturn]] void ThrowOverflow(sqlite3_stmt* stmt, int column, sqlite3_int64 value) {
    const char* name = sqlite3_column_name(stmt, column);
    throw Error(errnum::Overflow, "Overflow: the value " + std::to_string(value) + " of column '" +
                                      std::string(name ? name : "?") + "' does not fit in a 32-bit integer.");
}

// Rows after which a result is taken to be long (a list, not a record).
constexpr std::int32_t kManyRows = 1024;

}  // namespace

Recordset::Recordset() = default;

Recordset::~Recordset() {
    if (stmt_) sqlite3_finalize(stmt_);
}

void Recordset::Open(const std::string& source, Connection& activeConnection, std::int32_t /*cursorType*/,
                     std::int32_t /*lockType*/, std::int32_t /*options*/) {
    if (stmt_) throw Error(aderr::ObjectOpen, "Operation is not allowed when the object is open.");
    NotifyStatement(StatementRecord{source, false, {}});
    sqlite3* db = activeConnection.Handle();
    detail::AccessGuard& guard = activeConnection.Guard();
    guard.StartOperation();
    const std::string sql = activeConnection.Translate(source);
    const std::string context = "in statement: " + detail::Excerpt(source);
    guard.ForgetFileSql();
    detail::Statement stmt = detail::PrepareSingle(db, sql, context);
    activeConnection.RefuseWriteIfDamaged(stmt.get());
    const bool fileWork = guard.SawFileSql();
    std::shared_ptr<detail::WorkClock> clock = guard.Clock();

    int rc;
    {
        const detail::EngineCall call(*clock, fileWork);
        rc = sqlite3_step(stmt.get());
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) detail::ThrowEngineError(db, context);
    const bool empty = rc == SQLITE_DONE;

    db_ = db;
    stmt_ = stmt.release();
    clock_ = std::move(clock);
    fileWork_ = fileWork;
    source_ = source;
    bof_ = empty;
    eof_ = empty;
}

void Recordset::Close() {
    RequireOpen();
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    db_ = nullptr;
    clock_.reset();
    bof_ = eof_ = true;
}

int Recordset::Step() {
    const detail::EngineCall call(*clock_, fileWork_);
    return sqlite3_step(stmt_);
}

std::int32_t Recordset::State() const noexcept { return stmt_ ? adStateOpen : adStateClosed; }

void Recordset::RequireOpen() const {
    if (!stmt_) throw Error(aderr::ObjectClosed, "Operation is not allowed when the object is closed.");
}

bool Recordset::BOF() const {
    RequireOpen();
    return bof_;
}

bool Recordset::Eof() const {
    RequireOpen();
    return eof_;
}

Variant Recordset::GetRows(std::int32_t rows) {
    RequireOpen();
    if (rows == 0 || rows < -1)
        throw Error(aderr::InvalidArgument,
                    "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.");
    if (eof_)
        throw Error(aderr::NoCurrentRecord,
                    "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires "
                    "a current record.");

    sqlite3_stmt* stmt = stmt_;
    const int fields = sqlite3_column_count(stmt);
    VariantArray::Elements values;
    // Texts go straight from the engine's buffer into shared blocks: one
    // copy per text, no heap block of its own.
    TextArena texts;

    // The statement stands on an unread row: read it, then step on. The
    // memory handed out is counted, so an endless or huge result stops.
    const std::size_t budget = CurrentWorkLimits().rowsBytes;
    std::size_t used = 0;
    std::int32_t count = 0;
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW && (rows < 0 || count < rows)) {
        for (int c = 0; c < fields; ++c) {
            // The column's value is looked up once and read through the value
            // calls, which skip the per-call lookup of the column calls.
            // Safe here: the connection is used by one thread at a time.
            sqlite3_value* value = sqlite3_column_value(stmt, c);
            switch (sqlite3_value_type(value)) {
                case SQLITE_INTEGER: {
                    const sqlite3_int64 v = sqlite3_value_int64(value);
                    if (v < INT32_MIN || v > INT32_MAX) ThrowOverflow(stmt, c, v);
                    values.emplace_back(static_cast<std::int32_t>(v));
                    break;
                }
                case SQLITE_NULL:
                    values.push_back(Variant::Null());
                    break;
                default: {
                    // Text as stored; numbers with a fraction and blobs read as text too.
                    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
                    const auto size = static_cast<std::size_t>(sqlite3_value_bytes(value));
                    used += size;
                    if (used > budget) ThrowTooLarge(source_, budget);
                    values.push_back(texts.Add(text ? std::string_view(text, size) : std::string_view()));
                    break;
                }
            }
        }
        used += sizeof(Variant) * static_cast<std::size_t>(fields);
        if (used > budget) ThrowTooLarge(source_, budget);
        if (count == INT32_MAX)
            throw Error(errnum::Overflow, "Overflow: the result has more rows than one array can hold.");
        ++count;
        // A long result: the rest of the values' first block at once.
        if (count == kManyRows) values.ExpectMany();
        rc = Step();
    }
    if (rc == SQLITE_DONE) {
        eof_ = true;
    } else if (rc != SQLITE_ROW) {
        detail::ThrowEngineError(db_, "reading the rows of: " + detail::Excerpt(source_));
    }
    bof_ = false;
    return Variant(VariantArray(fields, count, std::move(values)));
}

}  // namespace orvane::adodb
