#include "StoreSession.h"

#include "CDataTransferTier.h"
#include "adodb/Command.h"
#include "adodb/ConnectionString.h"
#include "adodb/Recordset.h"
#include "core/App.h"

namespace SyncTables = orvane::data::SyncTables;

namespace {
// Rows fetched per GetRows: cards can be large (photos), so a chunk stays
// far inside the memory one read may take.
constexpr std::int32_t kChunkRows = 256;

}  // namespace

StoreSession::StoreSession(const std::string& database, Tables tables)
    : path_(database.empty() ? orvane::App::NativePath(CDataTransferTier::DefaultDatabase()) : database) {
    // Named exactly: a quoted Data Source holds any path, ';' and quotes included.
    cnn_.Open(orvane::adodb::ConnectionStringForFile(path_));
    // Immediate: the check of our tables and what follows see one state of
    // the file, which no other writer changes in between.
    cnn_.Execute("BEGIN IMMEDIATE");
    open_ = true;
    findChanges_.emplace(cnn_, path_);
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
    if (found_ != SyncTables::State::Present) {
        SyncTables::Ensure(cnn_, path_);
        wrote_ = true;
    }
    found_ = SyncTables::State::Present;
}

void StoreSession::Execute(const std::string& sql) {
    wrote_ = true;
    cnn_.Execute(sql);
}

void StoreSession::Execute(const std::string& sql, const std::vector<std::string_view>& texts) {
    wrote_ = true;
    cnn_.Execute(sql, texts);
}

void StoreSession::AddressesChanged(const std::vector<std::int32_t>& ids) {
    for (std::int32_t id : ids) findChanges_->Add(id);
}

void StoreSession::ExecuteSavedQuery(const std::string& name, const std::vector<orvane::Variant>& values) {
    bool given = false;
    orvane::adodb::ExecuteSavedQueryBatch(cnn_, name, [&](std::vector<orvane::Variant>& row) {
        if (given) return false;
        row = values;
        given = true;
        return true;
    });
}

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
    // None of its writes (the sync state's, the cards') changes what the
    // index holds but for the addresses named.
    if (wrote_) findChanges_->Record(cnn_);
    cnn_.Execute("COMMIT");
    open_ = false;
}
