#pragma once

#include <filesystem>

namespace bench {

// One start of the real program in an application folder that holds a copy
// of it, on the offscreen display, until its first window is painted.
struct StartUpRun {
    double ms = 0;      // from just before the process is spawned to the end of its first paint
    double peakMb = 0;  // peak resident memory of the process over its whole life
};

StartUpRun StartProgram(const std::filesystem::path& folder);

}  // namespace bench
