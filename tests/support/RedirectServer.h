#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace orvane::test {

// A real HTTP server (Python's http.server, in its own process on 127.0.0.1)
// that answers every request with one redirect, as a moved server or a
// reverse proxy does: Location is `target` followed by the request's path
// without its leading slash, or the request's own path when `target` is
// empty (a redirect loop).
class RedirectServer {
public:
    RedirectServer(int status, std::string target);
    ~RedirectServer();
    RedirectServer(const RedirectServer&) = delete;
    RedirectServer& operator=(const RedirectServer&) = delete;

    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    void Stop();

    std::filesystem::path folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace orvane::test
