#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adodb/Connection.h"

// One address as the search index is made from it: the seven text fields
// of tblAddress (empty for null) and its kept card, if any.
struct FindSource {
    std::int32_t id = 0;
    std::array<std::string, 7> fields;  // first name, last name, street, postal code, state, country, phone
    std::optional<std::string> card;
    // The fingerprint it was indexed with; none when not indexed yet.
    std::optional<std::int64_t> indexed;

    // A 32-bit fingerprint of everything above but `indexed`: when it
    // changes, the address is indexed again.
    std::int64_t Fingerprint() const;
};

// One entry of the index: a folded word (or "#" and phone digits) of an address's field.
struct FindWord {
    std::string word;
    std::int32_t field = 0;
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

    // Write mode. Calls onChunk with the addresses, in ID order, a chunk at
    // a time; the index may be written from inside onChunk.
    void ReadAddresses(const std::function<void(std::vector<FindSource>& chunk)>& onChunk);
    // Forgets the index entries of addresses no longer in tblAddress.
    void ForgetDeletedAddresses();
    // The addresses the program's own writes changed since the index was
    // last brought up to date (see FindChanges), in ID order.
    std::vector<std::int32_t> PendingAddresses();
    // Indexes those again (their words replaced, the deleted ones' dropped)
    // with wordsOf, and empties the list.
    void ReindexPending(const std::function<std::vector<FindWord>(const FindSource&)>& wordsOf);
    // Replaces what the index holds of one address.
    void Replace(const FindSource& address, const std::vector<FindWord>& words);
    // Records that the index now reflects the file, and commits.
    void CommitCurrent();

    // Read mode. Calls onMatch with each entry whose word begins with prefix.
    void ForEachPrefixMatch(std::string_view prefix, const std::function<void(std::int32_t id, std::int32_t field)>& onMatch);
    // First and last name of each of the addresses (empty when null), in ID order.
    struct Names {
        std::int32_t id;
        std::string first, last;
    };
    std::vector<Names> ReadNames(std::vector<std::int32_t> ids);
    // The addresses with their cards, in the order of the IDs given; those
    // that are gone are left out.
    std::vector<FindSource> ReadAddresses(const std::vector<std::int32_t>& ids);
    // The number of addresses in tblAddress.
    std::int64_t CountAddresses();

private:
    void Flush();
    bool HasCards();

    std::string path_;
    orvane::adodb::Connection cnn_;
    Mode mode_;
    bool open_ = false;
    // The file's change counter as this transaction began (write mode): its
    // commit adds exactly one.
    std::uint32_t counterAtStart_ = 0;
    std::optional<bool> hasCards_;
    std::vector<std::string> pendingWords_;
    std::string pendingWordRows_, pendingRows_;
    std::size_t pendingCount_ = 0, pendingRowCount_ = 0;
};
