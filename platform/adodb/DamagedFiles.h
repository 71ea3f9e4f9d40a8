#pragma once

#include <functional>
#include <string>

namespace orvane::adodb {

// Database files that the engine has reported damaged during this run.
// Once a file is on the list, no statement writes to it any more: a write
// into a malformed file can only spread the damage.
void MarkDatabaseDamaged(const std::string& path);
bool IsDatabaseDamaged(const std::string& path);

// What to tell the user about a damaged file besides its name, such as
// where its newest backup is (" The newest backup is ..."): set by the tier
// that keeps the backups, appended to every message about the damage.
void SetDamageAdvice(std::function<std::string(const std::string& path)> advice);
std::string DamageAdvice(const std::string& path);

}  // namespace orvane::adodb
