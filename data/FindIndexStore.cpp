#include "FindIndexStore.h"

#include <algorithm>
#include <unordered_map>

#include "CDataTransferTier.h"
#include "FindTables.h"
#include "SqlLiteral.h"
#include "SyncTables.h"
#include "adodb/ConnectionString.h"
#include "adodb/FileHeader.h"
#include "adodb/Recordset.h"
#include "core/App.h"

namespace {

// Addresses read per chunk while the index is brought up to date, and words
// stored per statement (each bound, so a statement stays short to prepare).
constexpr std::int32_t kAddressChunk = 2000;
constexpr std::size_t kWordsPerStatement = 400;
// Up to this many IDs are looked up one by one; more are found by one pass.
constexpr std::size_t kIdsLookedUp = 4000;

std::int64_t Fnv1a(std::uint64_t hash, std::string_view bytes) {
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return static_cast<std::int64_t>(hash);
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

}  // namespace

std::int64_t FindSource::Fingerprint() const {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const std::string& field : fields) {
        hash = static_cast<std::uint64_t>(Fnv1a(hash, field));
        hash = static_cast<std::uint64_t>(Fnv1a(hash, "\x1f"));
    }
    const auto full = static_cast<std::uint64_t>(card ? Fnv1a(hash, *card) : Fnv1a(hash, "\x1e"));
    // Folded to 32 bits, which is what the database layer reads back as a number.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(full ^ (full >> 32)));
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
    const std::uint32_t counter = mode_ == Mode::Write ? counterAtStart_ : orvane::adodb::FileChangeCounter(cnn_);
    return indexed && *indexed == static_cast<std::int64_t>(counter);
}

bool FindIndexStore::HasCards() {
    if (!hasCards_) hasCards_ = SyncTables::Inspect(cnn_, path_) != SyncTables::State::Missing;
    return *hasCards_;
}

void FindIndexStore::ReadAddresses(const std::function<void(std::vector<FindSource>&)>& onChunk) {
    const std::string card = HasCards() ? "c.CardText" : "NULL";
    const std::string join = HasCards() ? " LEFT JOIN OrvaneCards c ON c.AddressID = a.ID" : "";
    std::int64_t last = 0;
    for (;;) {
        std::vector<FindSource> chunk;
        ForEachRow(cnn_,
                   "SELECT a.ID, a.FirstName, a.LastName, a.Address, a.PostalCode, a.State, a.Country, a.Phone, " +
                       card + ", r.Fingerprint FROM tblAddress a" + join +
                       " LEFT JOIN OrvaneFindRows r ON r.AddressID = a.ID WHERE a.ID > " + std::to_string(last) +
                       " ORDER BY a.ID LIMIT " + std::to_string(kAddressChunk),
                   [&](const orvane::VariantArray& r, std::int32_t j) {
                       FindSource& a = chunk.emplace_back();
                       a.id = r.At(0, j).ToLong();
                       for (std::size_t f = 0; f < a.fields.size(); ++f)
                           a.fields[f] = r.At(static_cast<std::int32_t>(f) + 1, j).JoinEmpty();
                       if (!r.At(8, j).IsNull()) a.card = r.At(8, j).JoinEmpty();
                       if (!r.At(9, j).IsNull()) a.indexed = std::stoll(r.At(9, j).JoinEmpty());
                   });
        if (chunk.empty()) break;
        last = chunk.back().id;
        onChunk(chunk);
    }
    Flush();
}

void FindIndexStore::ForgetDeletedAddresses() {
    cnn_.Execute(
        "DELETE FROM OrvaneFindWords WHERE AddressID IN "
        "(SELECT AddressID FROM OrvaneFindRows WHERE AddressID NOT IN (SELECT ID FROM tblAddress))");
    cnn_.Execute("DELETE FROM OrvaneFindRows WHERE AddressID NOT IN (SELECT ID FROM tblAddress)");
}

std::vector<std::int32_t> FindIndexStore::PendingAddresses() {
    std::vector<std::int32_t> ids;
    ForEachRow(cnn_, "SELECT AddressID FROM OrvaneFindPending ORDER BY AddressID",
               [&](const orvane::VariantArray& r, std::int32_t j) { ids.push_back(r.At(0, j).ToLong()); });
    return ids;
}

void FindIndexStore::ReindexPending(const std::function<std::vector<FindWord>(const FindSource&)>& wordsOf) {
    const std::vector<std::int32_t> ids = PendingAddresses();
    for (std::size_t i = 0; i < ids.size(); i += 500) {
        const std::vector<std::int32_t> chunk(ids.begin() + static_cast<std::ptrdiff_t>(i),
                                              ids.begin() + static_cast<std::ptrdiff_t>(std::min(ids.size(), i + 500)));
        std::string list;
        for (std::int32_t id : chunk) list += (list.empty() ? "" : ", ") + SqlLiteral::Number(id);
        // Whatever was indexed of them goes; those still there come back.
        cnn_.Execute("DELETE FROM OrvaneFindWords WHERE AddressID IN (" + list + ")");
        cnn_.Execute("DELETE FROM OrvaneFindRows WHERE AddressID IN (" + list + ")");
        for (const FindSource& address : ReadAddresses(chunk)) Replace(address, wordsOf(address));
    }
    Flush();
}

void FindIndexStore::Replace(const FindSource& address, const std::vector<FindWord>& words) {
    const std::string id = SqlLiteral::Number(address.id);
    if (address.indexed) cnn_.Execute("DELETE FROM OrvaneFindWords WHERE AddressID = " + id);
    for (const FindWord& w : words) {
        pendingWordRows_ += (pendingCount_ ? ", (?, " : "(?, ") + id + ", " + std::to_string(w.field) + ")";
        pendingWords_.push_back(w.word);
        if (++pendingCount_ == kWordsPerStatement) Flush();
    }
    pendingRows_ += (pendingRowCount_++ ? ", (" : "(") + id + ", " + std::to_string(address.Fingerprint()) + ")";
    if (pendingRowCount_ == kWordsPerStatement) Flush();
}

void FindIndexStore::Flush() {
    if (pendingCount_) {
        cnn_.Execute("INSERT INTO OrvaneFindWords (Word, AddressID, Field) VALUES " + pendingWordRows_,
                     std::vector<std::string_view>(pendingWords_.begin(), pendingWords_.end()));
        pendingWords_.clear();
        pendingWordRows_.clear();
        pendingCount_ = 0;
    }
    if (pendingRowCount_) {
        cnn_.Execute("INSERT INTO OrvaneFindRows (AddressID, Fingerprint) VALUES " + pendingRows_ +
                     " ON CONFLICT (AddressID) DO UPDATE SET Fingerprint = excluded.Fingerprint");
        pendingRows_.clear();
        pendingRowCount_ = 0;
    }
}

void FindIndexStore::CommitCurrent() {
    Flush();
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
                                        const std::function<void(std::int32_t, std::int32_t)>& onMatch) {
    std::string sql = "SELECT AddressID, Field FROM OrvaneFindWords WHERE Word >= " + SqlLiteral::Text(prefix);
    const std::string end = RangeEnd(prefix);
    if (!end.empty()) sql += " AND Word < " + SqlLiteral::Text(end);
    ForEachRow(cnn_, sql,
               [&](const orvane::VariantArray& r, std::int32_t j) { onMatch(r.At(0, j).ToLong(), r.At(1, j).ToLong()); });
}

std::vector<FindIndexStore::Names> FindIndexStore::ReadNames(std::vector<std::int32_t> ids) {
    std::sort(ids.begin(), ids.end());
    std::vector<Names> names;
    names.reserve(ids.size());
    const auto onRow = [&](const orvane::VariantArray& r, std::int32_t j) {
        const std::int32_t id = r.At(0, j).ToLong();
        if (ids.size() > kIdsLookedUp && !std::binary_search(ids.begin(), ids.end(), id)) return;
        names.push_back({id, r.At(1, j).JoinEmpty(), r.At(2, j).JoinEmpty()});
    };
    if (ids.size() > kIdsLookedUp) {
        ForEachRow(cnn_, "SELECT ID, FirstName, LastName FROM tblAddress ORDER BY ID", onRow);
        return names;
    }
    for (std::size_t i = 0; i < ids.size(); i += 500) {
        std::string list;
        for (std::size_t k = i; k < std::min(ids.size(), i + 500); ++k)
            list += (k > i ? ", " : "") + SqlLiteral::Number(ids[k]);
        ForEachRow(cnn_, "SELECT ID, FirstName, LastName FROM tblAddress WHERE ID IN (" + list + ") ORDER BY ID", onRow);
    }
    return names;
}

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
