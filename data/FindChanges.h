#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::adodb {
class Connection;
}

// What a write of the program tells the search index, inside the write's own
// transaction: the addresses it changed, to be indexed again by the next
// search, while the index is otherwise taken as current. That holds only when
// the index reflected the file as the write began (else another program has
// written since, and the next search compares every address anyway); the
// file's change counter then goes up by exactly this write's commit, which
// is what the index records. A write that does not tell leaves the index
// behind the counter, so that the next search compares every address.
class FindChanges {
public:
    // cnn: the write's connection, path: its file. Construct once the
    // transaction holds the file, before anything is written.
    FindChanges(orvane::adodb::Connection& cnn, const std::string& path);

    void Add(std::int32_t addressID) { ids_.push_back(addressID); }
    // Call last before the commit, on the transaction's connection (also
    // for a write that changed nothing the index holds, which names none).
    void Record(orvane::adodb::Connection& cnn);

private:
    std::string path_;
    std::uint32_t counterAtStart_;
    std::vector<std::int32_t> ids_;
};
