#include "ContractServer.h"

#include <sstream>

namespace orvane::sync::test {

std::string KindName(ServerKind kind) {
    switch (kind) {
        case ServerKind::Radicale: return "Radicale";
        case ServerKind::RadicaleTls: return "RadicaleTls";
        case ServerKind::SabreEtagOnPut: return "SabreEtagOnPut";
        case ServerKind::SabreNoEtagOnPut: return "SabreNoEtagOnPut";
    }
    return "Unknown";
}

std::string KindTestName(const ::testing::TestParamInfo<ServerKind>& info) { return KindName(info.param); }

void PrintTo(ServerKind kind, std::ostream* out) { *out << KindName(kind); }

ContractServer::ContractServer(ServerKind kind) {
    if (kind == ServerKind::Radicale || kind == ServerKind::RadicaleTls)
        radicale_.emplace(orvane::test::RadicaleServer::Options{.tls = kind == ServerKind::RadicaleTls});
    else
        sabre_.emplace(orvane::test::SabreDavServer::Options{.etagOnPut = kind == ServerKind::SabreEtagOnPut});
}

std::string ContractServer::BaseUrl() const { return radicale_ ? radicale_->BaseUrl() : sabre_->BaseUrl(); }

// Radicale's principal is also the home of the user's books.
std::string ContractServer::PrincipalUrl() const {
    return radicale_ ? BaseUrl() + "alice/" : sabre_->PrincipalUrl("alice");
}

std::string ContractServer::HomeUrl() const {
    return radicale_ ? BaseUrl() + "alice/" : BaseUrl() + "addressbooks/alice/";
}

std::string ContractServer::BookUrl(const std::string& book) const {
    return radicale_ ? BaseUrl() + "alice/" + book + "/" : sabre_->BookUrl("alice", book);
}

std::string ContractServer::BookPath(const std::string& book) const {
    return BookUrl(book).substr(BaseUrl().size() - 1);
}

std::string ContractServer::CaFile() const { return radicale_ ? radicale_->CertificateFile().string() : ""; }

void ContractServer::SeedBook(const std::string& book, const std::string& displayName) const {
    if (radicale_) radicale_->SeedBook("alice", book, displayName);
    else sabre_->SeedBook("alice", book, displayName);
}

void ContractServer::SeedCard(const std::string& book, const std::string& fileName, const std::string& vcard) const {
    if (radicale_) radicale_->SeedCard("alice", book, fileName, vcard);
    else sabre_->SeedCard("alice", book, fileName, vcard);
}

std::vector<std::string> ContractServer::Requests() const {
    if (radicale_) return radicale_->Requests();
    // SabreDAV's lines also name the Depth and a REPORT's name: the first
    // two words and the last are kept.
    std::vector<std::string> lines;
    for (const std::string& line : sabre_->Requests()) {
        std::istringstream words(line);
        std::string method, path, word, status;
        words >> method >> path;
        while (words >> word) status = word;
        lines.push_back(method + " " + path + " " + status);
    }
    return lines;
}

}  // namespace orvane::sync::test
