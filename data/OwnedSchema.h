#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::adodb {
class Connection;
}

// The check behind every set of tables the program keeps beside tblAddress
// (the sync tables, the search index): an entry of the file is ours only
// when its type, name and SQL text are exactly the program's own statement.
namespace orvane::data {

struct SchemaEntry {
    std::string_view type;
    std::string_view name;
    std::string_view sql;  // exactly as the engine keeps it in sqlite_master
};

// A table as an earlier version of the program made it, with the statement
// that brings it to its current form.
struct EarlierSchemaEntry {
    std::string_view name;
    std::string_view sql;
    std::string_view upgrade;
};

enum class EntryForm { Absent, Earlier, Current };

// The form each of `ours` has in the file, after checking every entry that
// bears one of our names or sits on one of our tables (a trigger, an index):
// any that is neither ours nor an earlier form of ours raises the altered
// refusal, and nothing is written.
std::vector<EntryForm> FindOwnedEntries(orvane::adodb::Connection& cnn, const std::string& path,
                                        std::span<const SchemaEntry> ours,
                                        std::span<const EarlierSchemaEntry> earlier = {});

// After the same check: creates each of `ours` that is absent and brings
// each earlier form to the current one. Call inside a write transaction,
// so that they come all at once.
void EnsureOwnedEntries(orvane::adodb::Connection& cnn, const std::string& path, std::span<const SchemaEntry> ours,
                        std::span<const EarlierSchemaEntry> earlier = {});

}  // namespace orvane::data
