#pragma once

#include <string>

namespace orvane::test {

// Runs SQL on a database file the way another program (the sqlite3 shell)
// would: straight through the engine, past every guard of the program. For
// making the altered and hostile files the program must refuse.
void RunSqlOnFile(const std::string& path, const std::string& sql);

}  // namespace orvane::test
