#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "FindPostings.h"

namespace orvane::adodb {
class Connection;
class PreparedStatement;
}  // namespace orvane::adodb

// The postings of one block's words, by word.
using FindWordPostings = std::unordered_map<std::string, std::vector<FindPosting>>;

// The postings and fingerprints of the search index, written a block of
// addresses at a time inside the caller's write transaction.
class FindBlocks {
public:
    explicit FindBlocks(orvane::adodb::Connection& cnn);
    ~FindBlocks();
    FindBlocks(const FindBlocks&) = delete;
    FindBlocks& operator=(const FindBlocks&) = delete;

    // The blocks that hold addresses, in order.
    static std::vector<std::int64_t> Blocks(orvane::adodb::Connection& cnn);
    // The fingerprints the block's addresses were indexed with (ID and
    // print), by ID; empty for a block not indexed yet.
    std::vector<FindPosting> Prints(std::int64_t block);

    // Replaces what the block holds of the addresses `gone` (sorted) by the
    // postings `added` (each list sorted) and stores the block's prints
    // (none: the block is dropped). fresh: the block holds nothing yet, so
    // its rows are only added, in word order.
    void Update(std::int64_t block, const std::vector<std::int32_t>& gone, FindWordPostings added,
                const std::vector<FindPosting>& prints, bool fresh);

private:
    orvane::adodb::Connection& cnn_;
    std::unique_ptr<orvane::adodb::PreparedStatement> put_, drop_, putPrints_, readPrints_;
};
