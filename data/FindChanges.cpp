#include "FindChanges.h"

#include <algorithm>

#include "FindTables.h"
#include "SqlLiteral.h"
#include "SyncTables.h"
#include "adodb/Connection.h"
#include "adodb/FileHeader.h"
#include "adodb/Recordset.h"
#include "core/Error.h"

namespace FindTables = orvane::data::FindTables;
namespace SyncTables = orvane::data::SyncTables;
namespace SqlLiteral = orvane::data::SqlLiteral;

FindChanges::FindChanges(orvane::adodb::Connection& cnn, const std::string& path)
    : path_(path), counterAtStart_(orvane::adodb::FileChangeCounter(cnn)) {}

void FindChanges::Record(orvane::adodb::Connection& cnn) {
    // Tables of the index's names that the program did not make are refused
    // by the next search; a save goes on without them.
    try {
        if (!FindTables::Present(cnn, path_)) return;
    } catch (const orvane::Error& e) {
        if (e.Number() == SyncTables::kAlteredNumber) return;
        throw;
    }
    orvane::adodb::Recordset rst;
    rst.Open("SELECT ChangeCounter FROM OrvaneFindState WHERE ID = 1", cnn);
    if (rst.Eof()) return;
    const orvane::Variant row = rst.GetRows(1);
    rst.Close();
    if (std::stoll(row.Array().At(0, 0).JoinEmpty()) != static_cast<std::int64_t>(counterAtStart_)) return;
    for (std::size_t i = 0; i < ids_.size(); i += 500) {
        std::string values;
        for (std::size_t k = i; k < std::min(ids_.size(), i + 500); ++k)
            values += (k > i ? "), (" : "(") + SqlLiteral::Number(ids_[k]);
        cnn.Execute("INSERT OR IGNORE INTO " + std::string(FindTables::kPending) + " (AddressID) VALUES " + values + ")");
    }
    cnn.Execute("UPDATE OrvaneFindState SET ChangeCounter = " + std::to_string(std::int64_t{counterAtStart_} + 1) +
                " WHERE ID = 1");
}
