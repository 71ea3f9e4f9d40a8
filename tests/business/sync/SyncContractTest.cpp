#include "SyncContractFixture.h"
#include "carddav/CardDavErrors.h"
#include "core/Error.h"

// The sync run against every kind of server it is meant for, each test the
// same on all: what the server shows (its discovery, the requests it
// answered, the cards as it stores them) and what a second client sees.
namespace orvane::sync::test {
namespace {

// A card's text with LF line ends: a server may give CRLF back as LF (an
// XML answer carries no bare CR).
std::string WithLf(std::string card) {
    std::erase(card, '\r');
    return card;
}

// The value of a card's property line ("UID" gives the UID), empty when it has none.
std::string LineValue(const std::string& card, const std::string& name) {
    const std::size_t at = card.find("\n" + name + ":");
    if (at == std::string::npos) return {};
    const std::size_t value = at + name.size() + 2;
    return card.substr(value, card.find_first_of("\r\n", value) - value);
}

std::int32_t ErrorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const orvane::Error& e) {
        return e.Number();
    }
    return 0;
}

// Whatever the user types (the root with or without its slash, the
// principal, the home of the books, a book itself) leads to the book. The
// books found are named for the user; one chosen by its URL or its name is
// the one stored, with its display name; a URL no longer on the server is
// refused without touching the account stored; a refused password is told
// from any other failure.
TEST_P(SyncContractTest, TheBookIsFoundFromAnyStartAndTheOneChosenIsStoredWithItsName) {
    const std::string root = server_.BaseUrl();
    const std::string withoutSlash = root.substr(0, root.size() - 1);
    for (const std::string& url : {root, withoutSlash, server_.PrincipalUrl(), server_.HomeUrl(), Book()})
        EXPECT_EQ(SyncAccountService(Database()).Setup(Setup(url)), Book()) << url;

    server_.SeedBook("work", "Work");
    AccountSetup setup = Setup(root);
    std::vector<std::string> names;
    for (const FoundBook& book : SyncAccountService(Database()).FindBooks(setup)) names.push_back(book.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Contacts", "Work"}));
    AccountSetup byName = setup;
    byName.addressBook = "contacts";
    EXPECT_EQ(SyncAccountService(Database()).Setup(byName), Book());
    setup.addressBookUrl = server_.BookUrl("work");
    EXPECT_EQ(SyncAccountService(Database()).Setup(setup), server_.BookUrl("work"));
    EXPECT_EQ(SyncAccountService(Database()).Status()->addressBookName, "Work");

    setup.addressBookUrl = server_.BookUrl("gone");
    EXPECT_EQ(ErrorNumberOf([&] { SyncAccountService(Database()).Setup(setup); }), carddav::errnum::NoAddressBook);
    EXPECT_EQ(SyncAccountService(Database()).Status()->addressBookUrl, server_.BookUrl("work"));
    EXPECT_EQ(ErrorNumberOf([&] { SyncAccountService(Database()).Setup(Setup(root, "wrong")); }),
              carddav::errnum::Authentication);
}

TEST_P(SyncContractTest, FirstSyncLinksEqualAddressesAndSendsTheRestBothWays) {
    server_.SeedCard("contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee", "+1 (555) 010-2000"));
    server_.SeedCard("contacts", "bob.vcf", Card("uid-bob", "Bob", "Baker"));
    // The same person typed here with other case, blanks and phone punctuation.
    AddLocal(Person(" ann", "LEE ", "15550102000"));
    AddLocal(Person("Cy", "Dean", "777"));
    AddLocal(Person("Dee", "Dale"));
    SetUpAccount();

    std::vector<std::string> requests;
    const SyncResult first = Sync(requests);
    EXPECT_TRUE(first.problems.empty()) << first.problems.front();
    EXPECT_EQ(first.received, 2u);  // Bob stored, Ann's spelling taken
    EXPECT_EQ(first.sent, 2u);      // Cy and Dee
    EXPECT_EQ(first.deletedHere + first.deletedThere, 0u);
    const auto local = Local();
    ASSERT_EQ(local.size(), 4u);
    EXPECT_EQ(local.at(IdOf("Ann")), Person("Ann", "Lee", "+1 (555) 010-2000"));
    EXPECT_EQ(local.at(IdOf("Bob")), Person("Bob", "Baker"));

    // Each address sent is a vCard 3.0 of its own with a fresh UID, stored
    // at UID.vcf by one PUT; the server's cards are left as they were.
    const auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 4u);
    EXPECT_EQ(WithLf(cards.at(Href("ann.vcf")).text), WithLf(Card("uid-ann", "Ann", "Lee", "+1 (555) 010-2000")));
    std::vector<std::string> uids;
    for (const char* name : {"Dean;Cy;;;", "Dale;Dee;;;"}) {
        SCOPED_TRACE(name);
        const auto sent = std::find_if(cards.begin(), cards.end(),
                                       [&](const auto& card) { return LineValue(card.second.text, "N") == name; });
        ASSERT_NE(sent, cards.end());
        const std::string& text = sent->second.text;
        EXPECT_EQ(LineValue(text, "VERSION"), "3.0") << text;
        const std::string uid = LineValue(text, "UID");
        EXPECT_EQ(uid.size(), 36u) << text;
        EXPECT_EQ(sent->first, Href(uid + ".vcf"));
        EXPECT_EQ(CountStarting(requests, "PUT " + Path(uid + ".vcf") + " 2"), 1u) << Joined(requests);
        uids.push_back(uid);
    }
    EXPECT_NE(uids.front(), uids.back());
    EXPECT_EQ(CountStarting(requests, "PUT "), 2u) << Joined(requests);

    ExpectQuietRuns();
    EXPECT_EQ(Local().size(), 4u);
    EXPECT_EQ(ServerCards().size(), 4u);
}

// Changes and deletes made here and by a phone on the server meet in one
// run: each side gets the other's, an address changed on both sides in
// different fields keeps both, and nothing comes back on the next run.
TEST_P(SyncContractTest, ChangesAndDeletesTravelEachWayThroughTheServer) {
    server_.SeedCard("contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee", "111"));
    server_.SeedCard("contacts", "bob.vcf", Card("uid-bob", "Bob", "Baker", "333"));
    server_.SeedCard("contacts", "cy.vcf", Card("uid-cy", "Cy", "Dean"));
    server_.SeedCard("contacts", "dee.vcf", Card("uid-dee", "Dee", "Dale"));
    SetUpAccount();
    ASSERT_EQ(Sync().received, 4u);
    const std::int32_t ann = IdOf("Ann");
    const std::int32_t bob = IdOf("Bob");

    // Here Ann's phone changes and Cy goes; on the server Ann's and Bob's
    // last names change and Dee goes.
    CDataSyncAddressTier(Database()).Update(ann, Person("Ann", "Lee", "222"));
    CDataSyncAddressTier(Database()).Delete(IdOf("Cy"));
    ChangeOnServer("ann.vcf", Card("uid-ann", "Ann", "Leigh", "111"));
    ChangeOnServer("bob.vcf", Card("uid-bob", "Bob", "Barker", "333"));
    ASSERT_EQ(Phone().Delete(Href("dee.vcf"), ServerCards().at(Href("dee.vcf")).etag).outcome,
              carddav::WriteOutcome::Deleted);

    std::vector<std::string> requests;
    const SyncResult result = Sync(requests);
    EXPECT_TRUE(result.problems.empty()) << result.problems.front();
    EXPECT_EQ(result.conflictsHeld, 0u);
    EXPECT_EQ(result.sent, 1u);  // Ann, merged
    EXPECT_EQ(result.deletedHere, 1u);
    EXPECT_EQ(result.deletedThere, 1u);
    EXPECT_EQ(Local(), (std::map<std::int32_t, Fields>{{ann, Person("Ann", "Leigh", "222")},
                                                       {bob, Person("Bob", "Barker", "333")}}));
    const auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 2u);
    const std::string& annCard = cards.at(Href("ann.vcf")).text;
    EXPECT_EQ(LineValue(annCard, "N"), "Leigh;Ann;;;") << annCard;
    EXPECT_NE(annCard.find("222"), std::string::npos) << annCard;
    EXPECT_EQ(annCard.find("111"), std::string::npos) << annCard;
    EXPECT_EQ(WithLf(cards.at(Href("bob.vcf")).text), WithLf(Card("uid-bob", "Bob", "Barker", "333")));
    EXPECT_EQ(CountStarting(requests, "PUT " + Path("ann.vcf") + " 2"), 1u) << Joined(requests);
    EXPECT_EQ(CountStarting(requests, "DELETE " + Path("cy.vcf") + " 2"), 1u) << Joined(requests);
    EXPECT_EQ(CountStarting(requests, "PUT ") + CountStarting(requests, "DELETE "), 2u) << Joined(requests);

    ExpectQuietRuns();
}

// A card changed on the server between the run's listing and its write:
// the server refuses the write (412, If-Match), and the card is read again,
// merged and sent once more in the same run.
TEST_P(SyncContractTest, ACardChangedUnderOurWriteIsReadAgainAndMerged) {
    server_.SeedCard("contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee", "111"));
    SetUpAccount();
    Sync();
    const std::int32_t ann = IdOf("Ann");
    CDataSyncAddressTier(Database()).Update(ann, Person("Ann", "Lee", "222"));

    std::vector<std::string> requests;
    const SyncResult result =
        Sync(requests, [&] { ChangeOnServer("ann.vcf", Card("uid-ann", "Ann", "Leigh", "111")); });
    EXPECT_TRUE(result.problems.empty()) << result.problems.front();
    EXPECT_EQ(result.sent, 1u);
    EXPECT_EQ(result.conflictsHeld, 0u);
    EXPECT_EQ(CountStarting(requests, "PUT " + Path("ann.vcf") + " 412"), 1u) << Joined(requests);
    EXPECT_EQ(CountStarting(requests, "PUT " + Path("ann.vcf") + " 2"), 1u) << Joined(requests);
    EXPECT_EQ(Local().at(ann), Person("Ann", "Leigh", "222"));
    const auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 1u);
    const std::string& text = cards.at(Href("ann.vcf")).text;
    EXPECT_EQ(LineValue(text, "N"), "Leigh;Ann;;;") << text;
    EXPECT_NE(text.find("222"), std::string::npos) << text;

    ExpectQuietRuns();
    EXPECT_EQ(Local().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Servers, SyncContractTest,
                         ::testing::Values(ServerKind::Radicale, ServerKind::RadicaleTls, ServerKind::SabreEtagOnPut,
                                           ServerKind::SabreNoEtagOnPut),
                         KindTestName);

}  // namespace
}  // namespace orvane::sync::test
