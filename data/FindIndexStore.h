#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FindOrder.h"
#include "adodb/Connection.h"

namespace orvane::adodb {
class PreparedStatement;
}

// One address as the search index is made from it: the seven text fields
// of tblAddress (empty for null) and its kept card, if any.
struct FindSource {
    std::int32_t id = 0;
    std::array<std::string, 7> fields;  // first name, last name, street, postal code, state, country, phone
    std::optional<std::string> card;

    // A 32-bit fingerprint of all of it: when it changes, the address is
    // indexed again.
    std::uint32_t Fingerprint() const;
};

// One entry of an address in the index: a folded word (or "#" and three
// phone digits) and the value stored with it.
struct FindWord {
    std::string word;
    std::uint32_t value = 0;
};

// What the index is made of, as the search decides it.
struct FindIndexRules {
    // The entries of an address, each (word, value) once.
    std::function<std::vector<FindWord>(const FindSource&)> wordsOf;
    FindSortKey sortKey;
};

// One unit of work on the search index in the database file, in one
// transaction: a read (the search) or a write (bringing the index up to
// date), rolled back unless committed.
class FindIndexStore {
public:
    enum class Mode { Read, Write };
    // database: the file; empty for the window's database.
    FindIndexStore(const std::string& database, Mode mode);
    ~FindIndexStore();
    FindIndexStore(const FindIndexStore&) = delete;
    FindIndexStore& operator=(const FindIndexStore&) = delete;

    const std::string& Path() const noexcept { return path_; }
    // Whether the index is there and reflects the file's last commit: no
    // transaction (ours or another program's) has written since it was
    // brought up to date.
    bool Current();
    // The file's change counter in this transaction's state.
    std::uint32_t Counter();

    // Write mode. Compares every address with what the index holds of it
    // (by fingerprint) and indexes those added or changed anew, dropping the
    // deleted; progress is told the addresses done of the total. Returns the
    // number indexed anew.
    std::size_t Refresh(const FindIndexRules& rules, const std::function<void(std::size_t, std::size_t)>& progress);
    // The addresses the program's own writes changed since the index was
    // last brought up to date (see FindChanges), in ID order.
    std::vector<std::int32_t> PendingAddresses();
    // Indexes those again (the deleted ones dropped) and empties the list.
    void ReindexPending(const FindIndexRules& rules);
    // Records that the index now reflects the file, and commits.
    void CommitCurrent();

    // Read mode. Calls onPostings with the postings (FindPostings.h) of
    // each word that begins with prefix, block after block.
    void ForEachPrefixMatch(std::string_view prefix, const std::function<void(std::string_view postings)>& onPostings);
    // The IDs of the indexed addresses in the order results are shown.
    std::vector<std::int32_t> DisplayOrder();
    // The addresses with their cards, in the order of the IDs given; those
    // that are gone are left out.
    std::vector<FindSource> ReadAddresses(const std::vector<std::int32_t>& ids);
    // The number of addresses in tblAddress.
    std::int64_t CountAddresses();

private:
    bool HasCards();

    std::string path_;
    orvane::adodb::Connection cnn_;
    Mode mode_;
    bool open_ = false;
    // The file's change counter as this transaction began (write mode): its
    // commit adds exactly one.
    std::uint32_t counterAtStart_ = 0;
    std::optional<bool> hasCards_;
    std::vector<std::int64_t> blocks_;  // read mode, once read
    std::unique_ptr<orvane::adodb::PreparedStatement> range_;
};
