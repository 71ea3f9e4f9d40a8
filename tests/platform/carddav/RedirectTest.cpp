#include <gtest/gtest.h>

#include <functional>

#include "CardDavTestSupport.h"
#include "RedirectServer.h"
#include "carddav/CardDavErrors.h"
#include "core/Error.h"

namespace orvane::carddav {
namespace {

using orvane::test::RadicaleServer;
using orvane::test::RedirectServer;
using test::Card;

ConnectionSettings Through(const RedirectServer& redirect, const std::string& path) {
    ConnectionSettings settings;
    settings.url = redirect.BaseUrl() + path;
    settings.user = "alice";
    settings.password = "alice-secret";
    return settings;
}

std::int32_t ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}

TEST(Redirects, KeepTheMethodAndBodyOfEveryRequest) {
    RadicaleServer server;
    server.SeedBook("alice", "book", "Book");
    for (int status : {301, 302, 307, 308}) {
        SCOPED_TRACE(status);
        RedirectServer moved(status, server.BaseUrl());
        CardDavClient client(Through(moved, "alice/book/"));
        const AddressBookInfo book = client.Discover();
        EXPECT_EQ(book.url, server.BaseUrl() + "alice/book/") << "hrefs resolve against where the answer came from";
        EXPECT_EQ(client.RequestCount(), 2u);

        const std::string name = "moved-" + std::to_string(status) + ".vcf";
        const WriteResult created =
            client.Create(moved.BaseUrl() + "alice/book/" + name, Card("uid-" + std::to_string(status), "Ann", "A"));
        EXPECT_EQ(created.outcome, WriteOutcome::Created);
        const auto stored = client.Get(server.BaseUrl() + "alice/book/" + name);
        ASSERT_TRUE(stored);
        EXPECT_NE(stored->text.find("UID:uid-" + std::to_string(status)), std::string::npos);
    }
}

TEST(Redirects, NeverToPlainHttpOnAnotherComputer) {
    RedirectServer moved(301, "http://192.0.2.1/");
    CardDavClient client(Through(moved, "alice/"));
    EXPECT_EQ(ErrorNumberOf([&] { client.Discover(); }), errnum::InsecureUrl);
    EXPECT_EQ(client.RequestCount(), 1u) << "the redirect target was never contacted";
}

TEST(Redirects, ALoopEndsAfterAFewHops) {
    RedirectServer loop(307, "");
    CardDavClient client(Through(loop, "alice/"));
    EXPECT_EQ(ErrorNumberOf([&] { client.Get(loop.BaseUrl() + "alice/x.vcf"); }), errnum::TooManyRedirects);
    EXPECT_EQ(client.RequestCount(), 6u);
}

}  // namespace
}  // namespace orvane::carddav
