#pragma once

#include <chrono>
#include <optional>
#include <string>

// The way back from a damaged address database: a daily copy under
// Database/Backups, and the refusal to write into a file known to be
// damaged.
namespace DatabaseBackup {

// How many daily copies are kept; older ones are removed.
inline constexpr std::size_t kKeptBackups = 7;

// The address database file below the application folder.
std::string DatabaseFile();

// Makes today's copy, Backups/Addressbook-YYYYMMDD.mdb beside the database,
// unless there is one already: only after the engine's quick check passes,
// with the engine's online backup, keeping the newest kKeptBackups by their
// real age (copies named after today, from a clock that was once ahead,
// count as the oldest; the copy just made is always kept). Of several
// starts at once, one makes it and the others leave it to that one. The
// copy is as private as the database file. Never raises: returns what went
// wrong (empty when all is well), so a failed backup can be reported without
// stopping the program.
std::string MakeDaily(std::chrono::year_month_day today);

// The newest copy of the database by its real age (see MakeDaily), if any.
std::optional<std::string> Newest();

// Makes every message about a damaged database name its newest copy.
void AdviseOnDamage();

// Raises orvane::Error naming the file and the newest copy when the engine
// has reported the database damaged during this run.
void RefuseWritesIfDamaged();

}  // namespace DatabaseBackup
