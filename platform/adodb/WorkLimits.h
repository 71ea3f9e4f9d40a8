#pragma once

#include <chrono>
#include <cstddef>

namespace orvane::adodb {

// How much one database operation may take before it is stopped with an
// error, so a crafted or damaged file cannot hold the window forever. A
// normal address table of a million rows stays far inside both.
struct WorkLimits {
    // Engine time from the start of one statement (a list read counts its
    // GetRows too).
    std::chrono::milliseconds time{5000};
    // Memory of the values that one GetRows hands out.
    std::size_t rowsBytes = std::size_t{512} << 20;
};

// The limits in force for every connection of the process.
WorkLimits CurrentWorkLimits() noexcept;
// Changes them (tools and fuzzers that want faster stops).
void SetWorkLimits(const WorkLimits& limits) noexcept;

}  // namespace orvane::adodb
