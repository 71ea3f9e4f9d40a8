#pragma once

// Internal to the database layer: what statements on one connection may do.

#include <sqlite3.h>

#include <chrono>
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

// Installs the engine's defensive settings, an authorizer and a work-time
// check on an open handle, and removes them again when released. The
// authorizer refuses, whatever the source:
//  - attaching other files and calling functions that reach outside the
//    database (fts3_tokenizer, load_extension, ...);
//  - anything but reading from inside a view or a trigger;
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

    private:
        AccessGuard& guard_;
    };

private:
    static int Authorize(void* self, int action, const char* a, const char* b, const char* database, const char* inner);
    static int Progress(void* self);
    int Decide(int action, const char* a, const char* b, const char* inner);
    void Refuse(std::string what, const char* inner);

    sqlite3* db_;
    std::string path_;
    StatementSource source_ = StatementSource::Caller;
    std::string queryName_;
    bool sawOwnWrite_ = false;
    std::chrono::milliseconds budget_{0};
    std::chrono::steady_clock::time_point deadline_;
};

// The description of the last refusal or stop on this thread (empty when
// none), handed to the error raised for SQLITE_AUTH or SQLITE_INTERRUPT.
std::string TakeGuardMessage();

// The name of the table every saved query works on.
inline constexpr const char* kAddressTable = "tblAddress";

}  // namespace orvane::adodb::detail
