#include "OwnedSchema.h"

#include <algorithm>

#include "SyncTables.h"
#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "core/Error.h"

namespace orvane::data {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Does the name (any case, as the engine compares names) belong to us?
bool IsOurName(std::span<const SchemaEntry> ours, std::string_view name) {
    const std::string lower = Lower(name);
    return std::any_of(ours.begin(), ours.end(), [&](const SchemaEntry& e) { return Lower(e.name) == lower; });
}

// The index the engine makes itself for a PRIMARY KEY or UNIQUE of text
// columns: no SQL of its own, and a name only the engine may give.
bool IsEngineIndex(std::string_view type, std::string_view name, bool hasSql) {
    return type == "index" && !hasSql && Lower(name).starts_with("sqlite_autoindex_");
}

[[noreturn]] void RefuseAltered(const std::string& path, std::string_view type, std::string_view name) {
    throw orvane::Error(SyncTables::kAlteredNumber,
                        "The database file '" + path + "' has been altered: its " + std::string(type) + " '" +
                            std::string(name) + "' is not one the program keeps beside tblAddress. Nothing was written.");
}

}  // namespace

std::vector<EntryForm> FindOwnedEntries(orvane::adodb::Connection& cnn, const std::string& path,
                                        std::span<const SchemaEntry> ours,
                                        std::span<const EarlierSchemaEntry> earlier) {
    std::vector<EntryForm> found(ours.size(), EntryForm::Absent);
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
            if (!IsOurName(ours, name) && !IsOurName(ours, table)) continue;
            if (IsEngineIndex(type, name, hasSql)) continue;
            const bool isEarlier = hasSql && type == "table" && std::any_of(earlier.begin(), earlier.end(), [&](const EarlierSchemaEntry& e) {
                                       return e.name == name && e.sql == sql;
                                   });
            const bool isCurrent = hasSql && std::any_of(ours.begin(), ours.end(), [&](const SchemaEntry& e) {
                                       return e.type == type && e.name == name && e.sql == sql;
                                   });
            if (!isEarlier && !isCurrent) RefuseAltered(path, type, name);
            for (std::size_t k = 0; k < ours.size(); ++k)
                if (ours[k].name == name) found[k] = isEarlier ? EntryForm::Earlier : EntryForm::Current;
        }
    }
    return found;
}

void EnsureOwnedEntries(orvane::adodb::Connection& cnn, const std::string& path, std::span<const SchemaEntry> ours,
                        std::span<const EarlierSchemaEntry> earlier) {
    const std::vector<EntryForm> found = FindOwnedEntries(cnn, path, ours, earlier);
    for (std::size_t k = 0; k < ours.size(); ++k) {
        if (found[k] == EntryForm::Absent) cnn.CreateObject(std::string(ours[k].sql), std::string(ours[k].name));
        if (found[k] != EntryForm::Earlier) continue;
        for (const EarlierSchemaEntry& e : earlier)
            if (e.name == ours[k].name) cnn.AlterTable(std::string(e.upgrade), std::string(e.name));
    }
}

}  // namespace orvane::data
