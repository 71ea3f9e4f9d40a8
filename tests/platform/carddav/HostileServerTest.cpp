#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "ErrorOf.h"
#include "MisbehavingServer.h"
#include "TestKit.h"
#include "carddav/CardDavClient.h"
#include "carddav/CardDavErrors.h"
#include "core/Error.h"

// The client against a server that misbehaves on purpose: whatever it sends,
// the client ends with a clear error or reads what is sound, and the
// password and writes stay with the book the user set up.
namespace orvane::carddav {
namespace {

using orvane::test::MisbehavingServer;

ConnectionSettings SettingsFor(const MisbehavingServer& server, const std::string& path = "u/book/") {
    ConnectionSettings settings = orvane::test::AliceSettings(server.BaseUrl() + path);
    settings.noProgressTimeout = std::chrono::seconds(1);
    return settings;
}

std::string HostOf(const MisbehavingServer& server) {
    const std::string base = server.BaseUrl();  // http://127.0.0.1:PORT/
    return base.substr(7, base.size() - 8);
}

std::set<std::string> Urls(const std::vector<RemoteCard>& cards) {
    std::set<std::string> urls;
    for (const auto& card : cards) urls.insert(card.url);
    return urls;
}

struct Failure {
    const char* behaviour;
    std::function<void(CardDavClient&, const MisbehavingServer&)> action;
    std::int32_t number;
    std::function<void(ConnectionSettings&)> adjust = [](ConnectionSettings&) {};
};

// Each ends with an error that names the server, never with a hang, an
// endless run or memory without bound.
TEST(HostileServer, EndsWithAnErrorNamingTheServer) {
    auto syncCollection = [](CardDavClient& client, const MisbehavingServer& server) {
        client.SyncCollection(server.BookUrl(), "");
    };
    const std::vector<Failure> cases{
        {"stall-headers", syncCollection, errnum::Network},
        {"stall-body", syncCollection, errnum::Network},
        {"endless-507", syncCollection, errnum::ServerError},
        {"endless-body", syncCollection, errnum::BadAnswer,
         [](ConnectionSettings& s) { s.maxAnswerBytes = std::size_t{1} << 20; }},
        {"server-error", [](CardDavClient& client, const MisbehavingServer&) { client.Discover(); },
         errnum::ServerError},
    };
    for (const Failure& c : cases) {
        SCOPED_TRACE(c.behaviour);
        MisbehavingServer server(c.behaviour);
        ConnectionSettings settings = SettingsFor(server);
        c.adjust(settings);
        CardDavClient client(settings);
        const orvane::Error e = orvane::test::ErrorOf([&] { c.action(client, server); });
        EXPECT_EQ(e.Number(), c.number) << e.Description();
        EXPECT_NE(e.Description().find(HostOf(server)), std::string::npos) << e.Description();
        EXPECT_EQ(e.Description().find("alice-secret"), std::string::npos);
        if (std::string(c.behaviour) == "endless-507") {
            EXPECT_EQ(client.RequestCount(), 100u);
        }
    }
}

TEST(HostileServer, ASlowButMovingAnswerIsReadToItsEnd) {
    MisbehavingServer server("slow-moving");
    ConnectionSettings settings = SettingsFor(server);
    settings.noProgressTimeout = std::chrono::seconds(2);  // the whole answer takes longer
    CardDavClient client(settings);
    EXPECT_EQ(client.SyncCollection(server.BookUrl(), "").changed.size(), 2u);
}

// hrefs outside the book (another collection, dot segments plain or
// percent-encoded, another server) are skipped and named, never read or
// written; a write to such an address is not sent.
TEST(HostileServer, AddressesOutsideTheBookAreSkippedAndNeverWritten) {
    MisbehavingServer other("normal");
    MisbehavingServer server("outside-hrefs", other.BaseUrl());
    ConnectionSettings settings = SettingsFor(server);
    settings.addressBook = server.BookUrl();
    CardDavClient client(settings);
    const std::set<std::string> inside{server.BookUrl() + "a.vcf", server.BookUrl() + "b.vcf"};

    EXPECT_EQ(Urls(client.SyncCollection(server.BookUrl(), "").changed), inside);
    std::set<std::string> listed;
    for (const auto& e : client.ListEtags(server.BookUrl())) listed.insert(e.url);
    EXPECT_EQ(listed, inside);
    const std::vector<std::string> outside{server.BaseUrl() + "u/other/x.vcf", server.BaseUrl() + "elsewhere/y.vcf",
                                           server.BookUrl() + "%2e%2e/other/w.vcf", other.BookUrl() + "z.vcf"};
    const MultigetResult read = client.Multiget(server.BookUrl(), outside);
    EXPECT_TRUE(read.cards.empty());
    EXPECT_FALSE(client.Get(outside[0]));
    for (const std::string& url : outside) {
        SCOPED_TRACE(url);
        EXPECT_EQ(client.Update(url, "\"1\"", "BEGIN:VCARD\r\nEND:VCARD\r\n").outcome, WriteOutcome::Rejected);
        EXPECT_EQ(client.Delete(url, "\"1\"").outcome, WriteOutcome::Rejected);
        EXPECT_EQ(client.Create(url, "BEGIN:VCARD\r\nEND:VCARD\r\n").outcome, WriteOutcome::Rejected);
    }
    const std::vector<std::string>& skipped = client.SkippedHrefs();
    for (const std::string& url : outside)
        EXPECT_NE(std::find(skipped.begin(), skipped.end(), url), skipped.end()) << url;
    for (const auto& request : server.Requests()) {
        EXPECT_TRUE(request.method == "PROPFIND" || request.method == "REPORT") << request.method << " " << request.path;
        EXPECT_EQ(request.path.rfind("/u/book/", 0), 0u) << request.path;
    }
    EXPECT_TRUE(other.Requests().empty());
}

// A card of any size the server keeps is read, and libxml2 prints nothing.
TEST(HostileServer, ACardWithATenMegabytePhotoIsRead) {
    MisbehavingServer server("big-card");
    CardDavClient client(SettingsFor(server));
    testing::internal::CaptureStderr();
    const SyncChanges changes = client.SyncCollection(server.BookUrl(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(changes.changed.size(), 3u);
    const auto photo = std::find_if(changes.changed.begin(), changes.changed.end(),
                                    [&](const RemoteCard& c) { return c.url == server.BookUrl() + "photo.vcf"; });
    ASSERT_NE(photo, changes.changed.end());
    EXPECT_GT(photo->text.size(), std::size_t{10} << 20);
}

TEST(HostileServer, AnAbsurdlyLongSyncTokenIsNotKept) {
    MisbehavingServer server("huge-token");
    CardDavClient client(SettingsFor(server));
    const SyncChanges changes = client.SyncCollection(server.BookUrl(), "");
    EXPECT_TRUE(changes.tokenRefused);
    EXPECT_TRUE(changes.newToken.empty());
}

// Xandikos 0.2.8 writes <supported-report><sync-collection/></supported-report>.
TEST(HostileServer, SyncCollectionListedWithoutTheReportWrapperIsOffered) {
    MisbehavingServer server("xandikos-reports");
    CardDavClient client(SettingsFor(server));
    EXPECT_TRUE(client.OffersSyncCollection(server.BookUrl()));
    EXPECT_TRUE(client.Discover().supportsSyncCollection);
}

}  // namespace
}  // namespace orvane::carddav
