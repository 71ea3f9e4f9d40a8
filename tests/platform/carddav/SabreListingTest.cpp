#include <gtest/gtest.h>

#include <map>

#include "CardDavTestSupport.h"
#include "SabreDavServer.h"
#include "core/Error.h"

// Listing and reading a book of SabreDAV 1.8, which offers no sync-collection
// and answers a whole addressbook-multiget with 404 when one card asked for
// is gone.
namespace orvane::carddav {
namespace {

using orvane::test::SabreDavServer;
using test::Card;

class SabreListing : public ::testing::Test {
protected:
    SabreListing() {
        server_.SeedBook("alice", "book", "Book");
        server_.SeedCard("alice", "book", "ann.vcf", Card("uid-ann", "Ann", "Archer"));
        server_.SeedCard("alice", "book", "bob.vcf", Card("uid-bob", "Bob", "Baker"));
        server_.SeedCard("alice", "book", "c d&e.vcf", Card("uid-cde", "Cy", "Dean"));
    }
    ConnectionSettings Settings() const {
        ConnectionSettings settings;
        settings.url = book_;
        settings.user = "alice";
        settings.password = "alice-secret";
        return settings;
    }

    SabreDavServer server_;
    std::string book_ = server_.BookUrl("alice", "book");
};

TEST_F(SabreListing, TheBookOffersNoSyncCollection) {
    CardDavClient client(Settings());
    EXPECT_FALSE(client.OffersSyncCollection(book_));
    const AddressBookInfo book = client.Discover();
    EXPECT_EQ(book.url, book_);
    EXPECT_FALSE(book.supportsSyncCollection);
    EXPECT_TRUE(book.syncToken.empty());
}

TEST_F(SabreListing, AGoneCardIsMissingAndTheOthersAreRead) {
    ConnectionSettings settings = Settings();
    settings.multigetBatch = 2;
    CardDavClient client(settings);
    std::vector<std::string> urls;
    std::map<std::string, std::string> etagOf;
    for (const RemoteEtag& listed : client.ListEtags(book_)) {
        urls.push_back(listed.url);
        etagOf[listed.url] = listed.etag;
    }
    ASSERT_EQ(urls.size(), 3u);
    urls.insert(urls.begin() + 1, book_ + "gone.vcf");

    const MultigetResult result = client.Multiget(book_, urls);
    ASSERT_EQ(result.cards.size(), 3u);
    for (const RemoteCard& card : result.cards) {
        EXPECT_EQ(card.etag, etagOf[card.url]) << card.url;
        EXPECT_NE(card.text.find("BEGIN:VCARD"), std::string::npos) << card.url;
    }
    EXPECT_EQ(result.missing, std::vector<std::string>{book_ + "gone.vcf"});
}

// When every card of a refused batch is gone, the book itself may be: that is
// an error for the run, never a listing of deletions.
TEST_F(SabreListing, ABatchWhoseCardsAreAllGoneIsAnError) {
    ConnectionSettings settings = Settings();
    settings.multigetBatch = 2;
    CardDavClient client(settings);
    EXPECT_THROW(client.Multiget(book_, {book_ + "gone1.vcf", book_ + "gone2.vcf"}), orvane::Error);
    // One card asked for alone, and gone, is simply missing.
    EXPECT_EQ(client.Multiget(book_, {book_ + "gone1.vcf"}).missing, std::vector<std::string>{book_ + "gone1.vcf"});
}

}  // namespace
}  // namespace orvane::carddav
