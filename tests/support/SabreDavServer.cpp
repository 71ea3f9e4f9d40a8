#include "SabreDavServer.h"

#include <atomic>
#include <chrono>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "FileBytes.h"
#include "FileSql.h"
#include "ScratchFolder.h"
#include "ServerProcess.h"

namespace orvane::test {
namespace {

// Where server.php and schema.sql are kept in the source tree.
const std::filesystem::path kFiles = ORVANE_SABREDAV_FILES;

std::filesystem::path UniqueFolder() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    return orvane::test::ScratchRoot() /
           ("orvane-sabredav-" + std::to_string(rd()) + "-" + std::to_string(counter++));
}

std::string SqlText(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

std::string JsonText(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string PrincipalUri(const std::string& user) { return "principals/" + user; }

// php -S tells the port it took in "Development Server (http://127.0.0.1:PORT) started"; 0 until then.
int ListeningPort(const std::string& log) {
    constexpr std::string_view kAddress = "(http://127.0.0.1:";
    const std::size_t at = log.find(kAddress);
    if (at == std::string::npos || log.find(") started", at) == std::string::npos) return 0;
    int port = 0;
    for (std::size_t i = at + kAddress.size(); i < log.size() && log[i] >= '0' && log[i] <= '9'; ++i)
        port = port * 10 + (log[i] - '0');
    return port;
}

}  // namespace

SabreDavServer::SabreDavServer() : SabreDavServer(Options{}) {}

SabreDavServer::SabreDavServer(Options options) : options_(std::move(options)), folder_(UniqueFolder()) {
    std::filesystem::create_directories(folder_);
    try {
        Start();
    } catch (...) {
        Stop();
        throw;
    }
}

SabreDavServer::~SabreDavServer() { Stop(); }

std::string SabreDavServer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

std::string SabreDavServer::PrincipalUrl(const std::string& user) const {
    return BaseUrl() + PrincipalUri(user) + "/";
}

std::string SabreDavServer::BookUrl(const std::string& user, const std::string& book) const {
    return BaseUrl() + "addressbooks/" + user + "/" + book + "/";
}

void SabreDavServer::CreateDatabase() const {
    const std::filesystem::path database = folder_ / "db.sqlite";
    WriteFileBytes(database, "");  // SQLite takes an empty file for an empty database
    std::string sql = ReadFileBytes(kFiles / "schema.sql");
    for (const auto& [name, password] : options_.users)
        sql += "INSERT INTO principals (uri, email, displayname) VALUES (" + SqlText(PrincipalUri(name)) + ", " +
               SqlText(name + "@example.org") + ", " + SqlText(name) + ");\n";
    RunSqlOnFile(database.string(), sql);
}

void SabreDavServer::Start() {
    std::filesystem::copy_file(kFiles / "server.php", folder_ / "server.php");
    CreateDatabase();
    std::string users;
    for (const auto& [name, password] : options_.users)
        users += (users.empty() ? "" : ", ") + JsonText(name) + ": " + JsonText(password);
    WriteFileBytes(folder_ / "settings.json", "{\"users\": {" + users + "}, \"etagOnPut\": " +
                                         (options_.etagOnPut ? "true" : "false") + "}\n");

    // Port 0: the system picks a free one, which php -S then names in its log.
    const std::filesystem::path log = folder_ / "log";
    pid_ = SpawnServer({"php", "-S", "127.0.0.1:0", "-t", folder_.string(),
                        (folder_ / "server.php").string()},
                       log, "are php-cli, php-sqlite3 and php-sabre-dav installed? scripts/deps.sh installs them");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string text = ReadFileBytes(log);
        port_ = ListeningPort(text);
        if (port_ != 0) return;
        if (ServerEnded(pid_)) throw std::runtime_error("php -S stopped at start:\n" + text);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    throw std::runtime_error("php -S did not get ready:\n" + ReadFileBytes(log));
}

void SabreDavServer::Stop() {
    StopServer(pid_);
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

void SabreDavServer::SeedBook(const std::string& user, const std::string& book, const std::string& displayName) const {
    RunSqlOnFile((folder_ / "db.sqlite").string(),
                 "INSERT INTO addressbooks (principaluri, displayname, uri, description, ctag) VALUES (" +
                     SqlText(PrincipalUri(user)) + ", " + SqlText(displayName) + ", " + SqlText(book) + ", '', 1);");
}

void SabreDavServer::SeedCard(const std::string& user, const std::string& book, const std::string& fileName,
                              const std::string& vcard) const {
    SeedCards(user, book, {{fileName, vcard}});
}

void SabreDavServer::SeedCards(const std::string& user, const std::string& book,
                               const std::vector<std::pair<std::string, std::string>>& cards) const {
    const std::string bookId = "(SELECT id FROM addressbooks WHERE principaluri = " + SqlText(PrincipalUri(user)) +
                               " AND uri = " + SqlText(book) + ")";
    std::string sql = "BEGIN;\n";
    for (const auto& [fileName, vcard] : cards)
        sql += "INSERT INTO cards (addressbookid, carddata, uri, lastmodified) VALUES (" + bookId + ", " +
               SqlText(vcard) + ", " + SqlText(fileName) + ", strftime('%s', 'now'));\n";
    sql += "UPDATE addressbooks SET ctag = ctag + 1 WHERE id = " + bookId + ";\nCOMMIT;";
    RunSqlOnFile((folder_ / "db.sqlite").string(), sql);
}

void SabreDavServer::DeleteCardAfterNextListing(const std::string& user, const std::string& book,
                                                const std::string& fileName) const {
    WriteFileBytes(folder_ / "delete-after-listing", PrincipalUri(user) + "\t" + book + "\t" + fileName + "\n");
}

std::vector<std::string> SabreDavServer::Requests() const {
    std::vector<std::string> lines;
    std::istringstream log(ReadFileBytes(folder_ / "requests.log"));
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

}  // namespace orvane::test
