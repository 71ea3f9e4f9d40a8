#pragma once

#include <gtest/gtest.h>

#include "core/Error.h"

namespace orvane::test {

// Result codes the database engine reports in an error's number.
inline constexpr std::int32_t kEngineError = 1;           // a statement the engine refuses
inline constexpr std::int32_t kEngineReadOnly = 8;        // a write to a read-only file
inline constexpr std::int32_t kEngineCantOpen = 14;       // a missing file or a folder
inline constexpr std::int32_t kEngineNotADatabase = 26;   // a file that is no database

// The error fn raises, to check its number; fails the test when it raises none.
template <typename Fn>
Error ErrorOf(Fn&& fn) {
    try {
        fn();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error was raised";
    return Error(0, "");
}

// The number of the error fn raises (0, and a failed test, when it raises none).
template <typename Fn>
std::int32_t ErrorNumberOf(Fn&& fn) {
    return ErrorOf(std::forward<Fn>(fn)).Number();
}

}  // namespace orvane::test
