#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "PhoneClient.h"
#include "CDataCardTier.h"
#include "CDataSyncAddressTier.h"
#include "CDataSyncStateTier.h"
#include "RadicaleServer.h"
#include "TempAppFolder.h"
#include "carddav/CardDavClient.h"
#include "sync/SyncAccountService.h"
#include "sync/SyncRun.h"

namespace orvane::sync::test {

using Fields = CDataSyncAddressTier::Fields;

using orvane::test::Card;

// A real Radicale with alice's book "contacts", a real database file with an
// account set up on it from the server's root, and a second client (a phone)
// that changes the book between runs.
class SyncFixture : public ::testing::Test {
protected:
    SyncFixture() { server_.SeedBook("alice", "contacts", "Contacts"); }

    std::string Database() const { return folder_.DatabaseFile().string(); }
    std::string Book() const { return server_.BaseUrl() + "alice/contacts/"; }

    void SetUpAccount() {
        SyncAccountService(Database()).Setup({server_.BaseUrl(), "alice", "alice-secret", {}, {}, {}, false});
    }

    SyncResult Sync(bool forceDelete = false, bool dryRun = false) {
        SyncOptions options;
        options.database = Database();
        options.password = "alice-secret";
        options.forceDelete = forceDelete;
        options.dryRun = dryRun;
        return SyncRun(options).Run();
    }

    carddav::CardDavClient Phone() const { return orvane::test::PhoneClient(Book()); }
    // Every card on the server, by href.
    std::map<std::string, carddav::RemoteCard> ServerCards() {
        auto phone = Phone();
        std::map<std::string, carddav::RemoteCard> cards;
        for (auto& card : phone.SyncCollection(Book(), "").changed) cards[card.url] = card;
        return cards;
    }
    std::map<std::int32_t, Fields> Local() const { return CDataSyncAddressTier(Database()).ReadAll(); }
    std::int32_t AddLocal(const Fields& fields) const { return CDataSyncAddressTier(Database()).Add(fields); }

    orvane::test::RadicaleServer server_;
    orvane::test::TempAppFolder folder_;
};

inline Fields Person(const std::string& first, const std::string& last, const std::string& phone = {}) {
    return {first, last, "", "", "", "", phone};
}

}  // namespace orvane::sync::test
