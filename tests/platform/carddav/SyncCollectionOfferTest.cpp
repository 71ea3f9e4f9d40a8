#include <gtest/gtest.h>

#include "CardDavTestSupport.h"

namespace orvane::carddav {
namespace {

using orvane::test::RadicaleServer;
using test::Card;
using test::Settings;

// Before its first listing a sync asks only whether the book offers
// sync-collection: the book does; a card, a book that is not there and a
// plain collection do not.
TEST(SyncCollectionOffer, OnlyAnAddressBookOffersIt) {
    RadicaleServer server;
    server.SeedBook("alice", "book", "Book");
    server.SeedCard("alice", "book", "ann.vcf", Card("uid-ann", "Ann", "Archer"));
    const std::string book = server.BaseUrl() + "alice/book/";
    CardDavClient client(Settings(server, book));

    EXPECT_TRUE(client.OffersSyncCollection(book));
    EXPECT_EQ(client.RequestCount(), 1u);
    EXPECT_FALSE(client.OffersSyncCollection(book + "ann.vcf"));
    EXPECT_FALSE(client.OffersSyncCollection(server.BaseUrl() + "alice/missing/"));
}

}  // namespace
}  // namespace orvane::carddav
