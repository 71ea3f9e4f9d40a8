#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "RadicaleServer.h"
#include "TempAppFolder.h"
#include "TestKit.h"
#include "ToolRun.h"

namespace orvane::test {

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
        orvane::test::WritePasswordFile(PasswordFile(), password + "\n", std::filesystem::perms(mode));
    }

    ToolOutcome Run(const std::vector<std::string>& arguments, const std::string& input = {}) const {
        return RunTool(ORVANE_TRANSFER, arguments, input, folder_.Root());
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
