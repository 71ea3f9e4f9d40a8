#pragma once

#include <cstdint>
#include <string>

namespace orvane::adodb {

// The database file's change counter: the engine adds one with every
// transaction that writes to the file, whichever program commits it (the
// program's files use a rollback journal, which keeps the counter). Read
// while a transaction on the file holds its lock, it is that state's.
// 0 for a file too short to have one.
std::uint32_t FileChangeCounter(const std::string& path);

}  // namespace orvane::adodb
