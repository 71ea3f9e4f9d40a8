#include "FindTables.h"

#include <array>
#include <string_view>

#include "SyncTables.h"
#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "core/Error.h"

namespace FindTables {
namespace {

struct Entry {
    std::string_view type;
    std::string_view name;
    std::string_view sql;  // exactly as the engine keeps it in sqlite_master
};

// Words sorted by their bytes, so that a prefix is one range of the key;
// AddressID and Field complete the key (one row per word, address and field).
// Rows: the fingerprint of each address as it was indexed, to find the rows
// another program changed. State: the file's change counter that the index
// reflects. Pending: addresses the program's own writes changed since, to be
// indexed again before the next search.
constexpr std::array<Entry, 5> kOurs{{
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

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsOurName(std::string_view name) {
    const std::string lower = Lower(name);
    for (const Entry& e : kOurs)
        if (Lower(e.name) == lower) return true;
    return false;
}

[[noreturn]] void RefuseAltered(const std::string& path, std::string_view type, std::string_view name) {
    throw orvane::Error(SyncTables::kAlteredNumber,
                        "The database file '" + path + "' has been altered: its " + std::string(type) + " '" +
                            std::string(name) + "' is not one the program keeps beside tblAddress. Nothing was written.");
}

// Which of our entries the file holds, after checking every entry that bears
// one of our names or sits on one of our tables (a trigger, an index).
std::array<bool, kOurs.size()> FindOurs(orvane::adodb::Connection& cnn, const std::string& path) {
    std::array<bool, kOurs.size()> found{};
    orvane::adodb::Recordset rst;
    rst.Open("SELECT type, name, tbl_name, sql FROM sqlite_master", cnn);
    while (!rst.Eof()) {
        const orvane::Variant rows = rst.GetRows(500);
        const orvane::VariantArray& r = rows.Array();
        for (std::int32_t j = r.LBound(2); j <= r.UBound(2); ++j) {
            const std::string type = r.At(0, j).JoinEmpty();
            const std::string name = r.At(1, j).JoinEmpty();
            if (!IsOurName(name) && !IsOurName(r.At(2, j).JoinEmpty())) continue;
            const bool hasSql = !r.At(3, j).IsNull();
            // The engine's own index of a primary key has no SQL of its own.
            if (type == "index" && !hasSql && Lower(name).starts_with("sqlite_autoindex_")) continue;
            const std::string sql = r.At(3, j).JoinEmpty();
            bool ours = false;
            for (std::size_t k = 0; k < kOurs.size(); ++k) {
                if (kOurs[k].type == type && kOurs[k].name == name && hasSql && kOurs[k].sql == sql) {
                    found[k] = true;
                    ours = true;
                }
            }
            if (!ours) RefuseAltered(path, type, name);
        }
    }
    return found;
}

}  // namespace

bool Present(orvane::adodb::Connection& cnn, const std::string& path) {
    for (bool f : FindOurs(cnn, path))
        if (!f) return false;
    return true;
}

void Ensure(orvane::adodb::Connection& cnn, const std::string& path) {
    const std::array<bool, kOurs.size()> found = FindOurs(cnn, path);
    for (std::size_t k = 0; k < kOurs.size(); ++k)
        if (!found[k]) cnn.CreateObject(std::string(kOurs[k].sql), std::string(kOurs[k].name));
}

}  // namespace FindTables
