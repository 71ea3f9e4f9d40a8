#pragma once

// Internal to the database layer: the functions that translated statements
// call on the engine.

#include <sqlite3.h>

namespace orvane::adodb::detail {

// Registers kDialectPlusFunction (SqlDialect.h) on a connection. It is
// innocuous and deterministic, so the engine may use it anywhere.
void RegisterDialectFunctions(sqlite3* db);

}  // namespace orvane::adodb::detail
