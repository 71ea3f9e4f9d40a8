#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FindChanges.h"
#include "SyncTables.h"
#include "adodb/Connection.h"
#include "core/Variant.h"

// One unit of work on the card store and the sync state: a connection to
// the database file with a write transaction, in which the tables of ours
// are checked (and, unless only inspected, created when missing). Nothing
// is kept unless Commit is called.
class StoreSession {
public:
    enum class Tables { Create, InspectOnly };

    // database: the file; empty for the window's database.
    explicit StoreSession(const std::string& database, Tables tables = Tables::Create);
    ~StoreSession();  // rolls back unless committed
    StoreSession(const StoreSession&) = delete;
    StoreSession& operator=(const StoreSession&) = delete;

    // What the file held of our tables when the session began.
    orvane::data::SyncTables::State FoundTables() const noexcept { return found_; }
    const std::string& Path() const noexcept { return path_; }

    // For a session that only inspected: makes the missing tables now.
    void CreateMissingTables();

    void Execute(const std::string& sql);
    // The same with texts bound to ?1, ?2 ... (long values never become part
    // of the statement's text, which keeps it short to translate and parse).
    void Execute(const std::string& sql, const std::vector<std::string_view>& texts);
    // Runs a saved query ("UpdateAddress") once, in the session's transaction.
    void ExecuteSavedQuery(const std::string& name, const std::vector<orvane::Variant>& values);
    // Calls onRow with every row of the statement (fields x rows array and
    // the row's index), a chunk of rows at a time.
    void ForEachRow(const std::string& sql,
                    const std::function<void(const orvane::VariantArray& rows, std::int32_t row)>& onRow);
    // Tells the search index, at the commit, that these addresses changed.
    void AddressesChanged(const std::vector<std::int32_t>& ids);
    void Commit();
    // The session's connection, for a writer that runs a saved query in its transaction.
    orvane::adodb::Connection& Connection() noexcept { return cnn_; }

private:
    std::string path_;
    orvane::adodb::Connection cnn_;
    orvane::data::SyncTables::State found_ = orvane::data::SyncTables::State::Missing;
    bool open_ = false;  // a transaction is under way
    bool wrote_ = false;
    std::optional<FindChanges> findChanges_;
};
