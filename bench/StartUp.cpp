#include "StartUp.h"

#include "Stats.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace bench {
namespace {

std::vector<std::string> ChildEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("QT_QPA_PLATFORM=", 0) == 0 || entry.rfind("ORVANE_EXIT_AFTER_FIRST_PAINT=", 0) == 0) continue;
        env.push_back(entry);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("ORVANE_EXIT_AFTER_FIRST_PAINT=1");
    return env;
}

}  // namespace

StartUpRun StartProgram(const std::filesystem::path& folder) {
    const std::string program = (folder / "orvane").string();
    std::vector<std::string> env = ChildEnvironment();
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string name = "orvane";
    char* argv[] = {name.data(), nullptr};

    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    const auto started = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(rc));
    }
    std::string output;
    char buffer[512];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) output.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);

    const std::size_t at = output.find("monotonic-ns=");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos)
        throw std::runtime_error("the program in " + folder.string() + " did not report its first paint: " + output);
    const long long paintedNs = std::stoll(output.substr(at + std::strlen("monotonic-ns=")));
    const long long startedNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(started.time_since_epoch()).count();
    StartUpRun run;
    run.ms = static_cast<double>(paintedNs - startedNs) / 1e6;
    // Processor time: the whole process, which ends as soon as it has painted.
    if (CountsProcessorTime())
        run.ms = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    run.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return run;
}

}  // namespace bench
