#include "RedirectServer.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace orvane::test {
namespace {

const char* const kScript = R"(
import http.server, os, sys
status, target, portfile = int(sys.argv[1]), sys.argv[2], sys.argv[3]
class Handler(http.server.BaseHTTPRequestHandler):
    def answer(self):
        self.rfile.read(int(self.headers.get('Content-Length') or 0))
        self.send_response(status)
        self.send_header('Location', target + self.path.lstrip('/') if target else self.path)
        self.send_header('Content-Length', '0')
        self.end_headers()
    def log_message(self, *args):
        pass
for method in ('GET', 'PUT', 'DELETE', 'PROPFIND', 'REPORT', 'MKCOL'):
    setattr(Handler, 'do_' + method, Handler.answer)
server = http.server.HTTPServer(('127.0.0.1', 0), Handler)
with open(portfile + '.tmp', 'w') as f:
    f.write(str(server.server_address[1]))
os.rename(portfile + '.tmp', portfile)
server.serve_forever()
)";

}  // namespace

RedirectServer::RedirectServer(int status, std::string target) {
    static std::atomic<int> counter{0};
    std::random_device rd;
    folder_ = std::filesystem::temp_directory_path() /
              ("orvane-redirect-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(folder_);
    const std::string portFile = (folder_ / "port").string();
    std::vector<std::string> args{"python3", "-c", kScript, std::to_string(status), target, portFile};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, "python3", nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start python3");
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(portFile);
        if (in >> port_) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Stop();
    throw std::runtime_error("the redirecting server did not start");
}

RedirectServer::~RedirectServer() { Stop(); }

void RedirectServer::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

}  // namespace orvane::test
