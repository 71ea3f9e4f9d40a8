#include <gtest/gtest.h>

#include <algorithm>

#include "CardDavTestSupport.h"
#include "ErrorOf.h"
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
    const Error unknown = orvane::test::ErrorOf([&] { client.Discover("Holidays"); });
    EXPECT_EQ(unknown.Number(), errnum::NoAddressBook);
    EXPECT_NE(unknown.Description().find("Work Contacts"), std::string::npos) << unknown.Description();
}

// Each address a user may give leads to the book; the requests it takes are
// counted where the way there is fixed (0: not counted).
TEST_F(Discovery, FromEveryStartingPointFindsTheBook) {
    struct Case {
        const char* path;
        const char* name;
        const char* book;
        const char* displayName;
        std::size_t requests;
    };
    const Case cases[] = {
        // The well-known address, its redirect followed with PROPFIND.
        {".well-known/carddav", "work", "work", "Work Contacts", 0},
        // A path the server does not know names no principal: the path, the
        // well-known address, the root it redirects to, the principal, the home set.
        {"nothing/here/", "work", "work", "Work Contacts", 5},
        {"alice/", "Family", "contacts", "Family", 0},  // the principal
        {"alice/work/", "", "work", "Work Contacts", 1},  // the book itself, used as it is
        {"alice/work", "", "work", "Work Contacts", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CardDavClient client(Settings(server_, c.path));
        const AddressBookInfo book = client.Discover(c.name);
        EXPECT_EQ(book.url, BookUrl(c.book));
        EXPECT_EQ(book.displayName, c.displayName);
        EXPECT_TRUE(book.supportsSyncCollection);
        if (c.requests) {
            EXPECT_EQ(client.RequestCount(), c.requests);
        }
    }
}

TEST(DiscoveryWithoutBooks, SaysThatThereIsNone) {
    RadicaleServer server;
    CardDavClient client(Settings(server));
    EXPECT_EQ(orvane::test::ErrorNumberOf([&] { client.Discover(); }), errnum::NoAddressBook);
}

}  // namespace
}  // namespace orvane::carddav
