#include "FindIndexStore.h"

#include <algorithm>
#include <unordered_map>

#include "CDataTransferTier.h"
#include "FindBlocks.h"
#include "FindRefresh.h"
#include "FindTables.h"
#include "SqlLiteral.h"
#include "SyncTables.h"
#include "adodb/ConnectionString.h"
#include "adodb/FileHeader.h"
#include "adodb/PreparedStatement.h"
#include "adodb/Recordset.h"
#include "core/App.h"

namespace FindTables = orvane::data::FindTables;
namespace SyncTables = orvane::data::SyncTables;
namespace FindRefresh = orvane::data::FindRefresh;
namespace FindPostings = orvane::data::FindPostings;
namespace FindOrder = orvane::data::FindOrder;
namespace SqlLiteral = orvane::data::SqlLiteral;

namespace {

std::uint64_t Fnv1a(std::uint64_t hash, std::string_view bytes) {
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

template <typename OnRow>
void ForEachRow(orvane::adodb::Connection& cnn, const std::string& sql, OnRow onRow) {
    orvane::adodb::Recordset rst;
    rst.Open(sql, cnn);
    while (!rst.Eof()) {
        const orvane::Variant rows = rst.GetRows(1000);
        const orvane::VariantArray& r = rows.Array();
        for (std::int32_t j = r.LBound(2); j <= r.UBound(2); ++j) onRow(r, j);
    }
}

// The prefix's range of the key: words from the prefix up to, not
// including, the prefix with its last byte raised by one.
std::string RangeEnd(std::string_view prefix) {
    std::string end(prefix);
    while (!end.empty() && static_cast<unsigned char>(end.back()) == 0xFF) end.pop_back();
    if (!end.empty()) end.back() = static_cast<char>(static_cast<unsigned char>(end.back()) + 1);
    return end;
}

void AddEntries(FindWordPostings& postings, const FindSource& address, const FindIndexRules& rules) {
    for (FindWord& w : rules.wordsOf(address)) postings[std::move(w.word)].push_back({address.id, w.value});
}

}  // namespace

std::uint32_t FindSource::Fingerprint() const {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const std::string& field : fields) hash = Fnv1a(Fnv1a(hash, field), "\x1f");
    const std::uint64_t full = card ? Fnv1a(hash, *card) : Fnv1a(hash, "\x1e");
    return static_cast<std::uint32_t>(full ^ (full >> 32));
}

FindIndexStore::FindIndexStore(const std::string& database, Mode mode)
    : path_(database.empty() ? orvane::App::NativePath(CDataTransferTier::DefaultDatabase()) : database), mode_(mode) {
    cnn_.Open(orvane::adodb::ConnectionStringForFile(path_));
    // A write takes the file at once: the index and the addresses it is made
    // from are one state, which no other writer changes in between.
    cnn_.Execute(mode == Mode::Write ? "BEGIN IMMEDIATE" : "BEGIN");
    open_ = true;
    // Read before anything is written: a large write may spill pages, the
    // header's among them, into the file before the commit.
    counterAtStart_ = orvane::adodb::FileChangeCounter(cnn_);
    if (mode == Mode::Write) FindTables::Ensure(cnn_, path_);
}

FindIndexStore::~FindIndexStore() {
    range_.reset();
    if (!open_) return;
    try {
        cnn_.Execute("ROLLBACK");
    } catch (...) {
        // Closing the connection rolls the transaction back as well.
    }
}

bool FindIndexStore::Current() {
    // The check of the schema reads the file, so the transaction holds it
    // from here on and the counter read below is this state's.
    if (!FindTables::Present(cnn_, path_)) return false;
    std::optional<std::int64_t> indexed;
    ForEachRow(cnn_, "SELECT ChangeCounter FROM OrvaneFindState WHERE ID = 1",
               [&](const orvane::VariantArray& r, std::int32_t j) { indexed = std::stoll(r.At(0, j).JoinEmpty()); });
    return indexed && *indexed == static_cast<std::int64_t>(Counter());
}

std::uint32_t FindIndexStore::Counter() {
    return mode_ == Mode::Write ? counterAtStart_ : orvane::adodb::FileChangeCounter(cnn_);
}

bool FindIndexStore::HasCards() {
    if (!hasCards_) hasCards_ = SyncTables::Inspect(cnn_, path_) != SyncTables::State::Missing;
    return *hasCards_;
}

std::size_t FindIndexStore::Refresh(const FindIndexRules& rules,
                                    const std::function<void(std::size_t, std::size_t)>& progress) {
    return FindRefresh::Run(cnn_, static_cast<std::size_t>(CountAddresses()), HasCards(), rules, progress);
}

std::vector<std::int32_t> FindIndexStore::PendingAddresses() {
    std::vector<std::int32_t> ids;
    ForEachRow(cnn_, "SELECT AddressID FROM OrvaneFindPending ORDER BY AddressID",
               [&](const orvane::VariantArray& r, std::int32_t j) { ids.push_back(r.At(0, j).ToLong()); });
    return ids;
}

void FindIndexStore::ReindexPending(const FindIndexRules& rules) {
    const std::vector<std::int32_t> ids = PendingAddresses();
    FindBlocks blocks(cnn_);
    for (std::size_t i = 0; i < ids.size();) {
        // The pending addresses of one block.
        const std::int64_t block = FindPostings::BlockOf(ids[i]);
        std::size_t end = i;
        while (end < ids.size() && FindPostings::BlockOf(ids[end]) == block) ++end;
        const std::vector<std::int32_t> gone(ids.begin() + static_cast<std::ptrdiff_t>(i),
                                             ids.begin() + static_cast<std::ptrdiff_t>(end));
        i = end;
        std::vector<FindPosting> prints = blocks.Prints(block);
        std::erase_if(prints, [&](const FindPosting& p) { return std::binary_search(gone.begin(), gone.end(), p.id); });
        FindWordPostings added;
        for (const FindSource& a : ReadAddresses(gone)) {
            AddEntries(added, a, rules);
            prints.push_back({a.id, a.Fingerprint()});
        }
        std::sort(prints.begin(), prints.end());
        blocks.Update(block, gone, std::move(added), prints, false);
    }
    FindOrder::Update(cnn_, ids, rules.sortKey);
}

void FindIndexStore::CommitCurrent() {
    // This transaction's commit adds one to the counter: no other writer
    // can commit before it, since the transaction holds the file.
    cnn_.Execute("DELETE FROM OrvaneFindPending");
    const std::int64_t after = std::int64_t{counterAtStart_} + 1;
    cnn_.Execute("INSERT INTO OrvaneFindState (ID, ChangeCounter) VALUES (1, " + std::to_string(after) +
                 ") ON CONFLICT (ID) DO UPDATE SET ChangeCounter = excluded.ChangeCounter");
    cnn_.Execute("COMMIT");
    open_ = false;
}

void FindIndexStore::ForEachPrefixMatch(std::string_view prefix,
                                        const std::function<void(std::string_view)>& onPostings) {
    // The rows whose head begins with the prefix's head. A folded word is
    // UTF-8, in which no byte is 0xFF: every prefix has an end.
    const std::string_view head = FindPostings::HeadOf(prefix);
    const std::string end = RangeEnd(head);
    if (prefix.empty() || end.empty()) return;
    if (!range_) {
        blocks_ = FindBlocks::Blocks(cnn_);
        range_ = std::make_unique<orvane::adodb::PreparedStatement>(
            cnn_, "SELECT Words FROM OrvaneFindPostings WHERE Block = ?1 AND Head >= ?2 AND Head < ?3");
    }
    range_->BindBlob(2, head);
    range_->BindBlob(3, end);
    for (std::int64_t block : blocks_) {
        range_->Bind(1, block);
        while (range_->Step())
            FindPostings::ForEachWord(range_->Bytes(0), [&](std::string_view word, std::string_view postings) {
                if (word.starts_with(prefix)) onPostings(postings);
            });
        range_->Reset();
    }
}

std::vector<std::int32_t> FindIndexStore::DisplayOrder() { return FindOrder::Load(cnn_); }

std::vector<FindSource> FindIndexStore::ReadAddresses(const std::vector<std::int32_t>& ids) {
    std::unordered_map<std::int32_t, FindSource> byId;
    std::string list;
    for (std::int32_t id : ids) list += (list.empty() ? "" : ", ") + SqlLiteral::Number(id);
    if (list.empty()) return {};
    ForEachRow(cnn_,
               "SELECT ID, FirstName, LastName, Address, PostalCode, State, Country, Phone FROM tblAddress WHERE ID IN (" +
                   list + ")",
               [&](const orvane::VariantArray& r, std::int32_t j) {
                   FindSource& a = byId[r.At(0, j).ToLong()];
                   a.id = r.At(0, j).ToLong();
                   for (std::size_t f = 0; f < a.fields.size(); ++f)
                       a.fields[f] = r.At(static_cast<std::int32_t>(f) + 1, j).JoinEmpty();
               });
    if (HasCards())
        ForEachRow(cnn_, "SELECT AddressID, CardText FROM OrvaneCards WHERE AddressID IN (" + list + ")",
                   [&](const orvane::VariantArray& r, std::int32_t j) {
                       const auto found = byId.find(r.At(0, j).ToLong());
                       if (found != byId.end()) found->second.card = r.At(1, j).JoinEmpty();
                   });
    std::vector<FindSource> addresses;
    for (std::int32_t id : ids) {
        auto found = byId.find(id);
        if (found != byId.end()) addresses.push_back(std::move(found->second));
    }
    return addresses;
}

std::int64_t FindIndexStore::CountAddresses() {
    std::int64_t count = 0;
    ForEachRow(cnn_, "SELECT COUNT(*) FROM tblAddress",
               [&](const orvane::VariantArray& r, std::int32_t j) { count = std::stoll(r.At(0, j).JoinEmpty()); });
    return count;
}
