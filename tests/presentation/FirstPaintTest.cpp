#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "TempAppFolder.h"

namespace {

// Runs a copy of the real program in the folder and returns what it wrote
// to standard output; status receives its exit status.
std::string RunProgram(const std::filesystem::path& folder, int& status) {
    const std::string command = "cd '" + folder.string() +
                                "' && ORVANE_EXIT_AFTER_FIRST_PAINT=1 QT_QPA_PLATFORM=offscreen ./orvane 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {};
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int result = pclose(pipe);
    status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return output;
}

}  // namespace

// For measuring start-up from outside, the program can report its first
// painted window and end there.
TEST(FirstPaint, TheProgramReportsItsFirstPaintAndEnds) {
    orvane::test::TempAppFolder folder;
    folder.WriteDefaultLists();
    folder.InsertAddress("Ada", "Lovelace");
    std::filesystem::copy_file(ORVANE_PROGRAM, folder.Root() / "orvane");
    int status = -1;
    const std::string output = RunProgram(folder.Root(), status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output.rfind("orvane first-paint monotonic-ns=", 0), 0u) << output;
    EXPECT_NE(output.find(" main-ms="), std::string::npos) << output;
}
