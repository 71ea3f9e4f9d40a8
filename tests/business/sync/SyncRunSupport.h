#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "CDataCardTier.h"
#include "CDataSyncAddressTier.h"
#include "CDataSyncStateTier.h"
#include "MemoryBook.h"
#include "TempAppFolder.h"
#include "TestKit.h"
#include "sync/SyncAccountService.h"
#include "sync/SyncRun.h"

namespace orvane::sync::test {

using Fields = CDataSyncAddressTier::Fields;

using orvane::test::Card;

// A real database file with an account on an address book kept in memory:
// every rule of a run without a server, and a server that misbehaves on demand.
class MemorySync {
public:
    std::string Database() const { return folder_.DatabaseFile().string(); }
    std::string Book() const { return book_.Url(); }

    void SetUpAccount() const {
        CDataSyncStateTier(Database()).SetAccount({"https://dav.example.org/", "alice", Book(), {}, {}, {}, "Contacts"});
    }
    SyncOptions Options(bool forceDelete = false, bool dryRun = false) const {
        SyncOptions options;
        options.database = Database();
        options.password = "alice-secret";
        options.forceDelete = forceDelete;
        options.dryRun = dryRun;
        return options;
    }
    SyncResult Sync(bool forceDelete = false, bool dryRun = false) const { return Sync(Options(forceDelete, dryRun)); }
    SyncResult Sync(SyncOptions options) const { return SyncRun(std::move(options), book_.Opener()).Run(); }

    MemoryBook Phone() const { return book_.Handle(); }
    std::map<std::string, carddav::RemoteCard> ServerCards() const { return book_.Cards(); }
    std::map<std::int32_t, Fields> Local() const { return CDataSyncAddressTier(Database()).ReadAll(); }
    std::int32_t AddLocal(const Fields& fields) const { return CDataSyncAddressTier(Database()).Add(fields); }

    MemoryBook book_;
    orvane::test::TempAppFolder folder_;
};

class MemorySyncFixture : public ::testing::Test, protected MemorySync {};

inline Fields Person(const std::string& first, const std::string& last, const std::string& phone = {}) {
    return {first, last, "", "", "", "", phone};
}

}  // namespace orvane::sync::test
