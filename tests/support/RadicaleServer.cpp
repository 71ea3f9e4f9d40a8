#include "RadicaleServer.h"
#include "ScratchFolder.h"

#include "FileBytes.h"
#include "ServerProcess.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string_view>
#include <thread>

namespace orvane::test {
namespace {

std::filesystem::path UniqueFolder() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    return orvane::test::ScratchRoot() /
           ("orvane-radicale-" + std::to_string(rd()) + "-" + std::to_string(counter++));
}

}  // namespace

std::string RunCommand(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string output;
    std::array<char, 4096> buffer{};
    while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
    if (pclose(pipe) != 0) throw std::runtime_error("command failed: " + command);
    return output;
}

namespace {
// The only place the chosen port appears: "Listening on '[127.0.0.1]:PORT'"
// (without brackets on some versions); 0 while it has not appeared.
int ListeningPort(const std::string& log) {
    for (const std::string_view address : {"Listening on '[127.0.0.1]:", "Listening on '127.0.0.1:"}) {
        const std::size_t at = log.find(address);
        if (at == std::string::npos) continue;
        int port = 0;
        for (std::size_t i = at + address.size(); i < log.size() && log[i] >= '0' && log[i] <= '9'; ++i)
            port = port * 10 + (log[i] - '0');
        return port;
    }
    return 0;
}
}  // namespace

RadicaleServer::RadicaleServer() : RadicaleServer(Options{}) {}

RadicaleServer::RadicaleServer(Options options) : options_(std::move(options)), folder_(UniqueFolder()) {
    std::filesystem::create_directories(folder_ / "storage");
    try {
        Start();
    } catch (...) {
        Stop();
        throw;
    }
}

RadicaleServer::~RadicaleServer() { Stop(); }

std::string RadicaleServer::BaseUrl() const {
    return std::string(options_.tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + "/";
}

void RadicaleServer::Start() {
    std::string users;
    for (const auto& [name, password] : options_.users) users += name + ":" + password + "\n";
    WriteFileBytes(folder_ / "users", users);
    std::string config = "[server]\nhosts = 127.0.0.1:0\n";
    if (options_.maxContentLength > 0) config += "max_content_length = " + std::to_string(options_.maxContentLength) + "\n";
    if (options_.tls) {
        certificate_ = folder_ / "cert.pem";
        const auto key = folder_ / "key.pem";
        // An EC key: made in milliseconds where an RSA one takes most of a second.
        RunCommand("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout '" +
                   key.string() + "' -out '" + certificate_.string() +
                   "' -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 2>/dev/null");
        config += "ssl = True\ncertificate = " + certificate_.string() + "\nkey = " + key.string() + "\n";
    }
    config += "[auth]\ntype = htpasswd\nhtpasswd_filename = " + (folder_ / "users").string() +
              "\nhtpasswd_encryption = plain\ndelay = 0\n"
              "[rights]\ntype = owner_only\n"
              "[storage]\nfilesystem_folder = " + (folder_ / "storage").string() + "\n"
              "[logging]\nlevel = info\n";
    WriteFileBytes(folder_ / "config", config);

    const std::string log = (folder_ / "log").string();
    pid_ = SpawnServer({"radicale", "-C", (folder_ / "config").string()}, log,
                       "is it installed? scripts/deps.sh installs it");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string text = ReadFileBytes(log);
        if (port_ == 0) port_ = ListeningPort(text);
        if (port_ != 0 && text.find("Radicale server ready") != std::string::npos) return;
        if (ServerEnded(pid_)) throw std::runtime_error("radicale stopped at start:\n" + text);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    throw std::runtime_error("radicale did not get ready:\n" + ReadFileBytes(log));
}

void RadicaleServer::GoDown() {
    StopServer(pid_);
    pid_ = -1;
}

void RadicaleServer::Stop() {
    StopServer(pid_);
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

std::size_t RadicaleServer::RequestsLogged(const std::string& method) const {
    // Radicale logs each request at level info: "PUT request for '/alice/...' received from ...".
    const std::string log = ReadFileBytes(folder_ / "log");
    const std::string line = "] " + method + " request for ";
    std::size_t count = 0;
    for (std::size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
    return count;
}

std::vector<std::string> RadicaleServer::Requests() const {
    // Each answer is logged at level info, before it is sent:
    // "[INFO] PUT response status for '/alice/...' with depth '1' in 0.003 seconds: 201 Created".
    const std::string log = ReadFileBytes(folder_ / "log");
    const std::string marker = " response status for '";
    std::vector<std::string> lines;
    for (std::size_t at = log.find(marker); at != std::string::npos; at = log.find(marker, at + 1)) {
        const std::size_t method = log.rfind(' ', at - 1) + 1;
        const std::size_t path = at + marker.size();
        const std::size_t pathEnd = log.find('\'', path);
        const std::size_t status = log.find("seconds: ", path);
        if (pathEnd == std::string::npos || status == std::string::npos || status > log.find('\n', path)) break;
        lines.push_back(log.substr(method, at - method) + " " + log.substr(path, pathEnd - path) + " " +
                        log.substr(status + 9, 3));
    }
    return lines;
}

std::filesystem::path RadicaleServer::BookFolder(const std::string& user, const std::string& book) const {
    return folder_ / "storage" / "collection-root" / user / book;
}

void RadicaleServer::SeedBook(const std::string& user, const std::string& book, const std::string& displayName) const {
    std::string props = R"({"tag": "VADDRESSBOOK")";
    if (!displayName.empty()) props += R"(, "D:displayname": ")" + displayName + "\"";
    props += "}";
    WriteFileBytes(BookFolder(user, book) / ".Radicale.props", props);
}

void RadicaleServer::SeedCard(const std::string& user, const std::string& book, const std::string& fileName,
                              const std::string& vcard) const {
    WriteFileBytes(BookFolder(user, book) / fileName, vcard);
}

}  // namespace orvane::test
