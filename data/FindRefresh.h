#pragma once

#include <cstddef>
#include <functional>

#include "FindIndexStore.h"

// The comparison of every address with the search index, inside the
// caller's write transaction: the addresses whose fingerprints differ from
// the ones they were indexed with are indexed anew, the deleted dropped.
namespace orvane::data::FindRefresh {

// total: the number of addresses, for progress. Returns the number indexed anew.
std::size_t Run(orvane::adodb::Connection& cnn, std::size_t total, bool hasCards, const FindIndexRules& rules,
                const std::function<void(std::size_t done, std::size_t total)>& progress);

}  // namespace orvane::data::FindRefresh
