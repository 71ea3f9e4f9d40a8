#include <gtest/gtest.h>

#include <algorithm>

#include "CardDavTestSupport.h"
#include "carddav/CardDavErrors.h"
#include "core/Error.h"

namespace orvane::carddav {
namespace {

using orvane::test::RadicaleServer;
using test::Settings;

class Discovery : public ::testing::Test {
protected:
    void SetUp() override {
        server_.SeedBook("alice", "contacts", "Family");
        server_.SeedBook("alice", "work", "Work Contacts");
    }
    std::string BookUrl(const std::string& name) const { return server_.BaseUrl() + "alice/" + name + "/"; }

    RadicaleServer server_;
};

TEST_F(Discovery, FromTheServerRootFindsTheUsersAddressBooks) {
    CardDavClient client(Settings(server_));
    std::vector<AddressBookInfo> books = client.FindAddressBooks();
    ASSERT_EQ(books.size(), 2u);
    EXPECT_EQ(client.Discover().url, books.front().url) << "without a name, the first book";
    std::sort(books.begin(), books.end(), [](const auto& a, const auto& b) { return a.url < b.url; });
    EXPECT_EQ(books[0].url, BookUrl("contacts"));
    EXPECT_EQ(books[0].displayName, "Family");
    EXPECT_TRUE(books[0].supportsSyncCollection);
    EXPECT_FALSE(books[0].syncToken.empty());
    EXPECT_EQ(books[1].url, BookUrl("work"));
    EXPECT_EQ(books[1].displayName, "Work Contacts");
}

TEST_F(Discovery, ChoosesTheBookByDisplayNameOrLastPathSegment) {
    CardDavClient client(Settings(server_));
    EXPECT_EQ(client.Discover("work contacts").url, BookUrl("work"));
    EXPECT_EQ(client.Discover("contacts").url, BookUrl("contacts"));
    EXPECT_EQ(client.Discover("Family").url, BookUrl("contacts"));
    try {
        client.Discover("Holidays");
        FAIL() << "an unknown book was found";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), errnum::NoAddressBook);
        EXPECT_NE(e.Description().find("Work Contacts"), std::string::npos) << e.Description();
    }
}

TEST_F(Discovery, FromTheWellKnownAddressFollowsItsRedirectWithPropfind) {
    CardDavClient client(Settings(server_, ".well-known/carddav"));
    EXPECT_EQ(client.Discover("work").url, BookUrl("work"));
}

TEST_F(Discovery, FallsBackToTheWellKnownAddressWhenTheUrlNamesNoPrincipal) {
    // A path the server does not know: its answer names no principal.
    CardDavClient client(Settings(server_, "nothing/here/"));
    EXPECT_EQ(client.Discover("work").url, BookUrl("work"));
    // The path, the well-known address, the root it redirects to, the
    // principal, the home set.
    EXPECT_EQ(client.RequestCount(), 5u);
}

TEST_F(Discovery, FromThePrincipal) {
    CardDavClient client(Settings(server_, "alice/"));
    EXPECT_EQ(client.Discover("Family").url, BookUrl("contacts"));
}

TEST_F(Discovery, TheAddressBookItselfIsUsedAsItIs) {
    CardDavClient client(Settings(server_, "alice/work/"));
    const AddressBookInfo book = client.Discover();
    EXPECT_EQ(book.url, BookUrl("work"));
    EXPECT_EQ(book.displayName, "Work Contacts");
    EXPECT_TRUE(book.supportsSyncCollection);
    EXPECT_EQ(client.RequestCount(), 1u);

    CardDavClient withoutSlash(Settings(server_, "alice/work"));
    EXPECT_EQ(withoutSlash.Discover().url, BookUrl("work"));
}

TEST(DiscoveryWithoutBooks, SaysThatThereIsNone) {
    RadicaleServer server;
    CardDavClient client(Settings(server));
    try {
        client.Discover();
        FAIL() << "a book was found in an empty account";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), errnum::NoAddressBook);
    }
}

}  // namespace
}  // namespace orvane::carddav
