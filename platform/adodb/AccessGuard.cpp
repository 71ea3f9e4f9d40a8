#include "adodb/AccessGuard.h"

#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "adodb/SqlDialect.h"
#include "adodb/WorkLimits.h"
#include "core/Error.h"

namespace orvane::adodb {
namespace {
WorkLimits& Limits() {
    static WorkLimits limits;
    return limits;
}
}  // namespace

WorkLimits CurrentWorkLimits() noexcept { return Limits(); }
void SetWorkLimits(const WorkLimits& limits) noexcept { Limits() = limits; }

namespace detail {
namespace {

// Engine steps between two looks at the clock.
constexpr int kProgressSteps = 10000;

thread_local std::string lastMessage;

bool EqualsNoCase(const char* a, std::string_view b) noexcept {
    return a && sqlite3_strnicmp(a, b.data(), static_cast<int>(b.size())) == 0 && a[b.size()] == '\0';
}

// Functions that reach outside the database or hand out process memory.
bool IsForbiddenFunction(const char* name) noexcept {
    static constexpr std::array<std::string_view, 6> forbidden{"fts3_tokenizer", "load_extension", "readfile",
                                                               "writefile",      "edit",           "sqlite_dbpage"};
    for (std::string_view f : forbidden)
        if (EqualsNoCase(name, f)) return true;
    return false;
}

// Whether an action changes the structure of the database. Writes the
// engine reports on the schema table are no such change by themselves: the
// statements that make one come with their own action, and the defensive
// setting keeps any statement from writing that table directly.
bool ChangesSchema(int action) noexcept {
    switch (action) {
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
        case SQLITE_PRAGMA:
        case SQLITE_TRANSACTION:
        case SQLITE_SAVEPOINT: return false;
        default: return true;  // CREATE_*, DROP_*, ALTER_TABLE, REINDEX, ANALYZE, virtual tables
    }
}

std::string Quoted(const char* name) { return "'" + std::string(name ? name : "?") + "'"; }

// What an action would do, in words for the refusal.
std::string Describe(int action, const char* a, const char* b) {
    switch (action) {
        case SQLITE_INSERT: return "insert rows into " + Quoted(a);
        case SQLITE_UPDATE: return "change " + Quoted(a);
        case SQLITE_DELETE: return "delete rows from " + Quoted(a);
        case SQLITE_PRAGMA: return "run PRAGMA " + std::string(a ? a : "");
        case SQLITE_ATTACH: return "attach another file";
        case SQLITE_DETACH: return "detach a file";
        case SQLITE_FUNCTION: return "call " + std::string(b ? b : "?") + "()";
        case SQLITE_TRANSACTION:
        case SQLITE_SAVEPOINT: return "control transactions";
        default: return "change the structure of the database";
    }
}

}  // namespace

void WorkClock::StartOperation(std::chrono::milliseconds budget) noexcept {
    if (held_) return;
    budget_ = budget;
    allowance_ = std::chrono::nanoseconds(0);
    fileSpent_ = std::chrono::nanoseconds(0);
    operationStart_ = Clock::now();
    lastMessage.clear();
}

void WorkClock::HoldOperation(std::chrono::milliseconds budget) noexcept {
    held_ = false;
    StartOperation(budget);
    held_ = true;
}

bool WorkClock::Exceeded() noexcept {
    const Clock::time_point now = Clock::now();
    bool over;
    if (!inside_)  // engine work outside a timed call: opening, the schema
        over = now - operationStart_ > budget_;
    else if (fileWork_)
        over = fileSpent_ + (now - enteredAt_) > budget_ + allowance_;
    else if (!timed_) {
        enteredAt_ = now;  // the first check inside this call
        timed_ = true;
        over = false;
    } else
        over = now - enteredAt_ > budget_;
    if (!over) return false;
    const long long tenths = (budget_.count() + 50) / 100;
    const std::string seconds =
        std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : std::string());
    lastMessage = "The database operation was stopped after " + seconds + " seconds: the database file '" + path_ +
                  "' asks for more work than an address book needs (it may be damaged or altered).";
    return true;
}

AccessGuard::AccessGuard(sqlite3* db, std::string path)
    : db_(db), path_(std::move(path)), clock_(std::make_shared<WorkClock>(path_)) {
    // The file's own schema (views, triggers, defaults) may not call
    // functions with side effects, change the schema tables or load code.
    int ignored = 0;
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, &ignored);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, &ignored);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0, &ignored);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, &ignored);
    // "name" is a name, never text that merely looks like one: a missing
    // column is an error, not the string 'name'.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, &ignored);
    sqlite3_set_authorizer(db_, &AccessGuard::Authorize, this);
    sqlite3_progress_handler(db_, kProgressSteps, &AccessGuard::Progress, clock_.get());
    StartOperation();
}

AccessGuard::~AccessGuard() {
    // The handle may outlive the guard while a result set still reads from
    // it; from here on it may prepare nothing at all.
    sqlite3_progress_handler(db_, 0, nullptr, nullptr);
    sqlite3_set_authorizer(
        db_, [](void*, int, const char*, const char*, const char*, const char*) { return SQLITE_DENY; }, nullptr);
}

void AccessGuard::StartOperation() noexcept { StartOperation(CurrentWorkLimits().time); }

void AccessGuard::StartOperation(std::chrono::milliseconds budget) noexcept { clock_->StartOperation(budget); }

int AccessGuard::Progress(void* clock) { return static_cast<WorkClock*>(clock)->Exceeded() ? 1 : 0; }

int AccessGuard::Authorize(void* self, int action, const char* a, const char* b, const char* /*database*/,
                           const char* inner) {
    return static_cast<AccessGuard*>(self)->Decide(action, a, b, inner);
}

int AccessGuard::Decide(int action, const char* a, const char* b, const char* inner) {
    if (inner) sawFileSql_ = true;
    switch (action) {
        case SQLITE_READ:
        case SQLITE_SELECT:
        case SQLITE_RECURSIVE: return SQLITE_OK;
        case SQLITE_FUNCTION:
            if (!IsForbiddenFunction(b)) return SQLITE_OK;
            break;
        case SQLITE_ATTACH:
        case SQLITE_DETACH: break;
        default: {
            if (inner) break;  // views and triggers only read
            if (source_ == StatementSource::Caller) {
                if (!ChangesSchema(action) || AllowsSchemaChange(action, a, b)) return SQLITE_OK;
                break;
            }
            const bool own = EqualsNoCase(a, kAddressTable) &&
                             ((action == SQLITE_INSERT && source_ != StatementSource::SavedUpdate) ||
                              (action == SQLITE_UPDATE && source_ != StatementSource::SavedInsert));
            if (own) {
                sawOwnWrite_ = true;
                return SQLITE_OK;
            }
            break;
        }
    }
    Refuse(Describe(action, a, b), inner);
    return SQLITE_DENY;
}

bool AccessGuard::AllowsSchemaChange(int action, const char* a, const char* b) const noexcept {
    if (schemaObject_.empty()) return false;
    if (action == SQLITE_CREATE_TABLE)
        // The engine's own table of AUTOINCREMENT counters comes with the first such table.
        return EqualsNoCase(a, schemaObject_) || EqualsNoCase(a, "sqlite_sequence");
    // An index made on a table that has rows is filled by the engine at once.
    if (action == SQLITE_REINDEX) return EqualsNoCase(a, schemaObject_);
    // A column added to the table (b) that an earlier version made.
    if (action == SQLITE_ALTER_TABLE) return schemaAlter_ && EqualsNoCase(b, schemaObject_);
    if (action == SQLITE_CREATE_INDEX)
        // b is the indexed table: a PRIMARY KEY or UNIQUE of text columns gets an index of the engine's.
        return EqualsNoCase(a, schemaObject_) ||
               (EqualsNoCase(b, schemaObject_) && sqlite3_strnicmp(a, "sqlite_autoindex_", 17) == 0);
    return false;
}

void AccessGuard::Refuse(std::string what, const char* inner) {
    const std::string altered = "the database file '" + path_ + "' has been altered: ";
    std::string message = source_ == StatementSource::Caller ? std::string()
                                                             : "The saved query '" + queryName_ + "' was refused: ";
    if (inner)
        message += (message.empty() ? "The statement was refused: " : "") + altered + "its view or trigger '" +
                   std::string(inner) + "' would " + what + ". Nothing was written.";
    else if (source_ != StatementSource::Caller)
        message += altered + "the query would " + what + ". Nothing was written.";
    else
        message = "The statement was refused: it would " + what + ", which the program never does.";
    lastMessage = std::move(message);
}

AccessGuard::SavedQueryScope::SavedQueryScope(AccessGuard& guard, const std::string& name) : guard_(guard) {
    if (EqualsNoCase(name.c_str(), "SaveAddress"))
        guard_.source_ = StatementSource::SavedInsert;
    else if (EqualsNoCase(name.c_str(), "UpdateAddress"))
        guard_.source_ = StatementSource::SavedUpdate;
    else
        guard_.source_ = StatementSource::SavedOther;
    guard_.queryName_ = name;
    guard_.sawOwnWrite_ = false;
}

AccessGuard::SavedQueryScope::~SavedQueryScope() {
    guard_.source_ = StatementSource::Caller;
    guard_.queryName_.clear();
}

void AccessGuard::SavedQueryScope::RequireOwnWrite(std::string_view sql) const {
    const std::string refused = "The saved query '" + guard_.queryName_ + "' was refused: the database file '" +
                                guard_.path_ + "' has been altered: ";
    const std::vector<SqlToken> tokens = TokenizeSql(sql);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind != SqlTokenKind::Word || !EqualsNoCase(std::string(tokens[i].text).c_str(), "replace")) continue;
        std::size_t next = i + 1;
        while (next < tokens.size() && (tokens[next].kind == SqlTokenKind::Blank || tokens[next].kind == SqlTokenKind::Comment))
            ++next;
        const bool call = next < tokens.size() && tokens[next].text == "(";  // the function replace()
        if (!call) throw Error(SQLITE_AUTH, refused + "the query would replace existing rows. Nothing was written.");
    }
    if (guard_.sawOwnWrite_ || guard_.source_ == StatementSource::SavedOther) return;
    const char* what = guard_.source_ == StatementSource::SavedInsert ? "insert an address into tblAddress"
                                                                      : "update an address in tblAddress";
    throw Error(SQLITE_AUTH, refused + "the saved query does not " + what + ". Nothing was written.");
}

void AccessGuard::SavedQueryScope::RefuseAltered(const std::string& what) const {
    throw Error(SQLITE_AUTH, "The saved query '" + guard_.queryName_ + "' was refused: the database file '" +
                                 guard_.path_ + "' has been altered: the query " + what + ". Nothing was written.");
}

AccessGuard::SchemaScope::SchemaScope(AccessGuard& guard, std::string objectName, bool alter) : guard_(guard) {
    guard_.schemaObject_ = std::move(objectName);
    guard_.schemaAlter_ = alter;
}

AccessGuard::SchemaScope::~SchemaScope() {
    guard_.schemaObject_.clear();
    guard_.schemaAlter_ = false;
}

std::string TakeGuardMessage() { return std::exchange(lastMessage, {}); }

}  // namespace detail
}  // namespace orvane::adodb
