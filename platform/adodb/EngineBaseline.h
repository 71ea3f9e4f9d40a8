#pragma once

#include <cstddef>
#include <string>

namespace orvane::adodb {

// Reads every row of a statement straight through the engine's C API, with
// no tagged values and no copies: the baseline the benchmark compares the
// program's own reads against. Returns the number of text bytes seen.
std::size_t EngineReadAll(const std::string& databasePath, const std::string& engineSql);

}  // namespace orvane::adodb
