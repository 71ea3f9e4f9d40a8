#pragma once

#include <cstdint>

namespace orvane::adodb {

class Connection;

// The database file's change counter: the engine adds one with every
// transaction that writes to the file, whichever program commits it (the
// program's files use a rollback journal, which keeps the counter). Read
// while the connection's transaction holds the file, it is that state's.
// Read through the engine's own open file: opening and closing the file
// anew would drop the locks the engine holds on it. 0 for a file too short
// to have one.
std::uint32_t FileChangeCounter(Connection& cnn);

}  // namespace orvane::adodb
