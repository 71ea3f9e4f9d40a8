#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace orvane::test {

// A real CardDAV server of Debian's SabreDAV 1.8 library (PHP), started for
// one test with `php -S` on 127.0.0.1 at a free port, in its own temp folder
// with a SQLite database. Each user has a principal; passwords are checked
// with HTTP Basic. It offers no sync-collection: clients list ETags and read
// cards with addressbook-multiget. Stopped (SIGTERM, then SIGKILL) and its
// folder removed on destruction.
class SabreDavServer {
public:
    struct Options {
        std::vector<std::pair<std::string, std::string>> users{{"alice", "alice-secret"}};
        // False: PUT answers carry no ETag (the card is stored as sent all the same).
        bool etagOnPut = true;
    };

    SabreDavServer();
    explicit SabreDavServer(Options options);
    ~SabreDavServer();
    SabreDavServer(const SabreDavServer&) = delete;
    SabreDavServer& operator=(const SabreDavServer&) = delete;

    int Port() const { return port_; }
    // "http://127.0.0.1:PORT/"
    std::string BaseUrl() const;
    std::string PrincipalUrl(const std::string& user) const;
    std::string BookUrl(const std::string& user, const std::string& book) const;
    const std::filesystem::path& Folder() const { return folder_; }

    // Seeds the database directly (as a phone's earlier sync would have): an
    // address book of the user, and a card in it stored byte for byte.
    void SeedBook(const std::string& user, const std::string& book, const std::string& displayName = {}) const;
    void SeedCard(const std::string& user, const std::string& book, const std::string& fileName,
                  const std::string& vcard) const;
    // Many at once (one transaction): file name and card.
    void SeedCards(const std::string& user, const std::string& book,
                   const std::vector<std::pair<std::string, std::string>>& cards) const;

    // Deletes the card as another client would, right after the server has
    // answered the next ETag listing (PROPFIND Depth 1) of any book: it is
    // listed, and gone when it is read.
    void DeleteCardAfterNextListing(const std::string& user, const std::string& book,
                                    const std::string& fileName) const;

    // The requests the server has answered, oldest first, one line each:
    // "METHOD PATH DEPTH STATUS" ("-" without a Depth header), with a
    // REPORT's name before the status, e.g.
    // "REPORT /addressbooks/alice/contacts/ 1 addressbook-multiget 207".
    std::vector<std::string> Requests() const;

private:
    void Start();
    void Stop();
    void CreateDatabase() const;

    Options options_;
    std::filesystem::path folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace orvane::test
