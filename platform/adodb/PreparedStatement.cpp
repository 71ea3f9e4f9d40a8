#include "adodb/PreparedStatement.h"

#include "adodb/AccessGuard.h"
#include "adodb/SqliteSupport.h"
#include "adodb/StatementLog.h"

namespace orvane::adodb {

PreparedStatement::PreparedStatement(Connection& cnn, const std::string& commandText) : cnn_(cnn) {
    NotifyStatement(StatementRecord{commandText, false, {}});
    sqlite3* db = cnn.Handle();
    detail::AccessGuard& guard = cnn.Guard();
    context_ = "in statement: " + detail::Excerpt(commandText);
    guard.ForgetFileSql();
    detail::Statement stmt = detail::PrepareSingle(db, cnn.Translate(commandText), context_);
    cnn.RefuseWriteIfDamaged(stmt.get());
    fileWork_ = guard.SawFileSql();
    clock_ = guard.Clock();
    stmt_ = stmt.release();
}

PreparedStatement::~PreparedStatement() {
    if (stmt_) sqlite3_finalize(stmt_);
}

void PreparedStatement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) detail::ThrowEngineError(cnn_.Handle(), context_);
}

void PreparedStatement::BindText(int index, std::string_view text) {
    if (sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) != SQLITE_OK)
        detail::ThrowEngineError(cnn_.Handle(), context_);
}

void PreparedStatement::BindBlob(int index, std::string_view bytes) {
    if (sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT) != SQLITE_OK)
        detail::ThrowEngineError(cnn_.Handle(), context_);
}

bool PreparedStatement::Step() {
    if (!running_) {
        cnn_.Guard().StartOperation();
        running_ = true;
    }
    int rc;
    {
        const detail::EngineCall call(*clock_, fileWork_);
        rc = sqlite3_step(stmt_);
    }
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) {
        sqlite3_reset(stmt_);
        running_ = false;
        detail::ThrowEngineError(cnn_.Handle(), rc, context_);
    }
    return false;
}

bool PreparedStatement::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

std::int64_t PreparedStatement::Int64(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string_view PreparedStatement::Bytes(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
    return data ? std::string_view(static_cast<const char*>(data), size) : std::string_view();
}

void PreparedStatement::Run() {
    while (Step()) {
    }
    Reset();
}

void PreparedStatement::Reset() {
    sqlite3_reset(stmt_);
    running_ = false;
}

}  // namespace orvane::adodb
