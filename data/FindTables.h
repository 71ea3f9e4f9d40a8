#pragma once

#include <string>

namespace orvane::adodb {
class Connection;
}

// The search index the program keeps beside tblAddress in the same file:
// the folded words of each address and of its kept card, with whether
// each came from a name, and the digits of its phones. Made by the program the first time a search needs it;
// anything of these names that the program did not make is refused as
// altered (the same refusal as for the sync tables), and nothing is written.
namespace orvane::data::FindTables {

inline constexpr const char* kPostings = "OrvaneFindPostings";
inline constexpr const char* kPrints = "OrvaneFindPrints";
inline constexpr const char* kOrder = "OrvaneFindOrder";
inline constexpr const char* kState = "OrvaneFindState";
inline constexpr const char* kPending = "OrvaneFindPending";

// Whether all of the index's tables are there in their current form (none
// there: false). Raises the altered refusal for an entry of our names that
// is not ours. Call inside a transaction.
bool Present(orvane::adodb::Connection& cnn, const std::string& path);

// Creates the missing tables after the same check. Call inside a write
// transaction, so that they come all at once.
void Ensure(orvane::adodb::Connection& cnn, const std::string& path);

}  // namespace orvane::data::FindTables
