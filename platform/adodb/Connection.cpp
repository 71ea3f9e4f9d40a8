#include "adodb/Connection.h"

#include <filesystem>

#include "adodb/AccessGuard.h"
#include "adodb/ConnectionString.h"
#include "adodb/DamagedFiles.h"
#include "adodb/DialectFunctions.h"
#include "adodb/ErrorNumbers.h"
#include "adodb/SqlDialect.h"
#include "adodb/SqliteSupport.h"
#include "adodb/StatementLog.h"
#include "adodb/WorkLimits.h"
#include "core/Error.h"

namespace orvane::adodb {
namespace {

// A briefly locked file is waited for this long before the lock is reported.
constexpr int kBusyTimeoutMs = 2000;

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// SQLite's affinity rules: a declared type containing INT is an integer,
// else one containing CHAR, CLOB or TEXT holds text.
bool HasTextAffinity(std::string_view declaredType) {
    const std::string type = Lower(declaredType);
    if (type.find("int") != std::string::npos) return false;
    return type.find("char") != std::string::npos || type.find("clob") != std::string::npos ||
           type.find("text") != std::string::npos;
}

long long SchemaVersion(sqlite3* db) {
    detail::Statement stmt = detail::PrepareSingle(db, "PRAGMA schema_version", "reading the database schema");
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW) detail::ThrowEngineError(db, "reading the database schema");
    return sqlite3_column_int64(stmt.get(), 0);
}

[[noreturn]] void ThrowOpenError(sqlite3* db, int code, const std::string& path) {
    std::error_code ec;
    if ((code & 0xff) == SQLITE_CANTOPEN) {
        if (!std::filesystem::exists(detail::EngineFileName(path), ec)) throw Error(code, "Could not find file '" + path + "'.");
        if (std::filesystem::is_directory(detail::EngineFileName(path), ec))
            throw Error(code, "Cannot open '" + path + "' as a database: it is a folder.");
    }
    if ((code & 0xff) == SQLITE_NOTADB || (code & 0xff) == SQLITE_CORRUPT) MarkDatabaseDamaged(path);
    if ((code & 0xff) == SQLITE_NOTADB) throw Error(code, "The file '" + path + "' is not a database.");
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    throw Error(code, message + " (opening '" + path + "')");
}

}  // namespace

Connection::Connection() = default;

Connection::~Connection() {
    guard_.reset();
    if (db_) sqlite3_close_v2(db_);
}

std::int32_t Connection::State() const noexcept { return db_ ? adStateOpen : adStateClosed; }

void Connection::SetConnectionString(std::string connectionString) {
    if (db_) throw Error(aderr::ObjectOpen, "Operation is not allowed when the object is open.");
    connectionString_ = std::move(connectionString);
}

void Connection::Open(const std::string& connectionString, const std::string& /*userId*/,
                      const std::string& /*password*/, std::int32_t /*options*/) {
    if (db_) throw Error(aderr::ObjectOpen, "Operation is not allowed when the object is open.");
    if (!connectionString.empty()) connectionString_ = connectionString;
    const ConnectionTarget target = ResolveConnectionString(connectionString_);

    // Never SQLITE_OPEN_CREATE: a missing file is an error, not a new database.
    const int flags = (target.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(detail::EngineFileName(target.path).c_str(), &raw, flags, nullptr);
    // The handle is closed on every way out until the connection takes it.
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close_v2);
    if (rc != SQLITE_OK) ThrowOpenError(db.get(), db ? sqlite3_extended_errcode(db.get()) : rc, target.path);
    sqlite3_extended_result_codes(db.get(), 1);
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    auto guard = std::make_unique<detail::AccessGuard>(db.get(), target.path);

    // The engine reads the file lazily; reading the schema now makes a file
    // that is no database, or one that cannot be read, fail here.
    rc = sqlite3_exec(db.get(), "PRAGMA schema_version", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        guard.reset();
        ThrowOpenError(db.get(), sqlite3_extended_errcode(db.get()), target.path);
    }
    // A save is on disk when it returns: with a delete journal, EXTRA also
    // syncs the folder after the journal is removed, so a power cut cannot
    // bring the journal back and roll the save back.
    rc = sqlite3_exec(db.get(), "PRAGMA synchronous = EXTRA", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        guard.reset();
        ThrowOpenError(db.get(), sqlite3_extended_errcode(db.get()), target.path);
    }

    path_ = target.path;
    guard_ = std::move(guard);
    detail::RegisterDialectFunctions(db.get());
    db_ = db.release();
    columnTypes_.clear();
    columnTypesVersion_ = -1;
}

void Connection::Close() {
    if (!db_) throw Error(aderr::ObjectClosed, "Operation is not allowed when the object is closed.");
    // close_v2 keeps the handle until any result set still holding a
    // statement on it finalizes that statement.
    guard_.reset();
    sqlite3_close_v2(db_);
    db_ = nullptr;
    columnTypes_.clear();
    columnTypesVersion_ = -1;
}

void Connection::Execute(const std::string& commandText, std::int32_t /*options*/) {
    Execute(commandText, std::vector<std::string_view>{});
}

void Connection::Execute(const std::string& commandText, const std::vector<std::string_view>& texts) {
    NotifyStatement(StatementRecord{commandText, false, {}});
    sqlite3* db = Handle();
    detail::AccessGuard& guard = Guard();
    guard.StartOperation();
    const std::string sql = Translate(commandText);
    const std::string context = "in statement: " + detail::Excerpt(commandText);
    guard.ForgetFileSql();
    detail::Statement stmt = detail::PrepareSingle(db, sql, context);
    RefuseWriteIfDamaged(stmt.get());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        // Bound where they stand: the engine reads them from the caller's memory.
        if (sqlite3_bind_text64(stmt.get(), static_cast<int>(i + 1), texts[i].data(), texts[i].size(), SQLITE_STATIC,
                                SQLITE_UTF8) != SQLITE_OK)
            detail::ThrowEngineError(db, context);
    }
    const bool fileWork = guard.SawFileSql();
    int rc;
    do {
        const detail::EngineCall call(*guard.Clock(), fileWork);
        rc = sqlite3_step(stmt.get());
    } while (rc == SQLITE_ROW);
    if (rc != SQLITE_DONE) detail::ThrowEngineError(db, context);
}

void Connection::CreateObject(const std::string& statement, const std::string& objectName) {
    const detail::AccessGuard::SchemaScope scope(Guard(), objectName);
    Execute(statement);
}

void Connection::AlterTable(const std::string& statement, const std::string& tableName) {
    const detail::AccessGuard::SchemaScope scope(Guard(), tableName, true);
    Execute(statement);
}

void Connection::BeginTrans() {
    sqlite3* db = Handle();
    detail::WorkClock& clock = *Guard().Clock();
    clock.HoldOperation(CurrentWorkLimits().time);
    int rc;
    {
        const detail::EngineCall call(clock, false);
        rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        clock.ReleaseOperation();
        detail::ThrowEngineError(db, "starting a transaction");
    }
}

void Connection::CommitTrans() { EndTrans("COMMIT", "committing the transaction"); }

void Connection::RollbackTrans() { EndTrans("ROLLBACK", "rolling back the transaction"); }

void Connection::EndTrans(const char* sql, std::string_view context) {
    sqlite3* db = Handle();
    detail::WorkClock& clock = *Guard().Clock();
    int rc;
    {
        const detail::EngineCall call(clock, false);
        rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    }
    clock.ReleaseOperation();
    if (rc != SQLITE_OK) detail::ThrowEngineError(db, context);
}

bool Connection::InTransaction() const { return sqlite3_get_autocommit(Handle()) == 0; }

detail::AccessGuard& Connection::Guard() const {
    Handle();
    return *guard_;
}

void Connection::RefuseWriteIfDamaged(sqlite3_stmt* stmt) const {
    if (sqlite3_stmt_readonly(stmt) || !IsDatabaseDamaged(path_)) return;
    throw Error(SQLITE_CORRUPT, "The database file '" + path_ + "' is damaged, so nothing more is written to it." +
                                    DamageAdvice(path_));
}

sqlite3* Connection::Handle() const {
    if (!db_) throw Error(aderr::ObjectClosed, "Operation is not allowed when the object is closed.");
    return db_;
}

void Connection::LoadColumnTypes() const {
    sqlite3* db = Handle();
    const long long version = SchemaVersion(db);
    if (version == columnTypesVersion_) return;

    // Every table's columns. A name that two tables type differently is
    // unknown; with any view in the file, every name may be a view's
    // column, whose values have no declared type, so all are unknown.
    const std::string context = "reading the database schema";
    std::unordered_map<std::string, SqlType> types;
    detail::Statement views = detail::PrepareSingle(db, "SELECT 1 FROM sqlite_schema WHERE type = 'view'", context);
    int rc = sqlite3_step(views.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) detail::ThrowEngineError(db, context);
    if (rc == SQLITE_DONE) {
        static constexpr std::string_view query =
            "SELECT p.name, p.type, p.pk, (SELECT max(q.pk) FROM pragma_table_info(s.name) AS q) "
            "FROM sqlite_schema AS s, pragma_table_info(s.name) AS p "
            "WHERE s.type = 'table' AND s.sql NOT LIKE 'CREATE VIRTUAL%'";
        detail::Statement stmt = detail::PrepareSingle(db, query, context);
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
            const auto* declared = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1));
            if (!name) continue;
            const std::string type = Lower(declared ? declared : "");
            // Only the row-ID column (a lone INTEGER PRIMARY KEY) is sure
            // to hold numbers; a text-affinity column turns any number
            // stored into text.
            SqlType kind = SqlType::Unknown;
            if (type == "integer" && sqlite3_column_int(stmt.get(), 2) == 1 && sqlite3_column_int(stmt.get(), 3) == 1)
                kind = SqlType::Number;
            else if (HasTextAffinity(type))
                kind = SqlType::Text;
            const auto [it, inserted] = types.emplace(Lower(name), kind);
            if (!inserted && it->second != kind) it->second = SqlType::Unknown;
        }
        if (rc != SQLITE_DONE) detail::ThrowEngineError(db, context);
    }
    columnTypes_ = std::move(types);
    columnTypesVersion_ = version;
}

std::string Connection::Translate(const std::string& commandText) const {
    // The schema is consulted only when a "+" needs to know its operands.
    bool loaded = false;
    return TranslateSql(commandText, [&](std::string_view column) {
        if (!loaded) {
            LoadColumnTypes();
            loaded = true;
        }
        const auto it = columnTypes_.find(Lower(column));
        return it == columnTypes_.end() ? SqlType::Unknown : it->second;
    });
}

}  // namespace orvane::adodb
