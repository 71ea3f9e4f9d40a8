#include "MisbehavingServer.h"
#include "ScratchFolder.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace orvane::test {

MisbehavingServer::MisbehavingServer(std::string behaviour, std::string target, int status) {
    static std::atomic<int> counter{0};
    std::random_device rd;
    folder_ = orvane::test::ScratchRoot() /
              ("orvane-misbehaving-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(folder_);
    const std::string portFile = (folder_ / "port").string();
    std::vector<std::string> args{"python3", ORVANE_MISBEHAVING_SERVER, behaviour, portFile,
                                  (folder_ / "requests.log").string(), target, std::to_string(status)};
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
    throw std::runtime_error("the misbehaving server did not start");
}

MisbehavingServer::~MisbehavingServer() { Stop(); }

std::vector<MisbehavingServer::Request> MisbehavingServer::Requests() const {
    std::vector<Request> requests;
    std::ifstream in(folder_ / "requests.log");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Request request;
        std::string password;
        std::getline(fields, request.method, '\t');
        std::getline(fields, request.path, '\t');
        std::getline(fields, password, '\t');
        std::getline(fields, request.body, '\t');
        request.withPassword = password == "yes";
        requests.push_back(std::move(request));
    }
    return requests;
}

void MisbehavingServer::Stop() {
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
