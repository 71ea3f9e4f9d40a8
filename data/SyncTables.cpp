#include "SyncTables.h"

#include <array>
#include <string_view>

#include "OwnedSchema.h"
#include "adodb/Connection.h"

namespace orvane::data::SyncTables {
namespace {

using orvane::data::EarlierSchemaEntry;
using orvane::data::EntryForm;
using orvane::data::SchemaEntry;

// The statements are created in this order; an entry is ours only when its
// type, name and SQL text are these exactly.
constexpr std::array<SchemaEntry, 8> kOurs{{
    {"table", "OrvaneCards",
     "CREATE TABLE OrvaneCards (\n"
     "    AddressID INTEGER PRIMARY KEY,\n"
     "    CardText  TEXT NOT NULL\n"
     ")"},
    // AddressBookName came later: the text is what the engine keeps after
    // adding it to the earlier table (kEarlier), so both ways give one text.
    {"table", "OrvaneSyncAccount",
     "CREATE TABLE OrvaneSyncAccount (\n"
     "    ID                 INTEGER PRIMARY KEY CHECK (ID = 1),\n"
     "    ServerUrl          TEXT NOT NULL,\n"
     "    UserName           TEXT NOT NULL,\n"
     "    AddressBookUrl     TEXT NOT NULL,\n"
     "    TrustedCertificate TEXT,\n"
     "    SyncToken          TEXT,\n"
     "    LastSyncTime       TEXT\n"
     ", AddressBookName TEXT)"},
    {"table", "OrvaneSyncItems",
     "CREATE TABLE OrvaneSyncItems (\n"
     "    Href           TEXT PRIMARY KEY NOT NULL,\n"
     "    AddressID      INTEGER,\n"
     "    Uid            TEXT NOT NULL,\n"
     "    ETag           TEXT,\n"
     "    BaseFirstName  TEXT NOT NULL,\n"
     "    BaseLastName   TEXT NOT NULL,\n"
     "    BaseAddress    TEXT NOT NULL,\n"
     "    BasePostalCode TEXT NOT NULL,\n"
     "    BaseState      TEXT NOT NULL,\n"
     "    BaseCountry    TEXT NOT NULL,\n"
     "    BasePhone      TEXT NOT NULL,\n"
     "    ServerCard     TEXT NOT NULL\n"
     ")"},
    {"index", "OrvaneSyncItemsByAddress", "CREATE INDEX OrvaneSyncItemsByAddress ON OrvaneSyncItems (AddressID)"},
    {"table", "OrvaneSyncPending",
     "CREATE TABLE OrvaneSyncPending (\n"
     "    ID        INTEGER PRIMARY KEY AUTOINCREMENT,\n"
     "    Kind      TEXT NOT NULL CHECK (Kind IN ('create', 'update', 'delete')),\n"
     "    Href      TEXT NOT NULL,\n"
     "    AddressID INTEGER,\n"
     "    CardText  TEXT,\n"
     "    IfMatch   TEXT\n"
     ")"},
    {"table", "OrvaneSyncConflicts",
     "CREATE TABLE OrvaneSyncConflicts (\n"
     "    ID          INTEGER PRIMARY KEY AUTOINCREMENT,\n"
     "    AddressID   INTEGER NOT NULL,\n"
     "    FieldIndex  INTEGER NOT NULL CHECK (FieldIndex BETWEEN 1 AND 7),\n"
     "    LocalValue  TEXT NOT NULL,\n"
     "    ServerValue TEXT NOT NULL,\n"
     "    Href        TEXT,\n"
     "    UNIQUE (AddressID, FieldIndex)\n"
     ")"},
    {"table", "OrvaneSyncRefused",
     "CREATE TABLE OrvaneSyncRefused (\n"
     "    Href      TEXT PRIMARY KEY NOT NULL,\n"
     "    AddressID INTEGER,\n"
     "    CardHash  TEXT NOT NULL,\n"
     "    Reason    TEXT NOT NULL\n"
     ")"},
    // Came later: a file an earlier version made gets it beside the others.
    {"table", "OrvaneSyncHeldProperties",
     "CREATE TABLE OrvaneSyncHeldProperties (\n"
     "    Href        TEXT NOT NULL,\n"
     "    Property    TEXT NOT NULL,\n"
     "    LocalValue  TEXT NOT NULL,\n"
     "    ServerValue TEXT NOT NULL,\n"
     "    BaseCard    TEXT NOT NULL,\n"
     "    PRIMARY KEY (Href, Property)\n"
     ")"},
}};

// Tables as earlier versions of the program made them, each with the
// statement that brings it to its form above.
constexpr std::array<EarlierSchemaEntry, 1> kEarlier{{
    {"OrvaneSyncAccount",
     "CREATE TABLE OrvaneSyncAccount (\n"
     "    ID                 INTEGER PRIMARY KEY CHECK (ID = 1),\n"
     "    ServerUrl          TEXT NOT NULL,\n"
     "    UserName           TEXT NOT NULL,\n"
     "    AddressBookUrl     TEXT NOT NULL,\n"
     "    TrustedCertificate TEXT,\n"
     "    SyncToken          TEXT,\n"
     "    LastSyncTime       TEXT\n"
     ")",
     "ALTER TABLE OrvaneSyncAccount ADD COLUMN AddressBookName TEXT"},
}};

std::vector<EntryForm> FindOurs(orvane::adodb::Connection& cnn, const std::string& path) {
    return orvane::data::FindOwnedEntries(cnn, path, kOurs, kEarlier);
}

}  // namespace

State Inspect(orvane::adodb::Connection& cnn, const std::string& path) {
    const std::vector<EntryForm> found = FindOurs(cnn, path);
    std::size_t current = 0;
    std::size_t any = 0;
    for (EntryForm f : found) {
        current += f == EntryForm::Current ? 1 : 0;
        any += f != EntryForm::Absent ? 1 : 0;
    }
    if (any == 0) return State::Missing;
    return current == kOurs.size() ? State::Present : State::Partial;
}

void Ensure(orvane::adodb::Connection& cnn, const std::string& path) {
    orvane::data::EnsureOwnedEntries(cnn, path, kOurs, kEarlier);
}

}  // namespace orvane::data::SyncTables
