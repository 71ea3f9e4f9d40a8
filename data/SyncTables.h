#pragma once

#include <string>

namespace orvane::adodb {
class Connection;
}

// The tables this program keeps beside tblAddress in the same database file:
// the card each address came from and the state of the sync with a CardDAV
// server. They are made by the program the first time it needs them; a file
// that has something of those names that the program did not make is
// refused as altered, and nothing is written to it.
namespace orvane::data::SyncTables {

inline constexpr const char* kCards = "OrvaneCards";
inline constexpr const char* kAccount = "OrvaneSyncAccount";
inline constexpr const char* kItems = "OrvaneSyncItems";
inline constexpr const char* kPending = "OrvaneSyncPending";
inline constexpr const char* kConflicts = "OrvaneSyncConflicts";
inline constexpr const char* kRefused = "OrvaneSyncRefused";
inline constexpr const char* kHeldProperties = "OrvaneSyncHeldProperties";

// The number of every "has been altered" refusal of the database layer (the
// engine's authorization error).
inline constexpr int kAlteredNumber = 23;

enum class State { Missing, Partial, Present };

// Checks the file's entries of our names against our own statements; raises
// the altered refusal for any other. Missing when none of our tables and
// indexes exists yet, Present when all do in their current form (Partial
// also when one is in the form an earlier version made). Call inside a
// transaction.
State Inspect(orvane::adodb::Connection& cnn, const std::string& path);

// Creates the tables that are missing, and brings one an earlier version
// made to its current form, after the same check. Call inside a
// transaction, so that they come all at once. tblAddress and SavedQueries
// are never touched.
void Ensure(orvane::adodb::Connection& cnn, const std::string& path);

}  // namespace orvane::data::SyncTables
