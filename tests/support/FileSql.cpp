#include "FileSql.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace orvane::test {

void RunSqlOnFile(const std::string& path, const std::string& sql) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close_v2);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot open " + path + ": " + sqlite3_errstr(rc));
    char* message = nullptr;
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error("SQL on " + path + " failed: " + text);
    }
}

}  // namespace orvane::test
