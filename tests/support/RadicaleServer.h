#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace orvane::test {

// Debian's real Radicale CardDAV server, started for one test on 127.0.0.1
// at a free port with its own storage folder, plain-text password file and
// owner-only rights; optionally over TLS with a certificate made for the
// test. Stopped (SIGTERM, then SIGKILL) and its folder removed on destruction.
class RadicaleServer {
public:
    struct Options {
        bool tls = false;
        std::vector<std::pair<std::string, std::string>> users{{"alice", "alice-secret"}};
        // The largest request body it takes (0: Radicale's own limit); a
        // larger one is refused with 413.
        std::size_t maxContentLength = 0;
    };

    RadicaleServer();
    explicit RadicaleServer(Options options);
    ~RadicaleServer();
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;

    int Port() const { return port_; }
    // "http://127.0.0.1:PORT/" (https with TLS).
    std::string BaseUrl() const;
    // The server's certificate (PEM), with TLS.
    const std::filesystem::path& CertificateFile() const { return certificate_; }
    const std::filesystem::path& Folder() const { return folder_; }
    // How many requests of that method (e.g. "PUT") its log shows so far.
    std::size_t RequestsLogged(const std::string& method) const;
    // The requests it has answered so far, oldest first, one line each:
    // "METHOD PATH STATUS", e.g. "PUT /alice/contacts/ann.vcf 201".
    std::vector<std::string> Requests() const;

    // Seeds storage directly (as a phone's earlier sync would have): an
    // address book folder, and card files in it.
    void SeedBook(const std::string& user, const std::string& book, const std::string& displayName = {}) const;
    void SeedCard(const std::string& user, const std::string& book, const std::string& fileName,
                  const std::string& vcard) const;
    std::filesystem::path BookFolder(const std::string& user, const std::string& book) const;

    // Ends the server's process, as a server that went down: nothing answers
    // at its address any more. Its folder stays until the end.
    void GoDown();

private:
    void Start();
    void Stop();

    Options options_;
    std::filesystem::path folder_;
    std::filesystem::path certificate_;
    pid_t pid_ = -1;
    int port_ = 0;
};

// Runs a command (through /bin/sh) and returns what it printed on stdout;
// throws when it exits with a failure.
std::string RunCommand(const std::string& command);

}  // namespace orvane::test
