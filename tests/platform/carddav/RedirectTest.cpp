#include <gtest/gtest.h>

#include "ErrorOf.h"
#include "MisbehavingServer.h"
#include "TestKit.h"
#include "carddav/CardDavClient.h"
#include "carddav/CardDavErrors.h"
#include "core/Error.h"

namespace orvane::carddav {
namespace {

using orvane::test::MisbehavingServer;

ConnectionSettings SettingsFor(const MisbehavingServer& server, const std::string& path) {
    return orvane::test::AliceSettings(server.BaseUrl() + path);
}

using orvane::test::ErrorNumberOf;

// Redirects on the server set up keep the method, the body and the password.
TEST(Redirects, OnTheSameServerKeepsMethodBodyAndPassword) {
    for (int status : {301, 302, 307, 308}) {
        SCOPED_TRACE(status);
        MisbehavingServer server("same-origin-redirect", {}, status);
        CardDavClient client(SettingsFor(server, "old/u/book/"));
        EXPECT_EQ(client.Discover().url, server.BookUrl());
        EXPECT_EQ(client.Create(server.BaseUrl() + "old/u/book/n.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n").outcome,
                  WriteOutcome::Created);
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 4u);
        EXPECT_EQ(requests[1].method + " " + requests[1].path + " " + requests[1].body, "PROPFIND /u/book/ propfind");
        EXPECT_EQ(requests[3].method + " " + requests[3].path, "PUT /u/book/n.vcf");
        for (const auto& request : requests) EXPECT_TRUE(request.withPassword) << request.path;
    }
}

// The password goes only to the server set up: a redirect to another
// origin (here the same host at another port) is refused, naming it.
TEST(Redirects, ToAnotherServerIsRefusedWithoutThePassword) {
    MisbehavingServer other("normal");
    for (const char* path : {"u/book/", ".well-known/carddav"}) {
        SCOPED_TRACE(path);
        MisbehavingServer moved("redirect", other.BaseUrl(), 307);
        ConnectionSettings settings = SettingsFor(moved, path);
        CardDavClient client(settings);
        const orvane::Error e = orvane::test::ErrorOf([&] { client.Discover(); });
        EXPECT_EQ(e.Number(), errnum::OtherServer);
        EXPECT_NE(e.Description().find(other.BaseUrl()), std::string::npos) << e.Description();
    }
    EXPECT_TRUE(other.Requests().empty());
}

TEST(Redirects, NeverToPlainHttpOnAnotherComputer) {
    MisbehavingServer moved("redirect", "http://192.0.2.1/", 301);
    CardDavClient client(SettingsFor(moved, "alice/"));
    EXPECT_EQ(ErrorNumberOf([&] { client.Discover(); }), errnum::InsecureUrl);
    EXPECT_EQ(client.RequestCount(), 1u) << "the redirect target was never contacted";
}

TEST(Redirects, ALoopEndsAfterAFewHops) {
    MisbehavingServer loop("redirect", "", 307);
    CardDavClient client(SettingsFor(loop, "alice/"));
    EXPECT_EQ(ErrorNumberOf([&] { client.Get(loop.BaseUrl() + "alice/x.vcf"); }), errnum::TooManyRedirects);
    EXPECT_EQ(client.RequestCount(), 6u);
}

}  // namespace
}  // namespace orvane::carddav
