#include "transfer/ImportSummary.h"

#include <algorithm>
#include <utility>

#include "transfer/TextTools.h"

namespace orvane::transfer {
namespace {
std::string Count(std::size_t n, const char* one, const char* many) {
    return text::Grouped(n) + " " + (n == 1 ? one : many);
}
}  // namespace

std::size_t ImportSummary::NotStoredCount() const {
    std::size_t total = 0;
    for (const auto& [name, count] : notStored) total += count;
    return total;
}

std::string ImportSummary::Line() const {
    std::string line = "imported " + Count(imported, "address", "addresses") + " from " + Count(files, "file", "files") +
                       ", skipped " + Count(duplicates, "duplicate", "duplicates") + ", " +
                       Count(cardsWithProblems, "card with problems", "cards with problems");
    if (const std::size_t total = NotStoredCount(); total > 0) {
        // The most frequent first, so the list stays short and telling.
        std::vector<std::pair<std::string, std::size_t>> names(notStored.begin(), notStored.end());
        std::stable_sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
        constexpr std::size_t kShown = 6;
        std::string list;
        for (std::size_t i = 0; i < names.size() && i < kShown; ++i)
            list += (i ? ", " : "") + names[i].first + " " + text::Grouped(names[i].second);
        if (names.size() > kShown) list += ", ...";
        line += ", " + Count(total, "value not stored", "values not stored") + " (" + list + ")";
    }
    if (filesRefused > 0) line += ", " + Count(filesRefused, "file refused", "files refused");
    return line;
}

}  // namespace orvane::transfer
