#pragma once

#include <chrono>
#include <cstddef>

namespace orvane::adodb {

// How much one database operation may take before it is stopped with an
// error, so a crafted or damaged file cannot hold the window forever. A
// normal address table of a million rows stays far inside both.
struct WorkLimits {
    // Engine time (never the caller's time between rows): for each step of
    // the program's own statements, and for all the work of the database
    // file's own SQL (saved queries, views, triggers) in one operation, a
    // list read or a whole import (see WorkClock in AccessGuard.h).
    std::chrono::milliseconds time{5000};
    // Memory of the values that one GetRows hands out.
    std::size_t rowsBytes = std::size_t{512} << 20;
};

// The limits in force for every connection of the process.
WorkLimits CurrentWorkLimits() noexcept;
// Changes them (tools and fuzzers that want faster stops).
void SetWorkLimits(const WorkLimits& limits) noexcept;

}  // namespace orvane::adodb
