#include "RadicaleProxy.h"
#include "ScratchFolder.h"

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
import http.client, http.server, os, re, sys, threading
behaviour, upstream, folder, book, portfile = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
together = threading.Barrier(2)
DROPPED = {'connection', 'keep-alive', 'transfer-encoding', 'te', 'trailer', 'upgrade', 'host', 'expect',
           'accept-encoding', 'content-length'}
def holder(uid):
    for name in sorted(os.listdir(folder)):
        if not name.endswith('.vcf'):
            continue
        with open(os.path.join(folder, name), encoding='utf-8', errors='replace') as f:
            if re.search(r'^UID:' + re.escape(uid) + r'\r?$', f.read(), re.M):
                return book + name
    return None
class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    def relay(self):
        body = self.rfile.read(int(self.headers.get('Content-Length') or 0))
        conn = http.client.HTTPConnection('127.0.0.1', upstream)
        headers = {k: v for k, v in self.headers.items() if k.lower() not in DROPPED}
        conn.request(self.command, self.path, body=body, headers=headers)
        answer = conn.getresponse()
        data = answer.read()
        if behaviour == 'together' and self.command == 'REPORT' and b'sync-collection' in body:
            try:
                together.wait(timeout=2)
            except threading.BrokenBarrierError:
                together.reset()
        if behaviour == 'name-uid' and self.command == 'PUT' and answer.status == 409 and b'no-uid-conflict' in data:
            uid = re.search(rb'^UID:(.*?)\r?$', body, re.M)
            href = holder(uid.group(1).decode()) if uid else None
            if href:
                data = ('<?xml version="1.0" encoding="utf-8"?>\n<D:error xmlns:D="DAV:" '
                        'xmlns:CR="urn:ietf:params:xml:ns:carddav"><CR:no-uid-conflict><D:href>' + href +
                        '</D:href></CR:no-uid-conflict></D:error>').encode()
        self.send_response(answer.status, answer.reason)
        for k, v in answer.getheaders():
            if k.lower() not in DROPPED:
                self.send_header(k, v)
        self.send_header('Content-Length', str(len(data)))
        self.end_headers()
        self.wfile.write(data)
        conn.close()
    def log_message(self, *args):
        pass
for method in ('GET', 'PUT', 'DELETE', 'PROPFIND', 'REPORT', 'MKCOL', 'OPTIONS'):
    setattr(Handler, 'do_' + method, Handler.relay)
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
with open(portfile + '.tmp', 'w') as f:
    f.write(str(server.server_address[1]))
os.rename(portfile + '.tmp', portfile)
server.serve_forever()
)";

}  // namespace

RadicaleProxy::RadicaleProxy(Behaviour behaviour, int upstreamPort, std::filesystem::path bookFolder,
                             std::string bookPath) {
    static std::atomic<int> counter{0};
    std::random_device rd;
    folder_ = orvane::test::ScratchRoot() /
              ("orvane-proxy-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(folder_);
    const std::string portFile = (folder_ / "port").string();
    std::vector<std::string> args{"python3",
                                  "-c",
                                  kScript,
                                  behaviour == Behaviour::NameUidHolder ? "name-uid" : "together",
                                  std::to_string(upstreamPort),
                                  bookFolder.string(),
                                  bookPath,
                                  portFile};
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
    throw std::runtime_error("the proxy did not start");
}

RadicaleProxy::~RadicaleProxy() { Stop(); }

void RadicaleProxy::Stop() {
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
