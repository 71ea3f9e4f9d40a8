#include "VdirsyncerClient.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace orvane::test {
namespace {

// vdirsyncer's config takes JSON values: a string quoted and escaped.
std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

VdirsyncerClient::VdirsyncerClient(std::filesystem::path root, const std::string& bookUrl, const std::string& user,
                                   const std::string& password)
    : root_(std::move(root)), vdir_(root_ / "contacts"), config_(root_ / "config") {
    for (const char* sub : {"contacts", "status", "home", "config-home", "data-home", "cache-home"})
        std::filesystem::create_directories(root_ / sub);
    // One pair, the local folder against the one book; no conflict
    // resolution, so a card changed on both sides makes the run fail.
    WriteBytes(config_, "[general]\nstatus_path = " + JsonString((root_ / "status").string() + "/") +
                            "\n\n[pair book]\na = \"phone\"\nb = \"server\"\ncollections = null\n\n"
                            "[storage phone]\ntype = \"filesystem\"\npath = " +
                            JsonString(vdir_.string() + "/") +
                            "\nfileext = \".vcf\"\n\n"
                            "[storage server]\ntype = \"carddav\"\nurl = " +
                            JsonString(bookUrl) + "\nusername = " + JsonString(user) +
                            "\npassword = " + JsonString(password) + "\n");
}

std::string VdirsyncerClient::Program() {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::filesystem::path candidate = std::filesystem::path(folders.substr(start, end - start)) / "vdirsyncer";
        if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate.string();
        start = end + 1;
    }
    return {};
}

ToolOutcome VdirsyncerClient::Run(const std::vector<std::string>& arguments, const std::string& input) const {
    // Its own HOME and XDG folders, so nothing of the machine's user is read or written.
    std::vector<std::string> all{"HOME=" + (root_ / "home").string(),
                                 "XDG_CONFIG_HOME=" + (root_ / "config-home").string(),
                                 "XDG_DATA_HOME=" + (root_ / "data-home").string(),
                                 "XDG_CACHE_HOME=" + (root_ / "cache-home").string(),
                                 Program(),
                                 "-c",
                                 config_.string()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunTool("/usr/bin/env", all, input, root_);
}

ToolOutcome VdirsyncerClient::Discover() const { return Run({"discover"}, "y\ny\ny\ny\n"); }
ToolOutcome VdirsyncerClient::Sync() const { return Run({"sync"}, {}); }

void VdirsyncerClient::WriteCard(const std::string& fileName, const std::string& text) const {
    WriteBytes(vdir_ / fileName, text);
}

std::string VdirsyncerClient::ReadCard(const std::string& fileName) const { return ReadWholeFile(vdir_ / fileName); }

}  // namespace orvane::test
