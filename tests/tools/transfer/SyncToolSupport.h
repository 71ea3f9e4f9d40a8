#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "RadicaleServer.h"
#include "TempAppFolder.h"

namespace orvane::test {

struct ToolOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string VCard(const std::string& uid, const std::string& given, const std::string& family) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + given + " " + family + "\r\nN:" + family + ";" +
           given + ";;;\r\nEND:VCARD\r\n";
}

// orvane-transfer run as a user runs it, against a real Radicale with alice's
// book "contacts" and a real database file; the password in a private file.
class SyncToolFixture : public ::testing::Test {
protected:
    explicit SyncToolFixture(RadicaleServer::Options options = {}) : server_(std::move(options)) {
        server_.SeedBook("alice", "contacts", "Contacts");
        WritePasswordFile("alice-secret");
    }

    std::string Database() const { return folder_.DatabaseFile().string(); }
    std::string PasswordFile() const { return (folder_.Root() / "password").string(); }
    void WritePasswordFile(const std::string& password, mode_t mode = 0600) const {
        folder_.WriteFile("password", password + "\n");
        chmod(PasswordFile().c_str(), mode);
    }

    ToolOutcome Run(const std::vector<std::string>& arguments, const std::string& input = {}) const {
        std::string command = ShellQuote(ORVANE_TRANSFER);
        for (const std::string& argument : arguments) command += " " + ShellQuote(argument);
        const auto in = folder_.Root() / "stdin", err = folder_.Root() / "stderr";
        folder_.WriteFile("stdin", input);
        command += " <" + ShellQuote(in.string()) + " 2>" + ShellQuote(err.string());
        ToolOutcome outcome;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return outcome;
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.out.append(buffer, n);
        const int status = pclose(pipe);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.err = ReadWholeFile(err);
        return outcome;
    }
    ToolOutcome Setup(const std::string& url, std::vector<std::string> more = {}) const {
        std::vector<std::string> arguments{"sync", "setup", url, "--user", "alice", "--password-file", PasswordFile(),
                                           "--database", Database()};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return Run(arguments);
    }
    ToolOutcome Sync(std::vector<std::string> more = {}) const {
        std::vector<std::string> arguments{"sync", "--password-file", PasswordFile(), "--database", Database()};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return Run(arguments);
    }
    ToolOutcome Command(const std::vector<std::string>& arguments) const {
        std::vector<std::string> all{"sync"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        all.push_back("--database");
        all.push_back(Database());
        return Run(all);
    }

    std::size_t ServerCardCount() const {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(server_.BookFolder("alice", "contacts")))
            if (entry.path().extension() == ".vcf") ++count;
        return count;
    }

    RadicaleServer server_;
    TempAppFolder folder_;
};

}  // namespace orvane::test
