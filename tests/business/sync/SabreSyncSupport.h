#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "PhoneClient.h"
#include "SabreDavServer.h"
#include "SyncRunSupport.h"

namespace orvane::sync::test {

// A real SabreDAV server with alice's book "contacts" (no sync-collection),
// a real database file and a second client (a phone) that changes the book
// between runs. Parameterised by whether the server answers a PUT with an ETag.
class SabreSyncFixture : public ::testing::TestWithParam<bool> {
protected:
    SabreSyncFixture() : server_(orvane::test::SabreDavServer::Options{{{"alice", "alice-secret"}}, GetParam()}) {
        server_.SeedBook("alice", "contacts", "Contacts");
    }

    std::string Database() const { return folder_.DatabaseFile().string(); }
    std::string Book() const { return server_.BookUrl("alice", "contacts"); }
    std::string BookPath() const { return "/addressbooks/alice/contacts/"; }

    void SetUpAccount() const {
        SyncAccountService(Database()).Setup({server_.BaseUrl(), "alice", "alice-secret", {}, {}, {}, false});
    }

    SyncResult Sync() const {
        SyncOptions options;
        options.database = Database();
        options.password = "alice-secret";
        return SyncRun(options).Run();
    }
    // A run, and the requests the server saw during it.
    SyncResult Sync(std::vector<std::string>& requests) const {
        const std::size_t before = server_.Requests().size();
        SyncResult result = Sync();
        const std::vector<std::string> all = server_.Requests();
        requests.assign(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
        return result;
    }

    carddav::CardDavClient Phone() const { return orvane::test::PhoneClient(Book()); }
    std::map<std::string, carddav::RemoteCard> ServerCards() const {
        auto phone = Phone();
        return orvane::test::CardsOfBook(phone, Book());
    }
    std::string Href(const std::string& fileName) const { return Book() + fileName; }

    std::map<std::int32_t, Fields> Local() const { return CDataSyncAddressTier(Database()).ReadAll(); }

    orvane::test::SabreDavServer server_;
    orvane::test::TempAppFolder folder_;
};

inline std::size_t CountWithLastName(const std::map<std::int32_t, Fields>& local, const std::string& last) {
    return static_cast<std::size_t>(
        std::count_if(local.begin(), local.end(), [&](const auto& entry) { return entry.second[1] == last; }));
}

inline std::string EtagName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "EtagOnPut" : "NoEtagOnPut";
}

}  // namespace orvane::sync::test
