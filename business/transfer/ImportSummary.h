#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace orvane::transfer {

// What an import did, over all its files.
struct ImportSummary {
    std::size_t imported = 0;       // addresses stored
    std::size_t files = 0;          // files read and stored
    std::size_t filesRefused = 0;   // files not read, not contact files or damaged: nothing stored from them
    std::size_t duplicates = 0;     // identical in all seven fields to one stored or read before
    std::size_t cardsWithProblems = 0;
    std::map<std::string, std::size_t> notStored;  // value name -> how many
    std::vector<std::string> problems;             // "file:line: what"

    std::size_t NotStoredCount() const;
    // Everything was read: no problem line at all.
    bool Clean() const { return problems.empty(); }
    // "imported 1,204 addresses from 2 files, skipped 3 duplicates, 2 cards
    // with problems", then the values not stored and the refused files, if any.
    std::string Line() const;
};

}  // namespace orvane::transfer
