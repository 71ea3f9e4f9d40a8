#include "SecretTool.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

namespace orvane::test {

ProgramRun RunProgram(const std::vector<std::string>& arguments, const std::string& input) {
    int toChild[2];
    int fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) throw std::runtime_error("pipe failed");
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(toChild[0], STDIN_FILENO);
        dup2(fromChild[1], STDOUT_FILENO);
        close(toChild[0]);
        close(toChild[1]);
        close(fromChild[0]);
        close(fromChild[1]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    if (!input.empty() && write(toChild[1], input.data(), input.size()) != static_cast<ssize_t>(input.size()))
        throw std::runtime_error("could not write to " + arguments[0]);
    close(toChild[1]);
    ProgramRun run;
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t n = read(fromChild[0], buffer.data(), buffer.size());
        if (n > 0) {
            run.output.append(buffer.data(), static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(fromChild[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

ProgramRun SecretToolLookup(const std::string& service, const std::string& key) {
    return RunProgram({"secret-tool", "lookup", "server", service, "user", key});
}

}  // namespace orvane::test
