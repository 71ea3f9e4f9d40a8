#pragma once

#include <string>
#include <vector>

namespace orvane::test {

// The outcome of a program run to the end: its exit status and what it
// wrote on standard output.
struct ProgramRun {
    int status = -1;
    std::string output;
};

// Runs a program (found on PATH) with arguments, feeding it input on
// standard input, and waits for it.
ProgramRun RunProgram(const std::vector<std::string>& arguments, const std::string& input = "");

// secret-tool's view of the password that the keychain keeps for a key of a
// service: the same Secret Service attributes Qt's keychain library uses.
ProgramRun SecretToolLookup(const std::string& service, const std::string& key);

}  // namespace orvane::test
