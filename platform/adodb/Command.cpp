#include "adodb/Command.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include "adodb/AccessGuard.h"
#include "adodb/ErrorNumbers.h"
#include "adodb/SqliteSupport.h"
#include "adodb/StatementLog.h"
#include "adodb/WorkLimits.h"
#include "core/App.h"
#include "core/Error.h"

namespace orvane::adodb {
namespace {

using detail::StatementSource;

struct SavedQuery {
    std::size_t parameterCount = 0;
    std::string sql;
};

// Saved queries are rows of the table SavedQueries in the database itself.
SavedQuery LoadSavedQuery(sqlite3* db, detail::WorkClock& clock, const std::string& name) {
    const std::string context = "looking up the saved query '" + name + "' in table SavedQueries";
    detail::Statement stmt = detail::PrepareSingle(
        db, "SELECT ParameterCount, SqlText FROM SavedQueries WHERE Name = ?1", context);
    if (sqlite3_bind_text64(stmt.get(), 1, name.data(), name.size(), SQLITE_STATIC, SQLITE_UTF8) != SQLITE_OK)
        detail::ThrowEngineError(db, context);
    int rc;
    {
        const detail::EngineCall call(clock, false);
        rc = sqlite3_step(stmt.get());
    }
    if (rc == SQLITE_DONE) throw Error(aderr::ObjectNotFound, "The saved query '" + name + "' does not exist.");
    if (rc != SQLITE_ROW) detail::ThrowEngineError(db, context);

    const sqlite3_int64 count = sqlite3_column_int64(stmt.get(), 0);
    const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1));
    if (count < 0 || count > 999 || !sql || sqlite3_column_type(stmt.get(), 0) != SQLITE_INTEGER)
        throw Error(aderr::Unspecified, "The saved query '" + name + "' is damaged: its parameter count or SQL is not valid.");
    return SavedQuery{static_cast<std::size_t>(count), sql};
}

// Prepares a saved query and checks that its SQL takes exactly the
// parameters it declares, so no value is silently dropped or left null.
detail::Statement PrepareSavedQuery(sqlite3* db, const std::string& name, const SavedQuery& query) {
    detail::Statement stmt = detail::PrepareSingle(db, query.sql, "in saved query '" + name + "'");
    if (static_cast<std::size_t>(sqlite3_bind_parameter_count(stmt.get())) != query.parameterCount)
        throw Error(aderr::Unspecified, "The saved query '" + name + "' is damaged: it declares " +
                                            std::to_string(query.parameterCount) + " parameters but its SQL takes " +
                                            std::to_string(sqlite3_bind_parameter_count(stmt.get())) + ".");
    return stmt;
}

void CheckParameterCount(const std::string& name, const SavedQuery& query, std::size_t given) {
    if (given < query.parameterCount)
        throw Error(aderr::ParameterMissing, "No value given for one or more required parameters. (The saved query '" +
                                                 name + "' takes " + std::to_string(query.parameterCount) + ", " +
                                                 std::to_string(given) + " given.)");
    if (given > query.parameterCount)
        throw Error(aderr::InvalidArgument, "Too many parameters: the saved query '" + name + "' takes " +
                                                std::to_string(query.parameterCount) + ", " + std::to_string(given) +
                                                " given.");
}

// Binds the values by position. Text is bound without a copy: the values
// must stay unchanged until the statement has been stepped.
void BindParameters(sqlite3* db, sqlite3_stmt* stmt, const std::string& name, const std::vector<Variant>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const Variant& value = values[i];
        int rc = SQLITE_OK;
        switch (value.GetKind()) {
            case Variant::Kind::Empty:
            case Variant::Kind::Null: rc = sqlite3_bind_null(stmt, index); break;
            case Variant::Kind::Long: rc = sqlite3_bind_int(stmt, index, value.ToLong()); break;
            case Variant::Kind::String: {
                const std::string_view text = value.TextView();
                rc = sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
                break;
            }
            case Variant::Kind::Array:
                throw Error(errnum::TypeMismatch, "Type mismatch: value " + std::to_string(index) + " for the saved query '" +
                                                      name + "' is an array.");
        }
        if (rc != SQLITE_OK) detail::ThrowEngineError(db, "binding value " + std::to_string(index) + " of the saved query '" + name + "'");
    }
}

void Exec(sqlite3* db, const char* sql, std::string_view context) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) detail::ThrowEngineError(db, context);
}

// Rolls back unless committed.
class Transaction {
public:
    explicit Transaction(sqlite3* db) : db_(db) { Exec(db_, "BEGIN IMMEDIATE", "starting a transaction"); }
    ~Transaction() {
        if (db_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit() {
        Exec(db_, "COMMIT", "committing the transaction");
        db_ = nullptr;
    }

private:
    sqlite3* db_;
};

// A transaction of a connection that is rolled back unless committed; when
// the connection is in one already, that one is used as it is.
class ConnectionTransaction {
public:
    explicit ConnectionTransaction(Connection& connection) : connection_(connection), own_(!connection.InTransaction()) {
        if (own_) connection_.BeginTrans();
    }
    ~ConnectionTransaction() {
        if (!own_) return;
        try {
            connection_.RollbackTrans();
        } catch (const Error&) {
            // Closing the connection rolls it back all the same.
        }
    }
    ConnectionTransaction(const ConnectionTransaction&) = delete;
    ConnectionTransaction& operator=(const ConnectionTransaction&) = delete;
    void Commit() {
        if (!own_) return;
        own_ = false;
        connection_.CommitTrans();
    }

private:
    Connection& connection_;
    bool own_;
};

// Engine time that one row of a batch may add to the budget of the file's
// own work, beside the budget itself: the insert of one row takes some
// microseconds, a thousand times less.
constexpr std::chrono::milliseconds kRowAllowance{1};

// Runs a bound saved query once and checks that it did the one write it is
// there for: "SaveAddress" inserts exactly one row, "UpdateAddress"
// changes at most the one row of its ID, and only none when no row has it.
// check is prepared on the same connection to find a row by its row ID.
class OneRowCheck {
public:
    OneRowCheck(sqlite3* db, const detail::AccessGuard::SavedQueryScope& scope, StatementSource source)
        : db_(db), scope_(scope), source_(source) {
        if (source_ == StatementSource::SavedOther) return;
        // The program's own statement: the authorizer allows it as such.
        const char* sql = source_ == StatementSource::SavedInsert ? "SELECT ID FROM tblAddress WHERE rowid = ?1"
                                                                  : "SELECT ID FROM tblAddress WHERE ID = ?1";
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &raw, nullptr) != SQLITE_OK)
            scope_.RefuseAltered("works on a table tblAddress whose rows the program cannot find by ID");
        find_.Reset(raw);
    }

    // Returns the ID of the row "SaveAddress" inserted (0 for other queries).
    std::int64_t Run(sqlite3_stmt* stmt, detail::WorkClock& clock, const std::vector<Variant>& values,
                     std::string_view context) {
        const sqlite3_int64 lastBefore = sqlite3_last_insert_rowid(db_);
        int rc;
        do {
            const detail::EngineCall call(clock, true);
            rc = sqlite3_step(stmt);
        } while (rc == SQLITE_ROW);
        if (rc != SQLITE_DONE) detail::ThrowEngineError(db_, context);
        const sqlite3_int64 changes = sqlite3_changes64(db_);
        sqlite3_reset(stmt);
        if (source_ == StatementSource::SavedInsert) {
            const sqlite3_int64 row = sqlite3_last_insert_rowid(db_);
            std::int64_t id = 0;
            if (changes != 1 || row == lastBefore || !Exists(clock, row, &id))
                scope_.RefuseAltered(changes == 1 ? "did not store the address it was given"
                                                  : "stored " + std::to_string(changes) + " rows for one address");
            return id;
        } else if (source_ == StatementSource::SavedUpdate) {
            if (changes > 1) scope_.RefuseAltered("changed " + std::to_string(changes) + " rows for one address");
            if (changes == 0 && values.size() == 8 && values[7].GetKind() == Variant::Kind::Long &&
                Exists(clock, values[7].ToLong()))
                scope_.RefuseAltered("did not change the address it was given");
        }
        return 0;
    }

private:
    // Whether a row has the row ID (or ID) given; its ID into found.
    bool Exists(detail::WorkClock& clock, sqlite3_int64 id, std::int64_t* found = nullptr) {
        sqlite3_reset(find_.get());
        sqlite3_bind_int64(find_.get(), 1, id);
        int rc;
        {
            const detail::EngineCall call(clock, false);
            rc = sqlite3_step(find_.get());
        }
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) detail::ThrowEngineError(db_, "finding the row just written");
        if (rc == SQLITE_ROW && found) *found = sqlite3_column_int64(find_.get(), 0);
        sqlite3_reset(find_.get());
        return rc == SQLITE_ROW;
    }

    sqlite3* db_;
    const detail::AccessGuard::SavedQueryScope& scope_;
    StatementSource source_;
    detail::Statement find_;
};

}  // namespace

Command::Command() = default;
Command::~Command() = default;

void Command::SetActiveConnection(const std::string& connectionString) {
    connection_.reset();
    auto connection = std::make_unique<Connection>();
    connection->Open(connectionString);
    connection_ = std::move(connection);
}

void Command::SetCommandText(std::string commandText) { commandText_ = std::move(commandText); }

void Command::Execute(const std::vector<Variant>& parameters, std::int32_t /*options*/) {
    NotifyStatement(StatementRecord{commandText_, true, parameters});
    if (!connection_ || connection_->State() != adStateOpen)
        throw Error(aderr::InvalidConnection,
                    "The connection cannot be used to perform this operation. It is either closed or invalid in this "
                    "context. (The command has no active connection.)");
    if (commandText_.empty()) throw Error(aderr::NoCommandText, "Command text was not set for the command object.");

    sqlite3* db = connection_->Handle();
    detail::AccessGuard& guard = connection_->Guard();
    guard.StartOperation();
    const SavedQuery query = LoadSavedQuery(db, *guard.Clock(), commandText_);
    CheckParameterCount(commandText_, query, parameters.size());
    // In a transaction, so a query that writes other than one row is
    // refused with nothing written.
    ConnectionTransaction transaction(*connection_);
    {
        // The query's SQL comes from the file: it is prepared and run under
        // the rules for that query, which hold until its statement is
        // finalized.
        const detail::AccessGuard::SavedQueryScope scope(guard, commandText_);
        detail::Statement stmt = PrepareSavedQuery(db, commandText_, query);
        scope.RequireOwnWrite(query.sql);
        connection_->RefuseWriteIfDamaged(stmt.get());
        BindParameters(db, stmt.get(), commandText_, parameters);
        OneRowCheck check(db, scope, scope.Source());
        check.Run(stmt.get(), *guard.Clock(), parameters, "in saved query '" + commandText_ + "'");
    }
    transaction.Commit();
}

void CreateDatabaseFile(const std::string& path, const std::string& script) {
    const std::string& file = path;
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec))
        throw Error(errnum::PathNotFound, "Path not found: the folder '" + folder.string() + "' does not exist.");

    // O_EXCL: an existing file (or link) is never opened, let alone changed.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int err = errno;
        if (err == EEXIST) throw Error(aderr::FileAlreadyExists, "File already exists: '" + file + "'.");
        throw Error(aderr::PathFileAccess, "Path/File access error: cannot create '" + file + "': " + std::strerror(err));
    }
    ::close(fd);

    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(detail::EngineFileName(file).c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close_v2);
    try {
        const std::string context = "creating the database '" + file + "'";
        if (rc != SQLITE_OK) detail::ThrowEngineError(db.get(), rc, context);
        sqlite3_extended_result_codes(db.get(), 1);
        Transaction transaction(db.get());
        Exec(db.get(), script.c_str(), context);
        transaction.Commit();
    } catch (...) {
        db.reset();
        std::filesystem::remove(file + "-journal", ec);
        std::filesystem::remove(file, ec);
        throw;
    }
}

void ExecuteSavedQueryBatch(Connection& connection, const std::string& queryName,
                            const std::function<bool(std::vector<Variant>&)>& next) {
    ExecuteSavedQueryBatch(connection, queryName, next, {});
}

void ExecuteSavedQueryBatch(Connection& connection, const std::string& queryName,
                            const std::function<bool(std::vector<Variant>&)>& next,
                            const std::function<void(std::int64_t)>& onInserted) {
    sqlite3* db = connection.Handle();
    detail::AccessGuard& guard = connection.Guard();
    detail::WorkClock& clock = *guard.Clock();
    // One operation for the whole batch (or the caller's transaction).
    ConnectionTransaction transaction(connection);
    const SavedQuery query = LoadSavedQuery(db, clock, queryName);
    const std::string context = "in saved query '" + queryName + "'";
    {
        const detail::AccessGuard::SavedQueryScope scope(guard, queryName);
        detail::Statement stmt = PrepareSavedQuery(db, queryName, query);
        scope.RequireOwnWrite(query.sql);
        connection.RefuseWriteIfDamaged(stmt.get());
        OneRowCheck check(db, scope, scope.Source());
        std::vector<Variant> values(query.parameterCount);
        while (next(values)) {
            if (HasStatementObserver()) NotifyStatement(StatementRecord{queryName, true, values});
            CheckParameterCount(queryName, query, values.size());
            BindParameters(db, stmt.get(), queryName, values);
            clock.Allow(kRowAllowance);
            const std::int64_t id = check.Run(stmt.get(), clock, values, context);
            sqlite3_clear_bindings(stmt.get());
            if (onInserted && scope.Source() == StatementSource::SavedInsert) onInserted(id);
        }
    }
    transaction.Commit();
}

void ExecuteSavedQueryBatch(const std::string& connectionString, const std::string& queryName,
                            const std::function<bool(std::vector<Variant>&)>& next) {
    Connection connection;
    connection.Open(connectionString);
    ExecuteSavedQueryBatch(connection, queryName, next);
}

}  // namespace orvane::adodb
