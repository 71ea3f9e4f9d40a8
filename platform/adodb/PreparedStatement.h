#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "adodb/Connection.h"

struct sqlite3_stmt;

namespace orvane::adodb {

namespace detail {
class WorkClock;
}

// One of the program's own statements, prepared once and run many times
// with new values bound to ?1, ?2 ... (a fill of many rows in key order, a
// lookup per key): the text is translated and prepared only once. Each run
// is one operation for the time limit, as an Execute is. Keep the
// connection open while the statement lives.
class PreparedStatement {
public:
    PreparedStatement(Connection& cnn, const std::string& commandText);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    // Values for the next run. Texts and blobs are copied.
    void Bind(int index, std::int64_t value);
    void BindText(int index, std::string_view text);
    void BindBlob(int index, std::string_view bytes);

    // Steps the run: true while it stands on a row.
    bool Step();
    // The current row's values; bytes stay valid until the next Step or Reset.
    bool IsNull(int column) const;
    std::int64_t Int64(int column) const;
    std::string_view Bytes(int column) const;

    // Runs to the end (a write), then makes the statement ready for new values.
    void Run();
    // Ready for the next run; the bound values are kept until bound anew.
    void Reset();

private:
    Connection& cnn_;
    sqlite3_stmt* stmt_ = nullptr;
    std::shared_ptr<detail::WorkClock> clock_;
    bool fileWork_ = false;
    bool running_ = false;
    std::string context_;
};

}  // namespace orvane::adodb
