#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "RadicaleServer.h"
#include "SabreDavServer.h"

namespace orvane::sync::test {

// The real servers a sync must work with: Radicale (sync-collection) over
// plain HTTP and over TLS, and SabreDAV (no sync-collection) answering a
// PUT with an ETag and without one.
enum class ServerKind { Radicale, RadicaleTls, SabreEtagOnPut, SabreNoEtagOnPut };

// "Radicale", "RadicaleTls", "SabreEtagOnPut", "SabreNoEtagOnPut": in test
// names and where a test prints its parameter.
std::string KindName(ServerKind kind);
std::string KindTestName(const ::testing::TestParamInfo<ServerKind>& info);
void PrintTo(ServerKind kind, std::ostream* out);

// One of them, started for a test, with alice (password alice-secret) as
// its user: the URLs a user may type to reach her books, the certificate
// to trust, the books and cards seeded as a phone's earlier sync would have
// left them, and the requests it answered.
class ContractServer {
public:
    explicit ContractServer(ServerKind kind);

    // "http(s)://127.0.0.1:PORT/"
    std::string BaseUrl() const;
    std::string PrincipalUrl() const;
    std::string HomeUrl() const;  // alice's address book home
    std::string BookUrl(const std::string& book) const;
    // The book's path, as request lines name it.
    std::string BookPath(const std::string& book) const;
    // The server's certificate (PEM) with TLS, else empty.
    std::string CaFile() const;

    void SeedBook(const std::string& book, const std::string& displayName) const;
    void SeedCard(const std::string& book, const std::string& fileName, const std::string& vcard) const;

    // The requests answered so far, oldest first: "METHOD PATH STATUS".
    std::vector<std::string> Requests() const;

private:
    std::optional<orvane::test::RadicaleServer> radicale_;
    std::optional<orvane::test::SabreDavServer> sabre_;
};

}  // namespace orvane::sync::test
