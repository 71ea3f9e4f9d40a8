#include "CDataTransferTier.h"

#include <chrono>
#include <vector>

#include "CDataCardTier.h"
#include "FindChanges.h"
#include "SyncTables.h"
#include "adodb/Command.h"
#include "adodb/Connection.h"
#include "adodb/ConnectionString.h"
#include "adodb/ErrorNumbers.h"
#include "adodb/Recordset.h"
#include "adodb/WriterWait.h"
#include "core/App.h"
#include "core/Error.h"

namespace SyncTables = orvane::data::SyncTables;

using orvane::Variant;
using orvane::VariantArray;

namespace {
// Rows fetched per GetRows while reading: big enough to be cheap, small
// enough that a large table never sits in memory whole.
constexpr std::int32_t kChunkRows = 1000;
// An import stores its addresses in runs of at most this many (and cards of
// at most kRunCardBytes together), then their cards: a run's cards are all
// the import holds of them at a time.
constexpr std::size_t kRunAddresses = 256;
// How long an import waits for another one to end before it gives up.
constexpr std::chrono::minutes kWaitForAnotherImport{1};
constexpr std::size_t kRunCardBytes = std::size_t{4} << 20;
}  // namespace

CDataTransferTier::CDataTransferTier(std::string strDatabase) : mblnGiven(!strDatabase.empty()) {
    mstrDatabase = mblnGiven ? std::move(strDatabase) : DefaultDatabase();
}

std::string CDataTransferTier::DefaultDatabase() { return orvane::App::Path() + "\\Database\\Addressbook.mdb"; }

std::string CDataTransferTier::NativePath() const {
    return mblnGiven ? mstrDatabase : orvane::App::NativePath(mstrDatabase);
}

std::string CDataTransferTier::ConnectionString() const {
    // The window's database is named as the window names it; a file given
    // by the user is taken as typed, whatever characters it holds.
    if (mblnGiven) return orvane::adodb::ConnectionStringForFile(mstrDatabase);
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mstrDatabase + ";Persist Security Info=False;";
}

namespace {

// Calls onAddress with every stored address, a chunk of rows at a time.
void ReadAll(orvane::adodb::Connection& cnn, const std::function<void(const Variant&)>& onAddress) {
    orvane::adodb::Recordset rst;
    // The name list's rows come in the order the database delivers them
    // from the table; this read takes the same path.
    rst.Open("SELECT *FROM tblAddress", cnn);
    while (!rst.Eof()) {
        const Variant vntRows = rst.GetRows(kChunkRows);
        const VariantArray& rows = vntRows.Array();
        for (std::int32_t j = rows.LBound(2); j <= rows.UBound(2); ++j) {
            VariantArray record(0, 7, 0, 0);
            for (std::int32_t i = 0; i <= 7; ++i) record.At(i, 0) = rows.At(i, j);
            onAddress(Variant(std::move(record)));
        }
    }
}

// Whether the file holds the card table (our tables already checked).
bool HasCardTable(orvane::adodb::Connection& cnn) {
    orvane::adodb::Recordset rst;
    rst.Open(std::string("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = '") + SyncTables::kCards +
                 "'",
             cnn);
    return !rst.Eof() && rst.GetRows(1).Array().At(0, 0).ToLong() > 0;
}

// As ReadAll, each address with its kept card. The address table leads the
// join, so the rows come in the order ReadAll gives them.
void ReadAllWithCards(orvane::adodb::Connection& cnn, const std::function<void(const Variant&, const std::string*)>& onAddress) {
    orvane::adodb::Recordset rst;
    rst.Open(std::string("SELECT tblAddress.*, ") + SyncTables::kCards + ".CardText FROM tblAddress LEFT JOIN " +
                 SyncTables::kCards + " ON " + SyncTables::kCards + ".AddressID = tblAddress.ID",
             cnn);
    // Cards can be large (photos): fewer rows a chunk.
    constexpr std::int32_t kCardChunkRows = 256;
    while (!rst.Eof()) {
        const Variant vntRows = rst.GetRows(kCardChunkRows);
        const VariantArray& rows = vntRows.Array();
        for (std::int32_t j = rows.LBound(2); j <= rows.UBound(2); ++j) {
            VariantArray record(0, 7, 0, 0);
            for (std::int32_t i = 0; i <= 7; ++i) record.At(i, 0) = rows.At(i, j);
            const Variant& card = rows.At(8, j);
            if (card.IsNull()) {
                onAddress(Variant(std::move(record)), nullptr);
            } else {
                const std::string text = card.JoinEmpty();
                onAddress(Variant(std::move(record)), &text);
            }
        }
    }
}

// Runs "SaveAddress" for every record that next gives, on cnn.
void SaveAll(orvane::adodb::Connection& cnn, const std::function<bool(Variant&)>& next) {
    Variant vntAddressInfo;
    orvane::adodb::ExecuteSavedQueryBatch(cnn, "SaveAddress", [&](std::vector<Variant>& values) {
        if (!next(vntAddressInfo)) return false;
        const VariantArray& record = vntAddressInfo.Array();
        values.resize(7);
        for (std::int32_t i = 1; i <= 7; ++i) values[static_cast<std::size_t>(i - 1)] = record.At(i, 0);
        return true;
    });
}

}  // namespace

void CDataTransferTier::ReadAddresses(const std::function<void(const Variant&)>& onAddress) const {
    orvane::adodb::Connection cnn;
    cnn.Open(ConnectionString());
    ReadAll(cnn, onAddress);
}

void CDataTransferTier::ReadAddressesWithCards(const std::function<void(const Variant&, const std::string*)>& onAddress) const {
    orvane::adodb::Connection cnn;
    cnn.Open(ConnectionString());
    // One state of the file for addresses and cards, read only (a file
    // that cannot be written is still exported); a file with something of
    // our names that we did not make is refused here.
    cnn.Execute("BEGIN DEFERRED");
    try {
        const bool cards = SyncTables::Inspect(cnn, NativePath()) != SyncTables::State::Missing && HasCardTable(cnn);
        if (cards) ReadAllWithCards(cnn, onAddress);
        else ReadAll(cnn, [&](const Variant& vntAddressInfo) { onAddress(vntAddressInfo, nullptr); });
    } catch (...) {
        // Closing the connection ends the read as well.
        try {
            cnn.Execute("ROLLBACK");
        } catch (...) {
        }
        throw;
    }
    cnn.Execute("ROLLBACK");
}

void CDataTransferTier::SaveAddresses(const std::function<bool(Variant&)>& next) const {
    orvane::adodb::Connection cnn;
    cnn.Open(ConnectionString());
    SaveAll(cnn, next);
}

void CDataTransferTier::ImportAddresses(const std::function<void(const Variant&)>& onStored,
                                        const std::function<bool(Variant&, std::string&)>& next) const {
    orvane::adodb::Connection cnn;
    cnn.Open(ConnectionString());
    // As the writer from the start: another import waits for this one and
    // then reads what it stored. Closing the connection without the commit
    // rolls everything back. A large import holds the file for seconds, so
    // the wait for it is longer than a window's.
    orvane::adodb::WaitForOtherWriters(cnn, kWaitForAnotherImport);
    cnn.BeginTrans();
    FindChanges findChanges(cnn, NativePath());
    ReadAll(cnn, onStored);

    struct Pending {
        Variant record;
        std::string card;
    };
    std::vector<Pending> run;
    bool more = true;
    bool tablesReady = false;
    while (more) {
        // A run of addresses with their cards, from next.
        run.clear();
        std::size_t cardBytes = 0;
        while (run.size() < kRunAddresses && cardBytes < kRunCardBytes) {
            Pending pending;
            if (!next(pending.record, pending.card)) {
                more = false;
                break;
            }
            cardBytes += pending.card.size();
            run.push_back(std::move(pending));
        }
        // The addresses, learning the ID each one was given; then the cards,
        // once the saved query's rules no longer hold.
        std::vector<std::int64_t> ids;
        ids.reserve(run.size());
        std::size_t given = 0;
        if (run.empty()) break;
        orvane::adodb::ExecuteSavedQueryBatch(
            cnn, "SaveAddress",
            [&](std::vector<Variant>& values) {
                if (given == run.size()) return false;
                const VariantArray& record = run[given++].record.Array();
                values.resize(7);
                for (std::int32_t i = 1; i <= 7; ++i) values[static_cast<std::size_t>(i - 1)] = record.At(i, 0);
                return true;
            },
            [&](std::int64_t id) {
                ids.push_back(id);
                findChanges.Add(static_cast<std::int32_t>(id));
            });
        // The run's cards in one statement, each bound (a card of many
        // megabytes is never copied into SQL).
        std::vector<std::int32_t> cardIds;
        std::vector<std::string_view> cards;
        for (std::size_t i = 0; i < run.size(); ++i) {
            if (run[i].card.empty()) continue;
            cardIds.push_back(static_cast<std::int32_t>(ids.at(i)));
            cards.push_back(run[i].card);
        }
        if (cards.empty()) continue;
        if (!tablesReady) {
            SyncTables::Ensure(cnn, NativePath());
            tablesReady = true;
        }
        cnn.Execute(CDataCardTier::KeepBoundCardsStatement(cardIds), cards);
    }
    findChanges.Record(cnn);
    cnn.CommitTrans();
}
