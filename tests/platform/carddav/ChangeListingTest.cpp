#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "CardDavTestSupport.h"

namespace orvane::carddav {
namespace {

using orvane::test::RadicaleServer;
using test::Card;
using test::Settings;

class ChangeListing : public ::testing::Test {
protected:
    void SetUp() override {
        server_.SeedBook("alice", "book", "Book");
        server_.SeedCard("alice", "book", "ann.vcf", Card("uid-ann", "Ann", "Archer"));
        server_.SeedCard("alice", "book", "bob.vcf", Card("uid-bob", "Bob", "Baker"));
        server_.SeedCard("alice", "book", "c d&e.vcf", Card("uid-cde", "Cy", "Dean"));
    }
    std::string Url(const std::string& encodedName) const { return book_ + encodedName; }

    static std::map<std::string, RemoteCard> ByUrl(const std::vector<RemoteCard>& cards) {
        std::map<std::string, RemoteCard> map;
        for (const auto& card : cards) map[card.url] = card;
        return map;
    }

    RadicaleServer server_;
    std::string book_ = server_.BaseUrl() + "alice/book/";
};

TEST_F(ChangeListing, FirstSyncCollectionListsEveryCardWithItsText) {
    CardDavClient client(Settings(server_));
    const SyncChanges all = client.SyncCollection(book_, "");
    EXPECT_FALSE(all.tokenInvalid);
    EXPECT_FALSE(all.newToken.empty());
    EXPECT_TRUE(all.removed.empty());
    auto cards = ByUrl(all.changed);
    ASSERT_EQ(cards.size(), 3u);
    ASSERT_TRUE(cards.count(Url("c%20d%26e.vcf"))) << "hrefs resolved, percent-encoded as sent";
    EXPECT_NE(cards[Url("ann.vcf")].text.find("UID:uid-ann"), std::string::npos);
    EXPECT_NE(cards[Url("c%20d%26e.vcf")].text.find("FN:Cy Dean"), std::string::npos);
    EXPECT_EQ(cards[Url("bob.vcf")].etag.front(), '"');
    EXPECT_EQ(client.RequestCount(), 1u);
}

TEST_F(ChangeListing, IncrementalSyncSeesChangesAndDeletionsMadeByAnotherClient) {
    CardDavClient client(Settings(server_));
    const SyncChanges first = client.SyncCollection(book_, "");
    auto cards = ByUrl(first.changed);

    CardDavClient phone(Settings(server_));
    const WriteResult created = phone.Create(Url("new.vcf"), Card("uid-new", "Nia", "North"));
    const WriteResult updated =
        phone.Update(Url("ann.vcf"), cards[Url("ann.vcf")].etag, Card("uid-ann", "Ann", "Arrow"));
    const WriteResult deleted = phone.Delete(Url("bob.vcf"), cards[Url("bob.vcf")].etag);
    ASSERT_EQ(created.outcome, WriteOutcome::Created);
    ASSERT_EQ(updated.outcome, WriteOutcome::Updated);
    ASSERT_EQ(deleted.outcome, WriteOutcome::Deleted);

    const std::size_t before = client.RequestCount();
    const SyncChanges next = client.SyncCollection(book_, first.newToken);
    EXPECT_EQ(client.RequestCount() - before, 1u);
    EXPECT_FALSE(next.tokenInvalid);
    EXPECT_NE(next.newToken, first.newToken);
    auto changed = ByUrl(next.changed);
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[Url("ann.vcf")].etag, updated.etag.value_or("?"));
    EXPECT_NE(changed[Url("ann.vcf")].text.find("Arrow"), std::string::npos);
    EXPECT_EQ(changed[Url("new.vcf")].etag, created.etag.value_or("?"));
    EXPECT_EQ(next.removed, std::vector<std::string>{Url("bob.vcf")});

    // Nothing changed since: one request, an empty answer.
    const SyncChanges quiet = client.SyncCollection(book_, next.newToken);
    EXPECT_TRUE(quiet.changed.empty());
    EXPECT_TRUE(quiet.removed.empty());
    EXPECT_EQ(quiet.newToken, next.newToken);
    EXPECT_EQ(client.RequestCount() - before, 2u);
}

TEST_F(ChangeListing, AnUnknownTokenIsReportedSoThatEverythingIsListedAgain) {
    CardDavClient client(Settings(server_));
    const SyncChanges stale = client.SyncCollection(book_, "http://radicale.org/ns/sync/0123456789abcdef");
    EXPECT_TRUE(stale.tokenInvalid);
    EXPECT_TRUE(stale.changed.empty());
    EXPECT_EQ(client.SyncCollection(book_, "").changed.size(), 3u);
}

TEST_F(ChangeListing, EtagsAndMultigetInBatchesWithoutSyncCollection) {
    EXPECT_EQ(test::ExpectListedCardsReadAndAGoneOneMissing(Settings(server_), book_), 3u) << "4 hrefs in batches of 2";
}

TEST_F(ChangeListing, GetReadsOneCardWithItsEtag) {
    CardDavClient client(Settings(server_));
    const auto listed = ByUrl(client.SyncCollection(book_, "").changed);
    const auto card = client.Get(Url("c%20d%26e.vcf"));
    ASSERT_TRUE(card);
    EXPECT_EQ(card->etag, listed.at(Url("c%20d%26e.vcf")).etag);
    EXPECT_NE(card->text.find("UID:uid-cde"), std::string::npos);
    EXPECT_FALSE(client.Get(Url("missing.vcf")));
}

}  // namespace
}  // namespace orvane::carddav
