#include "SyncTables.h"

#include <array>
#include <string_view>

#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "core/Error.h"

namespace SyncTables {
namespace {

struct Entry {
    std::string_view type;
    std::string_view name;
    std::string_view sql;  // exactly as the engine keeps it in sqlite_master
};

// The statements are created in this order; an entry is ours only when its
// type, name and SQL text are these exactly.
constexpr std::array<Entry, 7> kOurs{{
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
}};

// Tables as earlier versions of the program made them, each with the
// statement that brings it to its form above.
struct Earlier {
    std::string_view name;
    std::string_view sql;
    std::string_view upgrade;
};

constexpr std::array<Earlier, 1> kEarlier{{
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

// What the file holds of one of our entries.
enum class Form { Absent, Earlier, Current };

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Does the name (any case, as the engine compares names) belong to us?
bool IsOurName(std::string_view name) {
    const std::string lower = Lower(name);
    for (const Entry& e : kOurs)
        if (Lower(e.name) == lower) return true;
    return false;
}

bool IsOurEntry(std::string_view type, std::string_view name, std::string_view sql) {
    for (const Entry& e : kOurs)
        if (e.type == type && e.name == name && e.sql == sql) return true;
    return false;
}

const Earlier* EarlierForm(std::string_view type, std::string_view name, std::string_view sql) {
    if (type != "table") return nullptr;
    for (const Earlier& e : kEarlier)
        if (e.name == name && e.sql == sql) return &e;
    return nullptr;
}

// The index the engine makes itself for a PRIMARY KEY or UNIQUE of text
// columns: no SQL of its own, and a name only the engine may give.
bool IsEngineIndex(std::string_view type, std::string_view name, bool hasSql) {
    return type == "index" && !hasSql && Lower(name).starts_with("sqlite_autoindex_");
}

[[noreturn]] void RefuseAltered(const std::string& path, std::string_view type, std::string_view name) {
    throw orvane::Error(kAlteredNumber, "The database file '" + path + "' has been altered: its " + std::string(type) +
                                            " '" + std::string(name) +
                                            "' is not one the program keeps beside tblAddress. Nothing was written.");
}

// Which of our entries the file holds, and in which form, after checking
// every entry that bears one of our names or sits on one of our tables.
std::array<Form, kOurs.size()> FindOurs(orvane::adodb::Connection& cnn, const std::string& path) {
    std::array<Form, kOurs.size()> found{};
    orvane::adodb::Recordset rst;
    rst.Open("SELECT type, name, tbl_name, sql FROM sqlite_master", cnn);
    while (!rst.Eof()) {
        const orvane::Variant rows = rst.GetRows(500);
        const orvane::VariantArray& r = rows.Array();
        for (std::int32_t j = r.LBound(2); j <= r.UBound(2); ++j) {
            const std::string type = r.At(0, j).JoinEmpty();
            const std::string name = r.At(1, j).JoinEmpty();
            const std::string table = r.At(2, j).JoinEmpty();
            const bool hasSql = !r.At(3, j).IsNull();
            const std::string sql = r.At(3, j).JoinEmpty();
            if (!IsOurName(name) && !IsOurName(table)) continue;
            if (IsEngineIndex(type, name, hasSql)) continue;
            const bool earlier = hasSql && EarlierForm(type, name, sql) != nullptr;
            if (!hasSql || (!earlier && !IsOurEntry(type, name, sql))) RefuseAltered(path, type, name);
            for (std::size_t k = 0; k < kOurs.size(); ++k)
                if (kOurs[k].name == name) found[k] = earlier ? Form::Earlier : Form::Current;
        }
    }
    return found;
}

}  // namespace

State Inspect(orvane::adodb::Connection& cnn, const std::string& path) {
    const std::array<Form, kOurs.size()> found = FindOurs(cnn, path);
    std::size_t current = 0;
    std::size_t any = 0;
    for (Form f : found) {
        current += f == Form::Current ? 1 : 0;
        any += f != Form::Absent ? 1 : 0;
    }
    if (any == 0) return State::Missing;
    return current == kOurs.size() ? State::Present : State::Partial;
}

void Ensure(orvane::adodb::Connection& cnn, const std::string& path) {
    const std::array<Form, kOurs.size()> found = FindOurs(cnn, path);
    for (std::size_t k = 0; k < kOurs.size(); ++k) {
        if (found[k] == Form::Absent) cnn.CreateObject(std::string(kOurs[k].sql), std::string(kOurs[k].name));
        if (found[k] != Form::Earlier) continue;
        for (const Earlier& e : kEarlier)
            if (e.name == kOurs[k].name) cnn.AlterTable(std::string(e.upgrade), std::string(e.name));
    }
}

}  // namespace SyncTables
