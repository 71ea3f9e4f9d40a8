#include "SabreSyncSupport.h"

// What only SabreDAV 1.8, a server without sync-collection, shows of a sync
// run: the book listed by ETags and read with multiget, the exact requests,
// and a multiget refused whole for a card gone since the listing. What every
// server shows the same way is in SyncContractTest.
namespace orvane::sync::test {
namespace {

using SabreSyncRunTest = SabreSyncFixture;

bool AnyStartsWith(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

TEST_P(SabreSyncRunTest, WithoutSyncCollectionTheBookIsListedByEtagsAndReadWithMultiget) {
    server_.SeedCard("alice", "contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee"));
    server_.SeedCard("alice", "contacts", "bob.vcf", Card("uid-bob", "Bob", "Baker"));
    SetUpAccount();
    std::vector<std::string> requests;
    const SyncResult first = Sync(requests);
    EXPECT_EQ(first.received, 2u);
    EXPECT_TRUE(first.problems.empty()) << first.problems.front();
    // Whether the book keeps tokens, its ETags, then the two cards at once.
    EXPECT_EQ(requests, (std::vector<std::string>{"PROPFIND " + BookPath() + " 0 207", "PROPFIND " + BookPath() + " 1 207",
                                                  "REPORT " + BookPath() + " 1 addressbook-multiget 207"}))
        << Joined(requests);
    EXPECT_EQ(first.requests, requests.size());
    EXPECT_FALSE(AnyStartsWith(server_.Requests(), "REPORT " + BookPath() + " 0 sync-collection"));  // never tried
    EXPECT_FALSE(CDataSyncStateTier(Database()).GetAccount()->syncToken);

    const SyncResult unchanged = Sync(requests);
    EXPECT_EQ(unchanged.SummaryLine(), "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0");
    EXPECT_EQ(requests, (std::vector<std::string>{"PROPFIND " + BookPath() + " 1 207"})) << Joined(requests);

    // A changed and a new card are read with one multiget; one no longer listed is gone.
    auto phone = Phone();
    const auto cards = ServerCards();
    phone.Update(Href("ann.vcf"), cards.at(Href("ann.vcf")).etag, Card("uid-ann", "Ann", "Leigh"));
    phone.Create(Href("cy.vcf"), Card("uid-cy", "Cy", "Dean"));
    phone.Delete(Href("bob.vcf"), cards.at(Href("bob.vcf")).etag);
    const SyncResult changed = Sync(requests);
    EXPECT_EQ(changed.SummaryLine(), "received 2, sent 0, deleted here 1, deleted there 0, conflicts held 0");
    EXPECT_EQ(requests, (std::vector<std::string>{"PROPFIND " + BookPath() + " 1 207",
                                                  "REPORT " + BookPath() + " 1 addressbook-multiget 207"}))
        << Joined(requests);
}

// More cards than one multiget asks for (250): read in two batches.
TEST_P(SabreSyncRunTest, ABookOfManyCardsIsReadInBatches) {
    std::vector<std::pair<std::string, std::string>> seeded;
    for (int i = 0; i < 260; ++i)
        seeded.emplace_back("card-" + std::to_string(i) + ".vcf",
                            Card("uid-" + std::to_string(i), "Person", "Number" + std::to_string(i)));
    server_.SeedCards("alice", "contacts", seeded);
    SetUpAccount();
    std::vector<std::string> requests;
    const SyncResult first = Sync(requests);
    EXPECT_EQ(first.received, 260u);
    const std::string multiget = "REPORT " + BookPath() + " 1 addressbook-multiget 207";
    EXPECT_EQ(requests, (std::vector<std::string>{"PROPFIND " + BookPath() + " 0 207", "PROPFIND " + BookPath() + " 1 207",
                                                  multiget, multiget}))
        << Joined(requests);
    const auto local = Local();
    EXPECT_EQ(local.size(), 260u);
    EXPECT_EQ(CountWithLastName(local, "Number259"), 1u);
    EXPECT_EQ(Sync(requests).SummaryLine(), "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0");
    EXPECT_EQ(requests, (std::vector<std::string>{"PROPFIND " + BookPath() + " 1 207"})) << Joined(requests);
}

// Another client deletes a card between our listing and our reading of it:
// the server answers the whole multiget with 404. The run reads the cards
// one by one, takes the gone one as deleted on the server, and stores the rest.
TEST_P(SabreSyncRunTest, ACardDeletedBetweenListingAndReadingIsTakenAsGone) {
    for (const char* name : {"ann", "bob", "cy", "dee"})
        server_.SeedCard("alice", "contacts", std::string(name) + ".vcf", Card(std::string("uid-") + name, name, "Lee"));
    SetUpAccount();
    Sync();
    auto phone = Phone();
    auto cards = ServerCards();
    for (const char* name : {"ann", "bob"})
        phone.Update(Href(std::string(name) + ".vcf"), cards.at(Href(std::string(name) + ".vcf")).etag,
                     Card(std::string("uid-") + name, name, "Changed"));
    phone.Create(Href("eve.vcf"), Card("uid-eve", "eve", "New"));
    server_.DeleteCardAfterNextListing("alice", "contacts", "bob.vcf");

    std::vector<std::string> requests;
    const SyncResult result = Sync(requests);
    EXPECT_TRUE(result.problems.empty()) << result.problems.front();
    EXPECT_EQ(result.received, 2u) << Joined(requests);  // ann changed, eve new
    EXPECT_EQ(result.deletedHere, 1u);                   // bob
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "REPORT " + BookPath() + " 1 addressbook-multiget 404"), 1)
        << Joined(requests);
    const auto local = Local();
    EXPECT_EQ(local.size(), 4u);
    EXPECT_EQ(CountWithLastName(local, "Changed"), 1u);
    EXPECT_EQ(CountWithLastName(local, "New"), 1u);
    for (const auto& [id, fields] : local) EXPECT_NE(fields[0], "bob");
    EXPECT_EQ(ServerCards().size(), 4u);

    std::vector<std::string> quiet;
    EXPECT_EQ(Sync(quiet).SummaryLine(), "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0");
    EXPECT_EQ(quiet, (std::vector<std::string>{"PROPFIND " + BookPath() + " 1 207"})) << Joined(quiet);
}

// Nothing here is written to the server, so whether it answers a PUT with
// an ETag makes no difference.
INSTANTIATE_TEST_SUITE_P(Sabre, SabreSyncRunTest, ::testing::Values(true), EtagName);

}  // namespace
}  // namespace orvane::sync::test
