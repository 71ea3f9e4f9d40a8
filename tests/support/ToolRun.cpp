#include "ToolRun.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace orvane::test {

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ToolOutcome RunTool(const std::string& program, const std::vector<std::string>& arguments, const std::string& input,
                    const std::filesystem::path& scratch) {
    std::string command = ShellQuote(program);
    for (const std::string& argument : arguments) command += " " + ShellQuote(argument);
    const std::filesystem::path in = scratch / "stdin", err = scratch / "stderr";
    std::ofstream(in, std::ios::binary | std::ios::trunc) << input;
    command += " <" + ShellQuote(in.string()) + " 2>" + ShellQuote(err.string());
    ToolOutcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.out.append(buffer, n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = ReadWholeFile(err);
    return outcome;
}

}  // namespace orvane::test
