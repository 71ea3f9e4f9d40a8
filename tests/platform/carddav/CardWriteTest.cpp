#include <gtest/gtest.h>

#include "CardDavTestSupport.h"
#include "RadicaleProxy.h"

namespace orvane::carddav {
namespace {

using orvane::test::RadicaleServer;
using test::Card;
using test::Settings;

class CardWrite : public ::testing::Test {
protected:
    void SetUp() override { server_.SeedBook("alice", "book", "Book"); }

    RadicaleServer server_;
    std::string book_ = server_.BaseUrl() + "alice/book/";
    CardDavClient client_{Settings(server_)};
};

TEST_F(CardWrite, CreateOnlyWhereNothingIsYet) {
    const std::string url = CardDavClient::CardUrl(book_, "6c1f a&b.vcf");
    EXPECT_EQ(url, book_ + "6c1f%20a%26b.vcf");
    const WriteResult created = client_.Create(url, Card("uid-1", "Ann", "Archer"));
    EXPECT_EQ(created.outcome, WriteOutcome::Created);
    ASSERT_TRUE(created.etag);
    const auto stored = client_.Get(url);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->etag, *created.etag);

    const WriteResult again = client_.Create(url, Card("uid-1", "Ann", "Other"));
    EXPECT_EQ(again.outcome, WriteOutcome::PreconditionFailed);
    EXPECT_EQ(again.status, 412);
    EXPECT_NE(client_.Get(url)->text.find("Archer"), std::string::npos) << "the first card is kept";

    const WriteResult sameUid = client_.Create(CardDavClient::CardUrl(book_, "other.vcf"), Card("uid-1", "A", "B"));
    EXPECT_EQ(sameUid.outcome, WriteOutcome::Conflict);

    const WriteResult noUid =
        client_.Create(CardDavClient::CardUrl(book_, "bad.vcf"), "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:X\r\nEND:VCARD\r\n");
    EXPECT_EQ(noUid.outcome, WriteOutcome::Rejected);
    EXPECT_EQ(noUid.status, 400);
}

// A server that names the card already holding the UID (as RFC 6352 lets
// it): the refusal carries that card's absolute URL. Radicale names none, so
// a proxy in front of it adds the name as other servers send it.
TEST_F(CardWrite, AUidConflictNamesTheCardHoldingTheUid) {
    const orvane::test::RadicaleProxy proxy(orvane::test::RadicaleProxy::Behaviour::NameUidHolder, server_.Port(),
                                            server_.BookFolder("alice", "book"), "/alice/book/");
    const std::string book = proxy.BaseUrl() + "alice/book/";
    CardDavClient client(orvane::test::AliceSettings(book));
    ASSERT_EQ(client.Create(book + "ann.vcf", Card("uid-ann", "Ann", "Archer")).outcome, WriteOutcome::Created);
    const WriteResult clash = client.Create(book + "other.vcf", Card("uid-ann", "Ann", "Other"));
    EXPECT_EQ(clash.outcome, WriteOutcome::Conflict);
    EXPECT_EQ(clash.reason, "no-uid-conflict");
    EXPECT_EQ(clash.existingUrl, book + "ann.vcf");
}

TEST_F(CardWrite, UpdateOnlyOverTheVersionLastSeen) {
    const std::string url = CardDavClient::CardUrl(book_, "ann.vcf");
    const WriteResult created = client_.Create(url, Card("uid-ann", "Ann", "Archer"));
    ASSERT_TRUE(created.etag);

    const WriteResult updated = client_.Update(url, *created.etag, Card("uid-ann", "Ann", "Arrow"));
    EXPECT_EQ(updated.outcome, WriteOutcome::Updated);
    ASSERT_TRUE(updated.etag);
    EXPECT_NE(*updated.etag, *created.etag);

    const WriteResult stale = client_.Update(url, *created.etag, Card("uid-ann", "Ann", "Lost"));
    EXPECT_EQ(stale.outcome, WriteOutcome::PreconditionFailed);
    const auto now = client_.Get(url);
    ASSERT_TRUE(now);
    EXPECT_NE(now->text.find("Arrow"), std::string::npos);
    EXPECT_EQ(now->text.find("Lost"), std::string::npos);
    EXPECT_EQ(now->etag, *updated.etag);
}

TEST_F(CardWrite, DeleteOnlyTheVersionLastSeen) {
    const std::string url = CardDavClient::CardUrl(book_, "bob.vcf");
    const WriteResult v1 = client_.Create(url, Card("uid-bob", "Bob", "Baker"));
    const WriteResult v2 = client_.Update(url, v1.etag.value(), Card("uid-bob", "Bob", "Brewer"));

    EXPECT_EQ(client_.Delete(url, v1.etag.value()).outcome, WriteOutcome::PreconditionFailed);
    EXPECT_TRUE(client_.Get(url));
    EXPECT_EQ(client_.Delete(url, v2.etag.value()).outcome, WriteOutcome::Deleted);
    EXPECT_FALSE(client_.Get(url));
    EXPECT_EQ(client_.Delete(url, v2.etag.value()).outcome, WriteOutcome::NotFound);
    // An update of a card deleted meanwhile is refused, not recreated.
    EXPECT_EQ(client_.Update(url, v2.etag.value(), Card("uid-bob", "Bob", "Back")).outcome,
              WriteOutcome::PreconditionFailed);
    EXPECT_FALSE(client_.Get(url));
}

TEST_F(CardWrite, ExtendedMkcolCreatesAnAddressBookOnce) {
    const std::string url = server_.BaseUrl() + "alice/friends/";
    EXPECT_TRUE(client_.CreateAddressBook(url, "Friends & Family"));
    EXPECT_FALSE(client_.CreateAddressBook(url, "Again"));
    const AddressBookInfo found = client_.Discover("Friends & Family");
    EXPECT_EQ(found.url, url);
    EXPECT_TRUE(found.supportsSyncCollection);
}

}  // namespace
}  // namespace orvane::carddav
