// orvane-transfer sync and a second real CardDAV client (Debian's vdirsyncer,
// keeping a folder of .vcf files as a phone or khard user does) sharing one
// Radicale address book: what only another client's own cards show. What a
// run does with changes on both sides (merges, conflicts, deletes, links) is
// the run's tests' (tests/business/sync).
#include <algorithm>
#include <map>
#include <set>

#include "CDataCardTier.h"
#include "CDataDBTier.h"
#include "CardMeaning.h"
#include "InteropCards.h"
#include "SyncToolSupport.h"
#include "VCardProperties.h"
#include "VdirsyncerClient.h"

namespace orvane::test {
namespace {

enum Field { kLast = 2, kPhone = 7 };  // columns of the address record

::testing::AssertionResult Ran(const ToolOutcome& run) {
    if (run.status == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "exit status " << run.status << "\n" << run.out << run.err;
}

// The names of the properties of the lines (the part before ':' and ';', group kept).
std::multiset<std::string> NamesOf(const std::vector<std::string>& lines) {
    std::multiset<std::string> names;
    for (const std::string& line : lines) names.insert(line.substr(0, line.find_first_of(";:")));
    return names;
}

// A vCard 4.0 as another client writes it: phones as tel: URIs, quoted
// TYPE lists, PREF=1, an ADR with its LABEL, IMPP.
std::string VersionFourCard() {
    return FoldedCard({
        "BEGIN:VCARD",
        "VERSION:4.0",
        "UID:urn:uuid:6b1c4c1e-5f1a-4c1e-8000-00000000c0de",
        "KIND:individual",
        "FN:Cy Dean",
        "N:Dean;Cy;;;",
        "TEL;VALUE=uri;TYPE=\"voice,home\":tel:+1-555-0300",
        "TEL;VALUE=uri;TYPE=cell;PREF=1:tel:+1-555-0301",
        "EMAIL;PREF=1:cy@example.org",
        "EMAIL;TYPE=work:cy@work.example",
        "ADR;TYPE=home;LABEL=\"1 Main St\\nSpringfield\":;;1 Main St;Springfield;;12345;USA",
        "IMPP;PREF=1:xmpp:cy@jabber.example",
        "X-SOCIALPROFILE;TYPE=twitter:https://x.example/cy",
        "NOTE:Prefers e-mail\\, never calls",
        "END:VCARD",
    });
}

class SyncInteropTest : public SyncToolFixture {
protected:
    void SetUp() override {
        ASSERT_FALSE(VdirsyncerClient::Program().empty())
            << "vdirsyncer is not installed: the Debian package vdirsyncer is the other client of these tests "
               "(scripts/deps.sh installs it)";
    }

    std::string Book() const { return server_.BaseUrl() + "alice/contacts/"; }

    // The cards kept here, by the UID in them.
    std::map<std::string, std::pair<std::int32_t, std::string>> KeptByUid() const {
        std::map<std::string, std::pair<std::int32_t, std::string>> kept;
        CDataCardTier(Database()).ReadCards([&](std::int32_t id, const std::string& card) {
            kept[LineStarting(card, "UID:").substr(4)] = {id, card};
        });
        return kept;
    }

    // An edit of one field here, saved through the data tier as the address form saves it.
    static void EditHere(std::int32_t id, Field field, const std::string& value) {
        CDataDBTier tier;
        Variant record = tier.GetAddressDetails(id);
        record.Array().At(field, 0) = Variant(value);
        tier.SaveAddress(record);
    }

    // The card as Radicale holds it, by UID ("" when none has it).
    std::string ServerCard(const std::string& uid) const {
        for (const auto& entry : std::filesystem::directory_iterator(server_.BookFolder("alice", "contacts"))) {
            if (entry.path().extension() != ".vcf") continue;
            const std::string text = ReadWholeFile(entry.path());
            if (LineStarting(text, "UID:") == "UID:" + uid) return text;
        }
        return {};
    }

    VdirsyncerClient other_{folder_.Root() / "other-client", Book(), "alice", "alice-secret"};
};

TEST_F(SyncInteropTest, TheOtherClientsCardsComeInWholeAndAnEditHereReachesItsFolderWithAllElseKept) {
    const std::string bob = RichCard("uid-bob", "Bob", "Baker", "+1 555 0101", "12 Oak Lane");
    const std::string cy = VersionFourCard();
    const std::string cyUid = "urn:uuid:6b1c4c1e-5f1a-4c1e-8000-00000000c0de";
    other_.WriteCard("bob.vcf", bob);
    other_.WriteCard("cy.vcf", cy);
    ASSERT_TRUE(Ran(other_.Discover()));
    ASSERT_TRUE(Ran(other_.Sync()));

    ASSERT_EQ(Setup(Book()).status, 0);
    ASSERT_TRUE(Ran(Sync()));
    // Each card is kept here whole, every value as its client wrote it.
    auto kept = KeptByUid();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(Meaning(kept["uid-bob"].second), Meaning(bob));
    EXPECT_EQ(Meaning(kept[cyUid].second), Meaning(cy));

    const std::string bobBefore = ServerCard("uid-bob"), cyBefore = ServerCard(cyUid);
    EditHere(kept["uid-bob"].first, kLast, "Baxter");
    EditHere(kept["uid-bob"].first, kPhone, "+1 555 0199");
    EditHere(kept[cyUid].first, kPhone, "+1-555-0399");
    const ToolOutcome sent = Sync();
    ASSERT_TRUE(Ran(sent));
    EXPECT_EQ(sent.out, "received 0, sent 2, deleted here 0, deleted there 0, conflicts held 0\n");
    ASSERT_TRUE(Ran(other_.Sync()));

    const std::string bobThere = other_.ReadCard("bob.vcf");
    EXPECT_EQ(LineStarting(bobThere, "N:"), "N:Baxter;Bob;Q.;Dr.;Jr.");
    EXPECT_EQ(LineStarting(bobThere, "TEL;TYPE=CELL,PREF:"), "TEL;TYPE=CELL,PREF:+1 555 0199");
    // Against the card the patch was made from, only the name and the one
    // phone differ, line for line; the other phones are untouched.
    const auto removed = LinesOnlyIn(bobBefore, bobThere), added = LinesOnlyIn(bobThere, bobBefore);
    EXPECT_EQ(NamesOf(removed), (std::multiset<std::string>{"FN", "N", "TEL"})) << ::testing::PrintToString(removed);
    EXPECT_EQ(NamesOf(added), (std::multiset<std::string>{"FN", "N", "TEL"})) << ::testing::PrintToString(added);
    EXPECT_NE(std::find(removed.begin(), removed.end(), "TEL;TYPE=CELL,PREF:+1 555 0101"), removed.end());
    // Against what the other client first wrote, read property by property.
    const std::set<std::string> changed{"N", "FN", "TEL"};
    EXPECT_EQ(Without(ReadVCards(bobThere).at(0), changed), Without(ReadVCards(bob).at(0), changed));

    // Radicale does not list vCard 4.0 as taken: the card went back as 3.0,
    // every value kept by meaning and only the phone changed.
    const std::string cyThere = other_.ReadCard("cy.vcf");
    EXPECT_NE(cyThere.find("VERSION:3.0"), std::string::npos) << cyThere;
    EXPECT_EQ(MeaningChanges(cyBefore, cyThere),
              (std::vector<std::string>{"lost: .TEL;TYPE=cell;PREF=1:15550301", "added: .TEL;TYPE=cell;PREF=1:15550399"}))
        << cyThere;
}

}  // namespace
}  // namespace orvane::test
