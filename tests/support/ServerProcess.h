#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::test {

// Starts a server program (found on PATH) with its stdout and stderr in
// `log`; throws naming `hint` when it cannot be started. Returns its pid.
pid_t SpawnServer(const std::vector<std::string>& args, const std::filesystem::path& log, const std::string& hint);

// Ends a server started with SpawnServer: SIGTERM, then SIGKILL when it is
// still there after five seconds. Sets pid to -1; nothing when it is not above 0.
void StopServer(pid_t& pid);

// Whether the process has ended (and is reaped); sets pid to -1 then.
bool ServerEnded(pid_t& pid);

}  // namespace orvane::test
