#include <gtest/gtest.h>

#include "CardDavTestSupport.h"
#include "ErrorOf.h"
#include "SabreDavServer.h"
#include "carddav/CardDavErrors.h"
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
    ConnectionSettings Settings() const { return test::AliceSettings(book_); }

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

// SabreDAV refuses the batch that holds the gone card; it is read one card at a time.
TEST_F(SabreListing, AGoneCardIsMissingAndTheOthersAreRead) {
    test::ExpectListedCardsReadAndAGoneOneMissing(Settings(), book_);
}

// When every card of a refused batch is gone, the book itself may be: that is
// an error for the run, never a listing of deletions.
TEST_F(SabreListing, ABatchWhoseCardsAreAllGoneIsAnError) {
    ConnectionSettings settings = Settings();
    settings.multigetBatch = 2;
    CardDavClient client(settings);
    EXPECT_EQ(orvane::test::ErrorNumberOf([&] { client.Multiget(book_, {book_ + "gone1.vcf", book_ + "gone2.vcf"}); }),
              errnum::ServerError);
    // One card asked for alone, and gone, is simply missing.
    EXPECT_EQ(client.Multiget(book_, {book_ + "gone1.vcf"}).missing, std::vector<std::string>{book_ + "gone1.vcf"});
}

}  // namespace
}  // namespace orvane::carddav
