#pragma once

#include <string>

namespace orvane::adodb {

// Runs the engine's quick check over the whole database file. A file that
// fails it is put on the damaged list (no more writes this run) and
// raises orvane::Error naming the file.
void QuickCheckDatabase(const std::string& path);

// Copies the database file to destination, a new file, with the engine's
// online backup, so the copy is consistent even while the file is in use.
// The copy has the permissions of the database file (less the umask). An
// existing destination (a link too) is an error; a failed copy leaves
// nothing behind.
void CopyDatabase(const std::string& path, const std::string& destination);

}  // namespace orvane::adodb
