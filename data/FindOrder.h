#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::adodb {
class Connection;
}

// The key results are ordered by, from an address's first and last name.
using FindSortKey = std::function<std::string(std::string_view first, std::string_view last)>;

// The order in which the search index shows results: the IDs of all
// addresses by their sort key, then by ID, kept in the file in parts.
namespace orvane::data::FindOrder {

std::vector<std::int32_t> Load(orvane::adodb::Connection& cnn);

// Brings the stored order up to date after the addresses `changed`
// (sorted) were added, changed or deleted: each is taken out and, when
// still there, put where its key now belongs (a few lookups of other
// addresses' names); many changes sort every address anew.
void Update(orvane::adodb::Connection& cnn, const std::vector<std::int32_t>& changed, const FindSortKey& sortKey);

}  // namespace orvane::data::FindOrder
