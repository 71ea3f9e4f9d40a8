#include <gtest/gtest.h>

#include <algorithm>

#include "CDataSyncAddressTier.h"
#include "CDataSyncStateTier.h"
#include "MisbehavingServer.h"
#include "TempAppFolder.h"
#include "sync/SyncAccountService.h"
#include "sync/SyncRun.h"

// Sync runs against a server that misbehaves on purpose: what the user sees
// (problems, what is kept) and what reaches the server.
namespace orvane::sync {
namespace {

using orvane::test::MisbehavingServer;

class HostileSyncRun : public ::testing::Test {
protected:
    std::string Database() const { return folder_.DatabaseFile().string(); }
    void SetUpAccount(const MisbehavingServer& server) {
        SyncAccountService(Database()).Setup({server.BaseUrl(), "alice", "alice-secret", {}, {}, {}, false});
    }
    SyncResult Sync() {
        SyncOptions options;
        options.database = Database();
        options.password = "alice-secret";
        return SyncRun(options).Run();
    }
    std::optional<std::string> StoredToken() const { return CDataSyncStateTier(Database()).GetAccount()->syncToken; }
    // "METHOD path" of each request from the n-th on.
    static std::vector<std::string> Sent(const MisbehavingServer& server, std::size_t from = 0) {
        std::vector<std::string> sent;
        const auto requests = server.Requests();
        for (std::size_t i = from; i < requests.size(); ++i)
            sent.push_back(requests[i].method + " " + requests[i].path + " " + requests[i].body);
        return sent;
    }

    orvane::test::TempAppFolder folder_;
};

TEST_F(HostileSyncRun, CardsListedOutsideTheBookAreSkippedNamedAndNeverWritten) {
    MisbehavingServer other("normal");
    MisbehavingServer server("outside-hrefs", other.BaseUrl());
    SetUpAccount(server);
    const SyncResult first = Sync();
    EXPECT_EQ(first.received, 2u);
    for (const std::string& href : {server.BaseUrl() + "u/other/x.vcf", server.BaseUrl() + "elsewhere/y.vcf",
                                    server.BookUrl() + "%2e%2e/other/w.vcf", other.BookUrl() + "z.vcf"}) {
        EXPECT_EQ(std::count_if(first.problems.begin(), first.problems.end(),
                                [&](const std::string& line) { return line.find(href) != std::string::npos; }),
                  1)
            << href;
    }
    // Every address edited here, one deleted: the writes go to the book only.
    CDataSyncAddressTier addresses(Database());
    const auto local = addresses.ReadAll();
    ASSERT_EQ(local.size(), 2u);
    for (const auto& [id, fields] : local) {
        auto changed = fields;
        changed[0] += "x";
        addresses.Update(id, changed);
    }
    addresses.Delete(local.begin()->first);
    const std::size_t before = server.Requests().size();
    const SyncResult second = Sync();
    EXPECT_EQ(second.sent + second.deletedThere, 2u);
    for (const auto& request : server.Requests()) {
        if (request.method != "PROPFIND" && request.method != "REPORT") {
            EXPECT_EQ(request.path.rfind("/u/book/", 0), 0u) << request.method << " " << request.path;
        }
        EXPECT_EQ(request.path.find("other"), std::string::npos) << request.path;
        EXPECT_EQ(request.path.find("elsewhere"), std::string::npos) << request.path;
    }
    EXPECT_GT(server.Requests().size(), before);
    EXPECT_TRUE(other.Requests().empty());
}

TEST_F(HostileSyncRun, AnAbsurdlyLongTokenIsNotStoredAndTheBookIsListedInFull) {
    MisbehavingServer server("huge-token");
    SetUpAccount(server);
    const SyncResult first = Sync();
    EXPECT_EQ(first.received, 2u);
    EXPECT_FALSE(StoredToken());
    EXPECT_EQ(first.problems.size(), 1u);
    const std::size_t before = server.Requests().size();
    const SyncResult second = Sync();
    EXPECT_EQ(second.received, 0u);
    EXPECT_EQ(Sent(server, before), (std::vector<std::string>{"PROPFIND /u/book/ propfind"}));
}

// The book's list of reports decides how the first run lists it.
TEST_F(HostileSyncRun, ReportsAreReadInEitherFormAndSyncCollectionTriedWhenInDoubt) {
    struct Case {
        const char* behaviour;
        std::vector<std::string> listing;
        std::optional<std::string> token;
    };
    const std::vector<Case> cases{
        {"xandikos-reports", {"PROPFIND /u/book/ propfind", "REPORT /u/book/ sync-collection"}, "tok-1"},
        {"no-report-set",
         {"PROPFIND /u/book/ propfind", "REPORT /u/book/ sync-collection", "PROPFIND /u/book/ propfind",
          "REPORT /u/book/ addressbook-multiget"},
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.behaviour);
        MisbehavingServer server(c.behaviour);
        orvane::test::TempAppFolder folder;
        SyncAccountService(folder.DatabaseFile().string()).Setup({server.BaseUrl(), "alice", "alice-secret", {}, {}, {}, false});
        const std::size_t before = server.Requests().size();
        SyncOptions options;
        options.database = folder.DatabaseFile().string();
        options.password = "alice-secret";
        const SyncResult result = SyncRun(options).Run();
        EXPECT_EQ(result.received, 2u);
        EXPECT_EQ(Sent(server, before), c.listing);
        EXPECT_EQ(CDataSyncStateTier(folder.DatabaseFile().string()).GetAccount()->syncToken, c.token);
    }
}

}  // namespace
}  // namespace orvane::sync
