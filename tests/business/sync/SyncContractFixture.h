#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "CDataSyncAddressTier.h"
#include "ContractServer.h"
#include "PhoneClient.h"
#include "TempAppFolder.h"
#include "TestKit.h"
#include "carddav/CardDavClient.h"
#include "sync/SyncAccountService.h"
#include "sync/SyncRun.h"

// What every server the sync is meant for must show the same way: alice's
// book "contacts" on a real server of each kind, a real database file, and
// a second client (a phone) that changes the book between runs.
namespace orvane::sync::test {

using Fields = CDataSyncAddressTier::Fields;
using orvane::test::Card;

inline Fields Person(const std::string& first, const std::string& last, const std::string& phone = {}) {
    return {first, last, "", "", "", "", phone};
}

inline std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// How many request lines start so: "PUT /path/ann.vcf 2" counts the PUTs of
// ann.vcf answered with success.
inline std::size_t CountStarting(const std::vector<std::string>& lines, const std::string& start) {
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
}

inline std::ptrdiff_t Offset(std::size_t index) { return static_cast<std::ptrdiff_t>(index); }

class SyncContractTest : public ::testing::TestWithParam<ServerKind> {
protected:
    SyncContractTest() : server_(GetParam()) { server_.SeedBook("contacts", "Contacts"); }

    std::string Database() const { return folder_.DatabaseFile().string(); }
    std::string Book() const { return server_.BookUrl("contacts"); }
    std::string Href(const std::string& fileName) const { return Book() + fileName; }
    // A card's path as the server's request lines name it.
    std::string Path(const std::string& fileName) const { return server_.BookPath("contacts") + fileName; }

    AccountSetup Setup(const std::string& url, const std::string& password = "alice-secret") const {
        return {url, "alice", password, {}, server_.CaFile(), {}, false};
    }
    void SetUpAccount() const { SyncAccountService(Database()).Setup(Setup(server_.BaseUrl())); }

    // A run, and the requests the server answered for it, which are the
    // ones the run counted. beforeFirstStep: another client's doing once the
    // run has listed the book and before it writes anything (its requests
    // are not the run's).
    SyncResult Sync(std::vector<std::string>& requests, const std::function<void()>& beforeFirstStep = {}) const {
        SyncOptions options;
        options.database = Database();
        options.password = "alice-secret";
        bool called = false;
        std::size_t othersFrom = 0;
        std::size_t othersTo = 0;
        if (beforeFirstStep)
            options.progress = [&](std::size_t, std::size_t, const SyncStep&) {
                if (std::exchange(called, true)) return;
                othersFrom = server_.Requests().size();
                beforeFirstStep();
                othersTo = server_.Requests().size();
            };
        const std::size_t before = server_.Requests().size();
        SyncResult result = SyncRun(options).Run();
        std::vector<std::string> all = server_.Requests();
        if (called) all.erase(all.begin() + Offset(othersFrom), all.begin() + Offset(othersTo));
        requests.assign(all.begin() + Offset(before), all.end());
        EXPECT_EQ(result.requests, requests.size()) << Joined(requests);
        return result;
    }
    SyncResult Sync() const {
        std::vector<std::string> requests;
        return Sync(requests);
    }

    // The next two runs find nothing to do, each with one request: the run
    // took neither its own writes nor the server's answers to them for changes.
    void ExpectQuietRuns() const {
        for (int run = 1; run <= 2; ++run) {
            std::vector<std::string> requests;
            const SyncResult quiet = Sync(requests);
            EXPECT_EQ(quiet.SummaryLine(), "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0")
                << "quiet run " << run;
            EXPECT_EQ(requests.size(), 1u) << "quiet run " << run << "\n" << Joined(requests);
        }
    }

    carddav::CardDavClient Phone() const {
        return orvane::test::PhoneClient(Book(), "alice", "alice-secret", server_.CaFile());
    }
    std::map<std::string, carddav::RemoteCard> ServerCards() const {
        auto phone = Phone();
        return orvane::test::CardsOfBook(phone, Book());
    }
    void ChangeOnServer(const std::string& fileName, const std::string& card) const {
        ASSERT_EQ(Phone().Update(Href(fileName), ServerCards().at(Href(fileName)).etag, card).outcome,
                  carddav::WriteOutcome::Updated);
    }

    std::map<std::int32_t, Fields> Local() const { return CDataSyncAddressTier(Database()).ReadAll(); }
    std::int32_t AddLocal(const Fields& fields) const { return CDataSyncAddressTier(Database()).Add(fields); }
    std::int32_t IdOf(const std::string& first) const {
        for (const auto& [id, fields] : Local())
            if (fields[0] == first) return id;
        ADD_FAILURE() << "no address named " << first;
        return 0;
    }

    ContractServer server_;
    orvane::test::TempAppFolder folder_;
};

}  // namespace orvane::sync::test
