#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace orvane::test {

// A real HTTP proxy (Python's http.server, in its own process on 127.0.0.1)
// in front of a RadicaleServer, passing every request through unchanged but
// for what a test asks of it, as other servers behave and Radicale cannot be
// made to.
class RadicaleProxy {
public:
    enum class Behaviour {
        // Radicale's 409 no-uid-conflict answer to a PUT names no card, as
        // RFC 6352 lets a server do; here it names the card of the book
        // folder that holds the UID, in a DAV:href inside the precondition.
        NameUidHolder,
        // The answers to sync-collection REPORTs (listings of the book) are
        // held until a second one has come (or for two seconds), then given
        // together: two clients listing the book at once get their listings
        // at the same moment.
        AnswerListingsTogether,
    };

    // upstreamPort: Radicale's; bookFolder: the book's folder on disk;
    // bookPath: its path in URLs ("/alice/contacts/").
    RadicaleProxy(Behaviour behaviour, int upstreamPort, std::filesystem::path bookFolder, std::string bookPath);
    ~RadicaleProxy();
    RadicaleProxy(const RadicaleProxy&) = delete;
    RadicaleProxy& operator=(const RadicaleProxy&) = delete;

    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    void Stop();

    std::filesystem::path folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace orvane::test
