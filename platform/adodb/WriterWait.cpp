#include "adodb/WriterWait.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>

namespace orvane::adodb {

void WaitForOtherWriters(Connection& cnn, std::chrono::milliseconds longest) {
    const auto ms = std::clamp<std::chrono::milliseconds::rep>(longest.count(), 0, INT_MAX);
    sqlite3_busy_timeout(cnn.Handle(), static_cast<int>(ms));
}

}  // namespace orvane::adodb
