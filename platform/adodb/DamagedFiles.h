#pragma once

#include <string>

namespace orvane::adodb {

// Database files that the engine has reported damaged during this run.
// Once a file is on the list, no statement writes to it any more: a write
// into a malformed file can only spread the damage.
void MarkDatabaseDamaged(const std::string& path);
bool IsDatabaseDamaged(const std::string& path);

}  // namespace orvane::adodb
