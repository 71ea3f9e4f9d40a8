#pragma once

// Internal to the database layer: what statements on one connection may do.

#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace orvane::adodb::detail {

// Where the SQL being prepared comes from. The caller's own statements may
// do what they say; SQL stored in the database file (saved queries, and the
// file's views and triggers) is held to what the program needs of it.
enum class StatementSource {
    Caller,
    SavedInsert,  // "SaveAddress": may only insert into tblAddress
    SavedUpdate,  // "UpdateAddress": may only update tblAddress
    SavedOther,   // any other saved query: may insert into or update tblAddress
};

// The engine time of the operation under way on one connection. Only time
// inside the engine counts, never the caller's time between two engine
// calls (a reader that pauses between rows). The program's own statements
// get the budget for each engine call on its own, so a correct statement
// may read any number of rows; work that comes from the database file (a
// saved query, or a statement that runs a view or trigger of the file)
// shares one budget across the whole operation, so a file cannot spread
// endless work thinly over many rows.
class WorkClock {
public:
    explicit WorkClock(std::string path) : path_(std::move(path)) {}

    // Starts an operation with the budget; no effect while one is held.
    void StartOperation(std::chrono::milliseconds budget) noexcept;
    // Starts an operation that lasts, whatever starts in between, until
    // ReleaseOperation (a transaction: a whole import is one operation).
    void HoldOperation(std::chrono::milliseconds budget) noexcept;
    void ReleaseOperation() noexcept { held_ = false; }
    bool Held() const noexcept { return held_; }
    // Grows the budget of the file's own work (one more row of a batch,
    // whose own insert takes its time too).
    void Allow(std::chrono::nanoseconds extra) noexcept { allowance_ += extra; }

    // Around one engine call (a step of a statement). Inline and, for the
    // program's own statements, without a look at the clock: a read of a
    // million rows makes a million calls. Such a call is timed from the
    // first check inside it (Exceeded, at most a few thousand engine
    // instructions after it began), so a call that ends sooner costs no
    // clock at all. The file's own work is timed exactly, call by call.
    void Enter(bool fileWork) noexcept {
        inside_ = true;
        fileWork_ = fileWork;
        timed_ = false;
        if (fileWork) enteredAt_ = Clock::now();
    }
    void Leave() noexcept {
        if (inside_ && fileWork_) fileSpent_ += Clock::now() - enteredAt_;
        inside_ = false;
    }

    // Whether the operation has used up its budget; sets the message.
    bool Exceeded() noexcept;

private:
    using Clock = std::chrono::steady_clock;
    std::string path_;
    std::chrono::milliseconds budget_{0};
    std::chrono::nanoseconds allowance_{0};
    std::chrono::nanoseconds fileSpent_{0};
    Clock::time_point operationStart_, enteredAt_;
    bool inside_ = false, fileWork_ = false, held_ = false;
    bool timed_ = false;  // enteredAt_ holds the first check of an own call
};

// Times one engine call while it lives.
class EngineCall {
public:
    EngineCall(WorkClock& clock, bool fileWork) noexcept : clock_(clock) { clock_.Enter(fileWork); }
    ~EngineCall() { clock_.Leave(); }
    EngineCall(const EngineCall&) = delete;
    EngineCall& operator=(const EngineCall&) = delete;

private:
    WorkClock& clock_;
};

// Installs the engine's defensive settings, an authorizer and a work-time
// check on an open handle, and removes them again when released. The
// authorizer refuses, whatever the source:
//  - attaching other files and calling functions that reach outside the
//    database (fts3_tokenizer, load_extension, ...);
//  - anything but reading from inside a view or a trigger;
//  - any change of the database's structure (CREATE, DROP, ALTER, ...)
//    but the one a SchemaScope names;
// and, for saved queries, any top-level write other than their own.
class AccessGuard {
public:
    AccessGuard(sqlite3* db, std::string path);
    ~AccessGuard();
    AccessGuard(const AccessGuard&) = delete;
    AccessGuard& operator=(const AccessGuard&) = delete;

    // Starts the time budget of one operation: the work limits' time, or
    // another budget for work known to be long (a check of every page).
    void StartOperation() noexcept;
    void StartOperation(std::chrono::milliseconds budget) noexcept;
    // The clock of the connection's operations; result sets keep it while
    // they read, even past the guard.
    const std::shared_ptr<WorkClock>& Clock() const noexcept { return clock_; }

    // Whether a statement prepared since ForgetFileSql runs SQL of the
    // file itself (a view or a trigger).
    void ForgetFileSql() noexcept { sawFileSql_ = false; }
    bool SawFileSql() const noexcept { return sawFileSql_; }

    // Prepares and runs under the rules of one saved query while it lives.
    class SavedQueryScope {
    public:
        SavedQueryScope(AccessGuard& guard, const std::string& name);
        ~SavedQueryScope();
        SavedQueryScope(const SavedQueryScope&) = delete;
        SavedQueryScope& operator=(const SavedQueryScope&) = delete;
        // After a successful prepare of sql: raises the refusal when the
        // query does not do the one write it is there for (VACUUM INTO, say,
        // writes nothing the authorizer sees), or would replace rows (a
        // replacing insert deletes the row it collides with, unseen too).
        void RequireOwnWrite(std::string_view sql) const;
        // Raises the refusal of a query that has done other than it must
        // (what: "stored 2 rows for one address").
        [[noreturn]] void RefuseAltered(const std::string& what) const;
        StatementSource Source() const noexcept { return guard_.source_; }

    private:
        AccessGuard& guard_;
    };

    // Lets one CREATE TABLE or CREATE INDEX that makes the named object
    // through while it lives: the program's own tables beside the address
    // table are the only structure it ever adds to a file.
    class SchemaScope {
    public:
        // alter: the named table may also be altered (ALTER TABLE), not only created.
        SchemaScope(AccessGuard& guard, std::string objectName, bool alter = false);
        ~SchemaScope();
        SchemaScope(const SchemaScope&) = delete;
        SchemaScope& operator=(const SchemaScope&) = delete;

    private:
        AccessGuard& guard_;
    };

private:
    static int Authorize(void* self, int action, const char* a, const char* b, const char* database, const char* inner);
    static int Progress(void* self);
    int Decide(int action, const char* a, const char* b, const char* inner);
    bool AllowsSchemaChange(int action, const char* a, const char* b) const noexcept;
    void Refuse(std::string what, const char* inner);

    sqlite3* db_;
    std::string path_;
    StatementSource source_ = StatementSource::Caller;
    std::string queryName_;
    std::string schemaObject_;  // the object a SchemaScope lets be created
    bool schemaAlter_ = false;  // ... or, as a table, altered
    bool sawOwnWrite_ = false;
    bool sawFileSql_ = false;
    std::shared_ptr<WorkClock> clock_;
};

// The description of the last refusal or stop on this thread (empty when
// none), handed to the error raised for SQLITE_AUTH or SQLITE_INTERRUPT.
std::string TakeGuardMessage();

// The name of the table every saved query works on.
inline constexpr const char* kAddressTable = "tblAddress";

}  // namespace orvane::adodb::detail
