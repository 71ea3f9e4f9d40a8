#include "FindTables.h"

#include <array>
#include <string_view>

#include "OwnedSchema.h"
#include "adodb/Connection.h"

namespace FindTables {
namespace {

using orvane::data::EntryForm;
using orvane::data::SchemaEntry;

// Words sorted by their bytes, so that a prefix is one range of the key;
// AddressID and Field complete the key (one row per word, address and field).
// Rows: the fingerprint of each address as it was indexed, to find the rows
// another program changed. State: the file's change counter that the index
// reflects. Pending: addresses the program's own writes changed since, to be
// indexed again before the next search.
constexpr std::array<SchemaEntry, 5> kOurs{{
    {"table", "OrvaneFindWords",
     "CREATE TABLE OrvaneFindWords (\n"
     "    Word      TEXT NOT NULL,\n"
     "    AddressID INTEGER NOT NULL,\n"
     "    Field     INTEGER NOT NULL,\n"
     "    PRIMARY KEY (Word, AddressID, Field)\n"
     ") WITHOUT ROWID"},
    {"index", "OrvaneFindWordsByAddress", "CREATE INDEX OrvaneFindWordsByAddress ON OrvaneFindWords (AddressID)"},
    {"table", "OrvaneFindRows",
     "CREATE TABLE OrvaneFindRows (\n"
     "    AddressID   INTEGER PRIMARY KEY,\n"
     "    Fingerprint INTEGER NOT NULL\n"
     ")"},
    {"table", "OrvaneFindState",
     "CREATE TABLE OrvaneFindState (\n"
     "    ID            INTEGER PRIMARY KEY CHECK (ID = 1),\n"
     "    ChangeCounter INTEGER NOT NULL\n"
     ")"},
    {"table", "OrvaneFindPending",
     "CREATE TABLE OrvaneFindPending (\n"
     "    AddressID INTEGER PRIMARY KEY\n"
     ")"},
}};

}  // namespace

bool Present(orvane::adodb::Connection& cnn, const std::string& path) {
    for (EntryForm f : orvane::data::FindOwnedEntries(cnn, path, kOurs))
        if (f != EntryForm::Current) return false;
    return true;
}

void Ensure(orvane::adodb::Connection& cnn, const std::string& path) {
    const std::vector<EntryForm> found = orvane::data::FindOwnedEntries(cnn, path, kOurs);
    for (std::size_t k = 0; k < kOurs.size(); ++k)
        if (found[k] == EntryForm::Absent) cnn.CreateObject(std::string(kOurs[k].sql), std::string(kOurs[k].name));
}

}  // namespace FindTables
