#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::test {

// What a command-line program did: its exit status (-1 when it did not exit
// on its own), standard output and standard error.
struct ToolOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

// s quoted for /bin/sh, whatever it holds.
std::string ShellQuote(const std::string& s);

std::string ReadWholeFile(const std::filesystem::path& path);

// Runs program with the arguments as a user would from a shell, input on
// standard input; the files for standard input and error go in scratch.
ToolOutcome RunTool(const std::string& program, const std::vector<std::string>& arguments, const std::string& input,
                    const std::filesystem::path& scratch);

}  // namespace orvane::test
