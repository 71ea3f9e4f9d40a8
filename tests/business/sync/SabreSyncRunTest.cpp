#include "SabreSyncSupport.h"
#include "carddav/CardDavErrors.h"
#include "core/Error.h"

// Two-way sync against SabreDAV 1.8, a server without sync-collection whose
// answers differ from Radicale's: it is run once answering PUT with an ETag
// and once without.
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

TEST_P(SabreSyncRunTest, TheBookIsFoundFromTheRootThePrincipalTheHomeAndItself) {
    server_.SeedBook("alice", "work", "Work");
    for (const std::string& url : {server_.BaseUrl(), "http://127.0.0.1:" + std::to_string(server_.Port()),
                                   server_.PrincipalUrl("alice"), server_.BaseUrl() + "addressbooks/alice/", Book()})
        EXPECT_EQ(SetUpAccount(url), Book()) << url;
    EXPECT_EQ(SyncAccountService(Database()).Setup({server_.BaseUrl(), "alice", "alice-secret", "work", {}, {}, false}),
              server_.BookUrl("alice", "work"));
    try {
        SyncAccountService(Database()).Setup({server_.BaseUrl(), "alice", "wrong", {}, {}, {}, false});
        ADD_FAILURE() << "a refused password raises";
    } catch (const orvane::Error& e) {
        EXPECT_EQ(e.Number(), carddav::errnum::Authentication);
    }
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

TEST_P(SabreSyncRunTest, FirstSyncLinksEqualAddressesAndSendsTheRestBothWays) {
    server_.SeedCard("alice", "contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee", "+1 (555) 010-2000"));
    server_.SeedCard("alice", "contacts", "bob.vcf", Card("uid-bob", "Bob", "Baker"));
    AddLocal(Person(" ann", "LEE ", "15550102000"));
    AddLocal(Person("Cy", "Dean", "777"));
    SetUpAccount();

    const SyncResult first = Sync();
    EXPECT_EQ(first.received, 2u);  // Bob stored, Ann's spelling taken
    EXPECT_EQ(first.sent, 1u);      // Cy
    EXPECT_EQ(first.deletedHere + first.deletedThere, 0u);
    EXPECT_TRUE(first.problems.empty()) << first.problems.front();
    const auto local = Local();
    ASSERT_EQ(local.size(), 3u);
    EXPECT_EQ(CountWithLastName(local, "Lee"), 1u);
    EXPECT_EQ(CountWithLastName(local, "Baker"), 1u);
    const auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(CountWithText(cards, "N:Dean;Cy;"), 1u);
    EXPECT_EQ(CountWithText(cards, "Lee"), 1u);

    // Our own write is not taken for a change of the server's, whether or
    // not the PUT's answer named an ETag; and a third run does nothing at all.
    std::vector<std::string> requests;
    for (int run = 2; run <= 3; ++run) {
        const SyncResult again = Sync(requests);
        EXPECT_EQ(again.SummaryLine(), "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0")
            << "run " << run;
        EXPECT_EQ(requests, (std::vector<std::string>{"PROPFIND " + BookPath() + " 1 207"})) << Joined(requests);
    }
    EXPECT_EQ(Local().size(), 3u);
    EXPECT_EQ(ServerCards().size(), 3u);
}

TEST_P(SabreSyncRunTest, ChangesTravelEachWayAndAreNotSentBack) {
    server_.SeedCard("alice", "contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee", "111"));
    server_.SeedCard("alice", "contacts", "bob.vcf", Card("uid-bob", "Bob", "Baker", "333"));
    SetUpAccount();
    Sync();
    const std::int32_t ann = IdOf("Ann");
    const std::int32_t bob = IdOf("Bob");

    // Here Ann's phone changes; on the server Bob's last name and Ann's last name.
    UpdateLocal(ann, Person("Ann", "Lee", "222"));
    auto phone = Phone();
    auto cards = ServerCards();
    ASSERT_EQ(phone.Update(Href("bob.vcf"), cards.at(Href("bob.vcf")).etag, Card("uid-bob", "Bob", "Barker", "333"))
                  .outcome,
              carddav::WriteOutcome::Updated);
    ASSERT_EQ(phone.Update(Href("ann.vcf"), cards.at(Href("ann.vcf")).etag, Card("uid-ann", "Ann", "Leigh", "111"))
                  .outcome,
              carddav::WriteOutcome::Updated);

    std::vector<std::string> requests;
    const SyncResult merged = Sync(requests);
    EXPECT_TRUE(merged.problems.empty()) << merged.problems.front();
    EXPECT_EQ(merged.conflictsHeld, 0u);
    EXPECT_EQ(merged.sent, 1u);  // Ann's phone merged into the server's card
    EXPECT_EQ(Local().at(ann), Person("Ann", "Leigh", "222"));
    EXPECT_EQ(Local().at(bob), Person("Bob", "Barker", "333"));
    cards = ServerCards();
    EXPECT_NE(cards.at(Href("ann.vcf")).text.find("N:Leigh;Ann;"), std::string::npos);
    EXPECT_NE(cards.at(Href("ann.vcf")).text.find("222"), std::string::npos);
    EXPECT_EQ(cards.at(Href("ann.vcf")).text.find("111"), std::string::npos);
    EXPECT_NE(cards.at(Href("bob.vcf")).text.find("N:Barker;Bob;"), std::string::npos);
    // ETags, one multiget of both changed cards, one PUT of Ann with the ETag just read.
    ASSERT_GE(requests.size(), 3u) << Joined(requests);
    EXPECT_EQ(requests[0], "PROPFIND " + BookPath() + " 1 207");
    EXPECT_EQ(requests[1], "REPORT " + BookPath() + " 1 addressbook-multiget 207");
    EXPECT_EQ(requests[2], "PUT " + BookPath() + "ann.vcf - 204");

    std::vector<std::string> quiet;
    for (int run = 2; run <= 3; ++run) {
        EXPECT_EQ(Sync(quiet).SummaryLine(), "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0");
        EXPECT_EQ(quiet, (std::vector<std::string>{"PROPFIND " + BookPath() + " 1 207"})) << Joined(quiet);
    }
}

TEST_P(SabreSyncRunTest, ADeleteTravelsEachWay) {
    for (const char* name : {"ann", "bob", "cy", "dee", "eve"})
        server_.SeedCard("alice", "contacts", std::string(name) + ".vcf", Card(std::string("uid-") + name, name, "Lee"));
    SetUpAccount();
    Sync();
    CDataSyncAddressTier(Database()).Delete(IdOf("ann"));
    auto phone = Phone();
    ASSERT_EQ(phone.Delete(Href("bob.vcf"), ServerCards().at(Href("bob.vcf")).etag).outcome,
              carddav::WriteOutcome::Deleted);

    std::vector<std::string> requests;
    const SyncResult result = Sync(requests);
    EXPECT_TRUE(result.problems.empty()) << result.problems.front();
    EXPECT_EQ(result.deletedThere, 1u);
    EXPECT_EQ(result.deletedHere, 1u);
    EXPECT_EQ(result.received + result.sent, 0u);
    EXPECT_EQ(requests, (std::vector<std::string>{"PROPFIND " + BookPath() + " 1 207", "DELETE " + BookPath() + "ann.vcf - 204"}))
        << Joined(requests);
    const auto cards = ServerCards();
    EXPECT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards.count(Href("ann.vcf")) + cards.count(Href("bob.vcf")), 0u);
    const auto local = Local();
    EXPECT_EQ(local.size(), 3u);
    for (const auto& [id, fields] : local) EXPECT_TRUE(fields[0] != "ann" && fields[0] != "bob") << fields[0];

    EXPECT_EQ(Sync().SummaryLine(), "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0");
    EXPECT_EQ(Local().size(), 3u);
    EXPECT_EQ(ServerCards().size(), 3u);
}

// A card changed on the server between the listing and our write: the
// server refuses the PUT with 412 (If-Match), and the card is read again,
// merged and sent once more, in the same run.
TEST_P(SabreSyncRunTest, ACardChangedUnderOurWriteIsReadAgainAndMerged) {
    server_.SeedCard("alice", "contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee", "111"));
    SetUpAccount();
    Sync();
    const std::int32_t ann = IdOf("Ann");
    UpdateLocal(ann, Person("Ann", "Lee", "222"));

    SyncOptions options;
    options.database = Database();
    options.password = "alice-secret";
    bool changedThere = false;
    options.progress = [&](std::size_t, std::size_t, const SyncStep&) {
        if (changedThere) return;
        changedThere = true;
        auto phone = Phone();
        const auto cards = ServerCards();
        EXPECT_EQ(phone.Update(Href("ann.vcf"), cards.at(Href("ann.vcf")).etag, Card("uid-ann", "Ann", "Leigh", "111"))
                      .outcome,
                  carddav::WriteOutcome::Updated);
    };
    const std::size_t before = server_.Requests().size();
    const SyncResult result = SyncRun(options).Run();
    EXPECT_TRUE(result.problems.empty()) << result.problems.front();
    EXPECT_EQ(result.sent, 1u);
    const std::vector<std::string> all = server_.Requests();
    const std::vector<std::string> requests(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "PUT " + BookPath() + "ann.vcf - 412"), 1)
        << Joined(requests);
    EXPECT_EQ(Local().at(ann), Person("Ann", "Leigh", "222"));
    const std::string text = ServerCards().at(Href("ann.vcf")).text;
    EXPECT_NE(text.find("N:Leigh;Ann;"), std::string::npos) << text;
    EXPECT_NE(text.find("222"), std::string::npos) << text;

    std::vector<std::string> quiet;
    for (int run = 2; run <= 3; ++run) {
        EXPECT_EQ(Sync(quiet).SummaryLine(), "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0");
        EXPECT_EQ(quiet, (std::vector<std::string>{"PROPFIND " + BookPath() + " 1 207"})) << Joined(quiet);
    }
    EXPECT_EQ(Local().size(), 1u);
    EXPECT_EQ(ServerCards().size(), 1u);
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

TEST_P(SabreSyncRunTest, PropertiesTheTableHasNoPlaceForSurviveAnEditHere) {
    const std::string extra =
        "EMAIL;TYPE=INTERNET:ann@example.org\r\n"
        "EMAIL;TYPE=WORK:ann@work.example\r\n"
        "PHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4nGNgYGBgAAAABQABpfZFQAAAAABJRU5ErkJggg==\r\n"
        "X-PHONETIC-LAST-NAME:Lii\r\n"
        "ITEM1.URL:https://ann.example.org/\r\n"
        "ITEM1.X-ABLABEL:blog\r\n"
        "X-SOCIALPROFILE;TYPE=twitter;x-user=ann:https://example.org/ann\r\n"
        "NOTE:met at the fair\\, twice\\nand once more\r\n";
    const std::string seeded = Card("uid-ann", "Ann", "Lee", "111", extra);
    server_.SeedCard("alice", "contacts", "ann.vcf", seeded);
    SetUpAccount();
    Sync();
    const std::string before = ServerCards().at(Href("ann.vcf")).text;
    const std::int32_t id = IdOf("Ann");
    EXPECT_EQ(CDataCardTier(Database()).ReadCard(id), std::optional<std::string>(before));

    UpdateLocal(id, Person("Ann", "Lane", "111"));
    EXPECT_EQ(Sync().sent, 1u);
    // The server keeps the card as sent: the whole card is the seeded one
    // with only the name lines changed, every other line in its place,
    // written as valid 3.0 (the photo folded at 75 octets, names upper case).
    std::string expected = seeded;
    expected.replace(expected.find("FN:Ann Lee"), 10, "FN:Ann Lane");
    expected.replace(expected.find("N:Lee;Ann;;;"), 12, "N:Lane;Ann;;;");
    expected.replace(expected.find("AAAAD") + 5, 0, "\r\n ");
    expected.replace(expected.find("x-user"), 6, "X-USER");
    EXPECT_EQ(ServerCards().at(Href("ann.vcf")).text, expected);
    EXPECT_EQ(Sync().SummaryLine(), "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0");
}

INSTANTIATE_TEST_SUITE_P(Sabre, SabreSyncRunTest, ::testing::Bool(), EtagName);

}  // namespace
}  // namespace orvane::sync::test
