#include "FindTables.h"

#include <array>
#include <string_view>

#include "OwnedSchema.h"
#include "adodb/Connection.h"

namespace orvane::data::FindTables {
namespace {

using orvane::data::EntryForm;
using orvane::data::SchemaEntry;

// Postings: for each block of 4096 address IDs, the folded words (or "#"
// and three phone digits) of its addresses with the addresses that have
// each, a row for the words of one head (FindPostings.h). A block's rows
// follow each other, so the index is written block after block, each in
// head order; a prefix is one range of heads within each block. Prints: the fingerprint of each address
// as it was indexed, a blob per block, to find the rows another program
// changed. Order: the IDs of all indexed addresses in the order results are
// shown (by display text), four bytes each, in parts of about a thousand. State: the file's change
// counter that the index reflects. Pending: addresses the program's own
// writes changed since, to be indexed again before the next search.
constexpr std::array<SchemaEntry, 5> kOurs{{
    {"table", "OrvaneFindPostings",
     "CREATE TABLE OrvaneFindPostings (\n"
     "    Block INTEGER NOT NULL,\n"
     "    Head  BLOB NOT NULL,\n"
     "    Words BLOB NOT NULL,\n"
     "    PRIMARY KEY (Block, Head)\n"
     ") WITHOUT ROWID"},
    {"table", "OrvaneFindPrints",
     "CREATE TABLE OrvaneFindPrints (\n"
     "    Block        INTEGER PRIMARY KEY,\n"
     "    Fingerprints BLOB NOT NULL\n"
     ")"},
    {"table", "OrvaneFindOrder",
     "CREATE TABLE OrvaneFindOrder (\n"
     "    Part       INTEGER PRIMARY KEY,\n"
     "    AddressIDs BLOB NOT NULL\n"
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
    orvane::data::EnsureOwnedEntries(cnn, path, kOurs);
}

}  // namespace orvane::data::FindTables
