#include "adodb/EngineBaseline.h"

#include <sqlite3.h>

#include "core/Error.h"

namespace orvane::adodb {

std::size_t EngineReadAll(const std::string& databasePath, const std::string& engineSql) {
    sqlite3* db = nullptr;
    // Opened as the program opens its connections: one thread, no locking
    // inside the engine, so the baseline is the engine at its fastest.
    if (sqlite3_open_v2(databasePath.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw Error(1, "cannot open " + databasePath + ": " + message);
    }
    sqlite3_stmt* stmt = nullptr;
    std::size_t bytes = 0;
    if (sqlite3_prepare_v2(db, engineSql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                if (sqlite3_column_type(stmt, c) == SQLITE_INTEGER) {
                    bytes += static_cast<std::size_t>(sqlite3_column_int(stmt, c) & 1);
                } else {
                    const unsigned char* text = sqlite3_column_text(stmt, c);
                    if (text) bytes += static_cast<std::size_t>(sqlite3_column_bytes(stmt, c));
                }
            }
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return bytes;
}

}  // namespace orvane::adodb
