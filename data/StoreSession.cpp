#include "StoreSession.h"

#include "CDataTransferTier.h"
#include "adodb/Recordset.h"

namespace {
// Rows fetched per GetRows: cards can be large (photos), so a chunk stays
// far inside the memory one read may take.
constexpr std::int32_t kChunkRows = 256;

// A quoted value holds any path, ';' and quotes included.
std::string Quoted(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

StoreSession::StoreSession(const std::string& database, Tables tables)
    : path_(database.empty() ? CDataTransferTier::DefaultDatabase() : database) {
    cnn_.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Quoted(path_) + ";Persist Security Info=False;");
    // Immediate: the check of our tables and what follows see one state of
    // the file, which no other writer changes in between.
    cnn_.Execute("BEGIN IMMEDIATE");
    open_ = true;
    found_ = SyncTables::Inspect(cnn_, path_);
    if (tables == Tables::Create) CreateMissingTables();
}

StoreSession::~StoreSession() {
    if (!open_) return;
    try {
        cnn_.Execute("ROLLBACK");
    } catch (...) {
        // Closing the connection rolls the transaction back as well.
    }
}

void StoreSession::CreateMissingTables() {
    if (found_ != SyncTables::State::Present) SyncTables::Ensure(cnn_, path_);
    found_ = SyncTables::State::Present;
}

void StoreSession::Execute(const std::string& sql) { cnn_.Execute(sql); }

void StoreSession::ForEachRow(const std::string& sql,
                              const std::function<void(const orvane::VariantArray&, std::int32_t)>& onRow) {
    orvane::adodb::Recordset rst;
    rst.Open(sql, cnn_);
    while (!rst.Eof()) {
        const orvane::Variant rows = rst.GetRows(kChunkRows);
        const orvane::VariantArray& r = rows.Array();
        for (std::int32_t j = r.LBound(2); j <= r.UBound(2); ++j) onRow(r, j);
    }
}

void StoreSession::Commit() {
    cnn_.Execute("COMMIT");
    open_ = false;
}
