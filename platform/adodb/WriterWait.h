#pragma once

#include <chrono>

#include "adodb/Connection.h"

namespace orvane::adodb {

// How long the connection's statements (BEGIN included) wait for another
// connection's write to end before the file is reported locked; a
// connection waits 2 s unless this sets another time.
void WaitForOtherWriters(Connection& cnn, std::chrono::milliseconds longest);

}  // namespace orvane::adodb
