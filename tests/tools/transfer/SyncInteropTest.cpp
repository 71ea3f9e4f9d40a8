// orvane-transfer sync and a second real CardDAV client (Debian's vdirsyncer,
// keeping a folder of .vcf files as a phone or khard user does) changing the
// same Radicale address book between our runs.
#include <array>
#include <map>
#include <set>

#include "CDataCardTier.h"
#include "CDataDBTier.h"
#include "CardMeaning.h"
#include "InteropCards.h"
#include "SyncToolSupport.h"
#include "VCardProperties.h"
#include "VdirsyncerClient.h"
#include "transfer/VCardReader.h"

namespace orvane::test {
namespace {

using Fields = std::array<std::string, 7>;
enum Field { kFirst = 1, kLast, kStreet, kZip, kState, kCountry, kPhone };  // columns of the address record

constexpr char kQuiet[] = "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0\n";

::testing::AssertionResult Ran(const ToolOutcome& run) {
    if (run.status == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "exit status " << run.status << "\n" << run.out << run.err;
}

class SyncInteropTest : public SyncToolFixture {
protected:
    void SetUp() override {
        ASSERT_FALSE(VdirsyncerClient::Program().empty())
            << "vdirsyncer is not installed: the Debian package vdirsyncer is the other client of these tests "
               "(scripts/deps.sh installs it)";
    }

    std::string Book() const { return server_.BaseUrl() + "alice/contacts/"; }

    // Cards made as files in the other client's folder, sent by its first sync.
    ::testing::AssertionResult OtherClientStartsWith(const std::map<std::string, std::string>& files) {
        for (const auto& [file, text] : files) other_.WriteCard(file, text);
        const ToolOutcome discover = other_.Discover();
        if (discover.status != 0) return Ran(discover) << "(discover)";
        return Ran(other_.Sync());
    }

    // Every address in the database by ID, read through the data tier.
    std::map<std::int32_t, Fields> Stored() const {
        std::map<std::int32_t, Fields> addresses;
        CDataDBTier tier;
        const Variant list = tier.FillList();
        if (list.IsEmpty()) return addresses;
        const VariantArray& rows = list.Array();
        for (std::int32_t row = rows.LBound(2); row <= rows.UBound(2); ++row) {
            const std::int32_t id = rows.At(rows.LBound(1), row).ToLong();
            const Variant record = tier.GetAddressDetails(id);
            Fields& fields = addresses[id];
            for (int i = kFirst; i <= kPhone; ++i)
                fields[static_cast<std::size_t>(i - 1)] = record.Array().At(i, 0).JoinEmpty();
        }
        return addresses;
    }
    std::int32_t IdOfLastName(const std::string& last) const {
        for (const auto& [id, fields] : Stored())
            if (FieldOf(fields, kLast) == last) return id;
        return 0;
    }
    static std::string FieldOf(const Fields& fields, Field field) { return fields[static_cast<std::size_t>(field - 1)]; }

    // An edit of one field here, saved through the data tier as the address form saves it.
    void EditHere(std::int32_t id, Field field, const std::string& value) const {
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

// The names of the properties of the lines (the part before ':' and ';', group kept).
std::multiset<std::string> NamesOf(const std::vector<std::string>& lines) {
    std::multiset<std::string> names;
    for (const std::string& line : lines) names.insert(line.substr(0, line.find_first_of(";:")));
    return names;
}

TEST_F(SyncInteropTest, RichCardsFromTheOtherClientComeInAndAnEditHereReachesItsFolderWithAllElseKept) {
    const std::string bob = RichCard("uid-bob", "Bob", "Baker", "+1 555 0101", "12 Oak Lane");
    const std::string ann = RichCard("uid-ann", "Ann", "Lee", "+1 555 0201", "3 Elm St");
    ASSERT_TRUE(OtherClientStartsWith({{"bob.vcf", bob}, {"ann.vcf", ann}}));
    ASSERT_EQ(ServerCardCount(), 2u);

    ASSERT_EQ(Setup(Book()).status, 0);
    const ToolOutcome first = Sync();
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "received 2, sent 0, deleted here 0, deleted there 0, conflicts held 0\n");
    const std::int32_t bobId = IdOfLastName("Baker");
    ASSERT_NE(bobId, 0);
    // The preferred ADR and TEL, not the first ones.
    EXPECT_EQ(Stored()[bobId], (Fields{"Bob Q.", "Baker", "12 Oak Lane, Springfield", "K1A 0B1", "Ontario", "Canada",
                                       "+1 555 0101"}));
    EXPECT_EQ(FieldOf(Stored()[IdOfLastName("Lee")], kPhone), "+1 555 0201");

    const std::string serverBefore = ServerCard("uid-bob");
    EditHere(bobId, kLast, "Baxter");
    EditHere(bobId, kPhone, "+1 555 0199");
    const ToolOutcome sent = Sync();
    ASSERT_EQ(sent.status, 0) << sent.err;
    EXPECT_EQ(sent.out, "received 0, sent 1, deleted here 0, deleted there 0, conflicts held 0\n");

    ASSERT_TRUE(Ran(other_.Sync()));
    const std::string mine = other_.ReadCard("bob.vcf");
    EXPECT_EQ(LineStarting(mine, "N:"), "N:Baxter;Bob;Q.;Dr.;Jr.");
    EXPECT_EQ(LineStarting(mine, "TEL;TYPE=CELL,PREF:"), "TEL;TYPE=CELL,PREF:+1 555 0199");
    // Against the card the patch was made from, only the name and the one
    // phone differ, line for line; the other phones are untouched.
    const auto removed = LinesOnlyIn(serverBefore, mine), added = LinesOnlyIn(mine, serverBefore);
    EXPECT_EQ(NamesOf(removed), (std::multiset<std::string>{"FN", "N", "TEL"})) << ::testing::PrintToString(removed);
    EXPECT_EQ(NamesOf(added), (std::multiset<std::string>{"FN", "N", "TEL"})) << ::testing::PrintToString(added);
    EXPECT_NE(std::find(removed.begin(), removed.end(), "TEL;TYPE=CELL,PREF:+1 555 0101"), removed.end());
    // Against what the other client first wrote, read property by property.
    const std::set<std::string> changed{"N", "FN", "TEL"};
    EXPECT_EQ(Without(ReadVCards(mine).at(0), changed), Without(ReadVCards(bob).at(0), changed));
    // The card nobody changed is left as its client wrote it.
    EXPECT_EQ(other_.ReadCard("ann.vcf"), ann);

    // Settled: neither side has anything to send.
    EXPECT_EQ(Sync().out, kQuiet);
    ASSERT_TRUE(Ran(other_.Sync()));
    EXPECT_EQ(other_.ReadCard("bob.vcf"), mine);
    EXPECT_EQ(other_.CardFiles(), (std::vector<std::string>{"ann.vcf", "bob.vcf"}));
}

TEST_F(SyncInteropTest, DifferentFieldsEditedOnBothSidesAreBothKeptOnBothSidesWithoutAConflict) {
    const std::string bob = RichCard("uid-bob", "Bob", "Baker", "+1 555 0101", "12 Oak Lane");
    ASSERT_TRUE(OtherClientStartsWith({{"bob.vcf", bob}}));
    ASSERT_EQ(Setup(Book()).status, 0);
    ASSERT_TRUE(Ran(Sync()));
    const std::int32_t bobId = IdOfLastName("Baker");
    ASSERT_NE(bobId, 0);

    // The other client moves Bob and gives him another e-mail address...
    std::string edited = WithLine(bob, "ADR;TYPE=HOME,PREF:",
                                  "ADR;TYPE=HOME,PREF:;;40 Birch Road;Springfield;Ontario;K1A 0B1;Canada");
    edited = WithLine(edited, "EMAIL;TYPE=INTERNET:", "EMAIL;TYPE=INTERNET:bob.new@example.org");
    other_.WriteCard("bob.vcf", edited);
    ASSERT_TRUE(Ran(other_.Sync()));
    // ...while his last name is corrected here.
    EditHere(bobId, kLast, "Baxter");

    const ToolOutcome merged = Sync();
    ASSERT_EQ(merged.status, 0) << merged.out << merged.err;
    EXPECT_EQ(merged.out, "received 1, sent 1, deleted here 0, deleted there 0, conflicts held 0\n");
    EXPECT_EQ(Command({"conflicts"}).out, "no conflicts held\n");
    EXPECT_EQ(Stored()[bobId], (Fields{"Bob Q.", "Baxter", "40 Birch Road, Springfield", "K1A 0B1", "Ontario",
                                       "Canada", "+1 555 0101"}));

    ASSERT_TRUE(Ran(other_.Sync()));
    const std::string mine = other_.ReadCard("bob.vcf");
    EXPECT_EQ(LineStarting(mine, "N:"), "N:Baxter;Bob;Q.;Dr.;Jr.");
    EXPECT_EQ(LineStarting(mine, "ADR;TYPE=HOME,PREF:"),
              "ADR;TYPE=HOME,PREF:;;40 Birch Road;Springfield;Ontario;K1A 0B1;Canada");
    // The last name was patched into the card as the other client left it:
    // its new e-mail address and all the rest stay.
    const std::set<std::string> names{"N", "FN"};
    EXPECT_EQ(Without(ReadVCards(mine).at(0), names), Without(ReadVCards(edited).at(0), names));

    EXPECT_EQ(Sync().out, kQuiet);
    ASSERT_TRUE(Ran(other_.Sync()));
    EXPECT_EQ(other_.ReadCard("bob.vcf"), mine);
}

TEST_F(SyncInteropTest, TheSameFieldEditedOnBothSidesIsHeldUntilTheServersValueIsTaken) {
    const std::string bob = RichCard("uid-bob", "Bob", "Baker", "+1 555 0101", "12 Oak Lane");
    ASSERT_TRUE(OtherClientStartsWith({{"bob.vcf", bob}}));
    ASSERT_EQ(Setup(Book()).status, 0);
    ASSERT_TRUE(Ran(Sync()));
    const std::int32_t bobId = IdOfLastName("Baker");
    ASSERT_NE(bobId, 0);

    other_.WriteCard("bob.vcf", WithLine(bob, "TEL;TYPE=CELL,PREF:", "TEL;TYPE=CELL,PREF:+1 555 0177"));
    ASSERT_TRUE(Ran(other_.Sync()));
    EditHere(bobId, kPhone, "+1 555 0188");
    EditHere(bobId, kStreet, "7 Pine Ave, Springfield");

    const ToolOutcome held = Sync();
    EXPECT_EQ(held.status, 6) << held.out << held.err;
    EXPECT_NE(held.out.find("conflicts held 1"), std::string::npos) << held.out;
    const ToolOutcome conflicts = Command({"conflicts"});
    EXPECT_EQ(conflicts.status, 0);
    EXPECT_EQ(conflicts.out, std::to_string(bobId) + "\tphone\tours: +1 555 0188\tserver: +1 555 0177\n");
    // Held: neither phone overwritten on either side.
    EXPECT_EQ(FieldOf(Stored()[bobId], kPhone), "+1 555 0188");
    EXPECT_EQ(LineStarting(ServerCard("uid-bob"), "TEL;TYPE=CELL,PREF:"), "TEL;TYPE=CELL,PREF:+1 555 0177");

    const ToolOutcome resolve = Command({"resolve", std::to_string(bobId), "--take", "server"});
    EXPECT_EQ(resolve.status, 0) << resolve.err;
    const ToolOutcome settled = Sync();
    EXPECT_EQ(settled.status, 0) << settled.out << settled.err;
    EXPECT_EQ(Command({"conflicts"}).out, "no conflicts held\n");
    EXPECT_EQ(Stored()[bobId], (Fields{"Bob Q.", "Baker", "7 Pine Ave, Springfield", "K1A 0B1", "Ontario", "Canada",
                                       "+1 555 0177"}));

    // The other client sees the settled card: its own phone, our street.
    ASSERT_TRUE(Ran(other_.Sync()));
    const std::string mine = other_.ReadCard("bob.vcf");
    EXPECT_EQ(LineStarting(mine, "TEL;TYPE=CELL,PREF:"), "TEL;TYPE=CELL,PREF:+1 555 0177");
    EXPECT_EQ(LineStarting(mine, "ADR;TYPE=HOME,PREF:"),
              "ADR;TYPE=HOME,PREF:;;7 Pine Ave;Springfield;Ontario;K1A 0B1;Canada");
    const std::set<std::string> changed{"ADR", "TEL"};
    EXPECT_EQ(Without(ReadVCards(mine).at(0), changed), Without(ReadVCards(bob).at(0), changed));
    EXPECT_EQ(Sync().out, kQuiet);
}

TEST_F(SyncInteropTest, ACardDeletedThereGoesHereAndACardAddedThereEqualToANewAddressHereIsLinked) {
    ASSERT_TRUE(OtherClientStartsWith({{"bob.vcf", RichCard("uid-bob", "Bob", "Baker", "+1 555 0101", "12 Oak Lane")},
                                       {"ann.vcf", RichCard("uid-ann", "Ann", "Lee", "+1 555 0201", "3 Elm St")},
                                       {"cy.vcf", RichCard("uid-cy", "Cy", "Dean", "+1 555 0301", "1 Main St")}}));
    ASSERT_EQ(Setup(Book()).status, 0);
    ASSERT_TRUE(Ran(Sync()));
    ASSERT_EQ(Stored().size(), 3u);

    // Dee is typed in here, and the same Dee (the phone written otherwise,
    // an e-mail address besides) on the other client; Ann is deleted there.
    folder_.InsertAddress("Dee", "Ford", "5 Lake Rd", "K1A 0C2", "Ontario", "Canada", "+1 555 0400");
    const std::string dee = FoldedCard({"BEGIN:VCARD", "VERSION:3.0", "UID:uid-dee", "N:Ford;Dee;;;", "FN:Dee Ford",
                                        "TEL;TYPE=CELL:+1-555-0400", "EMAIL;TYPE=INTERNET:dee@example.org",
                                        "ADR;TYPE=HOME:;;5 Lake Rd;;Ontario;K1A 0C2;Canada", "END:VCARD"});
    other_.WriteCard("dee.vcf", dee);
    other_.RemoveCard("ann.vcf");
    ASSERT_TRUE(Ran(other_.Sync()));
    ASSERT_EQ(ServerCardCount(), 3u);

    const ToolOutcome sync = Sync();
    ASSERT_EQ(sync.status, 0) << sync.out << sync.err;
    EXPECT_NE(sync.out.find("sent 0, deleted here 1, deleted there 0, conflicts held 0"), std::string::npos)
        << sync.out;
    std::multiset<std::string> lastNames;
    for (const auto& [id, fields] : Stored()) lastNames.insert(FieldOf(fields, kLast));
    EXPECT_EQ(lastNames, (std::multiset<std::string>{"Baker", "Dean", "Ford"}));
    // Linked, and the server's spelling of the phone taken.
    EXPECT_EQ(FieldOf(Stored()[IdOfLastName("Ford")], kPhone), "+1-555-0400");
    EXPECT_EQ(ServerCardCount(), 3u);
    EXPECT_EQ(ServerCard("uid-ann"), "");

    ASSERT_TRUE(Ran(other_.Sync()));
    EXPECT_EQ(other_.CardFiles(), (std::vector<std::string>{"bob.vcf", "cy.vcf", "dee.vcf"}));
    EXPECT_EQ(other_.ReadCard("dee.vcf"), dee);
    EXPECT_EQ(Sync().out, kQuiet);
}

TEST_F(SyncInteropTest, APhoneEditedHereReachesAVersionFourCardAs30WithEveryOtherValueKept) {
    const std::string cy = FoldedCard({
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
    ASSERT_TRUE(OtherClientStartsWith({{"cy.vcf", cy}}));
    ASSERT_EQ(Setup(Book()).status, 0);
    ASSERT_TRUE(Ran(Sync()));
    const std::int32_t cyId = IdOfLastName("Dean");
    ASSERT_NE(cyId, 0);
    EXPECT_EQ(Stored()[cyId], (Fields{"Cy", "Dean", "1 Main St, Springfield", "12345", "", "USA", "+1-555-0301"}));

    const std::string serverBefore = ServerCard("urn:uuid:6b1c4c1e-5f1a-4c1e-8000-00000000c0de");
    EditHere(cyId, kPhone, "+1-555-0399");
    const ToolOutcome sent = Sync();
    ASSERT_EQ(sent.status, 0) << sent.err;
    EXPECT_EQ(sent.out, "received 0, sent 1, deleted here 0, deleted there 0, conflicts held 0\n");

    ASSERT_TRUE(Ran(other_.Sync()));
    // Radicale does not list vCard 4.0 as taken: the card went back as 3.0,
    // every value kept by meaning and only the phone changed.
    const std::string mine = other_.ReadCard("cy.vcf");
    EXPECT_NE(mine.find("VERSION:3.0"), std::string::npos) << mine;
    EXPECT_EQ(MeaningChanges(serverBefore, mine),
              (std::vector<std::string>{"lost: .TEL;TYPE=cell;PREF=1:15550301", "added: .TEL;TYPE=cell;PREF=1:15550399"}))
        << mine;
    EXPECT_EQ(Sync().out, kQuiet);
}

// --- The whole card merged: one rule per row ---------------------------------------------

// A line replaced (the one beginning with `prefix`), removed (`line` empty)
// or added (`prefix` empty) in a card.
struct LineEdit {
    std::string prefix, line;
};

struct CardMergeRule {
    const char* name;
    std::vector<LineEdit> there, here;  // the other client's edit and ours (in the card window)
    std::vector<std::string> present, absent;  // lines of the card on both sides after the run
    const char* take = "";  // a held NOTE resolved: "local" or "server"
};

std::ostream& operator<<(std::ostream& out, const CardMergeRule& rule) { return out << rule.name; }

std::string Applied(const std::string& card, const std::vector<LineEdit>& edits) {
    std::vector<std::string> lines = UnfoldedLines(card);
    for (const LineEdit& edit : edits) {
        if (edit.prefix.empty()) {
            lines.insert(lines.end() - 1, edit.line);
            continue;
        }
        const auto at = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(edit.prefix); });
        if (at == lines.end()) continue;
        if (edit.line.empty()) lines.erase(at);
        else *at = edit.line;
    }
    return FoldedCard(lines);
}

class CardMergeInteropTest : public SyncInteropTest, public ::testing::WithParamInterface<CardMergeRule> {
protected:
    // Our edit saved as the card window saves it: the card kept, the seven
    // fields as it maps them.
    void EditKeptCard(std::int32_t id, const std::vector<LineEdit>& edits) const {
        const CDataCardTier cards(Database());
        const std::string card = Applied(cards.ReadCard(id).value_or(""), edits);
        transfer::ImportedCard read;
        transfer::VCardReader reader(card);
        ASSERT_TRUE(reader.Next(read));
        ASSERT_TRUE(cards.SaveCardWithAddress(id, read.fields, card));
    }
    static bool Holds(const std::string& card, const std::string& line) {
        const std::vector<std::string> lines = UnfoldedLines(card);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

TEST_P(CardMergeInteropTest, TheOtherClientsChangeAndOursAreMergedOnBothSides) {
    const CardMergeRule& rule = GetParam();
    const std::string eve = FoldedCard({"BEGIN:VCARD", "VERSION:3.0", "UID:uid-eve", "N:Eve;Ada;;;", "FN:Ada Eve",
                                        "TEL;TYPE=CELL:+1 555 0100", "ADR;TYPE=HOME:;;1 Main St;Town;;1000;CH",
                                        "EMAIL;TYPE=HOME:ada@home.example", "NOTE:old note", "CATEGORIES:friends,work",
                                        "END:VCARD"});
    ASSERT_TRUE(OtherClientStartsWith({{"eve.vcf", eve}}));
    ASSERT_EQ(Setup(Book()).status, 0);
    ASSERT_TRUE(Ran(Sync()));
    const std::int32_t id = IdOfLastName("Eve");
    ASSERT_NE(id, 0);

    other_.WriteCard("eve.vcf", Applied(other_.ReadCard("eve.vcf"), rule.there));
    ASSERT_TRUE(Ran(other_.Sync()));
    EditKeptCard(id, rule.here);
    const auto kept = [&] { return CDataCardTier(Database()).ReadCard(id).value_or(""); };

    const ToolOutcome merged = Sync();
    if (*rule.take) {
        // Held: each side keeps its own note until a side is taken, run after run.
        EXPECT_EQ(merged.status, 6) << merged.out << merged.err;
        EXPECT_EQ(Command({"conflicts"}).out, std::to_string(id) + "\tNOTE\tours: note here\tserver: note there\n");
        EXPECT_TRUE(Holds(ServerCard("uid-eve"), "NOTE:note there")) << ServerCard("uid-eve");
        EXPECT_TRUE(Holds(kept(), "NOTE:note here")) << kept();
        EXPECT_EQ(Sync().out, "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 1\n");
        const ToolOutcome resolved = Command({"resolve", std::to_string(id), "--take", rule.take});
        ASSERT_EQ(resolved.status, 0) << resolved.err;
        const ToolOutcome settled = Sync();
        EXPECT_EQ(settled.status, 0) << settled.out << settled.err;
        EXPECT_EQ(Command({"conflicts"}).out, "no conflicts held\n");
    } else {
        EXPECT_EQ(merged.status, 0) << merged.out << merged.err;
    }
    const std::string server = ServerCard("uid-eve");
    for (const std::string& line : rule.present) {
        EXPECT_TRUE(Holds(server, line)) << line << "\n" << server;
        EXPECT_TRUE(Holds(kept(), line)) << line << "\n" << kept();
    }
    for (const std::string& line : rule.absent) EXPECT_FALSE(Holds(server, line)) << line << "\n" << server;
    // The merged card is ours as well: the next run has nothing to do.
    EXPECT_EQ(Meaning(kept()), Meaning(server));
    EXPECT_EQ(Sync().out, kQuiet);
}

INSTANTIATE_TEST_SUITE_P(
    EachRule, CardMergeInteropTest,
    ::testing::Values(
        CardMergeRule{"ValuesAddedOnBothSidesAreBothKept",
                      {{"", "EMAIL;TYPE=WORK:ada@phone.example"}},
                      {{"", "EMAIL;TYPE=INTERNET:ada@here.example"}},
                      {"EMAIL;TYPE=HOME:ada@home.example", "EMAIL;TYPE=WORK:ada@phone.example",
                       "EMAIL;TYPE=INTERNET:ada@here.example"},
                      {}},
        CardMergeRule{"AValueRemovedHereGoesAndOneAddedThereStays",
                      {{"", "URL:https://ada.example"}},
                      {{"EMAIL;", ""}},
                      {"URL:https://ada.example"},
                      {"EMAIL;TYPE=HOME:ada@home.example"}},
        CardMergeRule{"ASinglePropertyChangedOnOneSideIsTaken",
                      {{"", "TITLE:Engineer"}},
                      {{"NOTE:", "NOTE:note here"}},
                      {"NOTE:note here", "TITLE:Engineer"},
                      {"NOTE:old note"}},
        CardMergeRule{"TheSameChangeOnBothSidesIsNoConflict",
                      {{"NOTE:", "NOTE:same note"}},
                      {{"NOTE:", "NOTE:same note"}},
                      {"NOTE:same note"},
                      {}},
        CardMergeRule{"GroupsAreMergedValueByValue",
                      {{"CATEGORIES:", "CATEGORIES:friends"}},
                      {{"CATEGORIES:", "CATEGORIES:friends,work,family"}},
                      {"CATEGORIES:friends,family"},
                      {}},
        CardMergeRule{"TheAddressOfTheFieldsIsMergedAsFieldsNeverDoubled",
                      {{"ADR;", "ADR;TYPE=HOME:;;1 Main St;Town;;2000;CH"}},
                      {{"ADR;", "ADR;TYPE=HOME:;;2 Side St;Town;;1000;CH"}},
                      {"ADR;TYPE=HOME:;;2 Side St;Town;;2000;CH"},
                      {"ADR;TYPE=HOME:;;1 Main St;Town;;2000;CH", "ADR;TYPE=HOME:;;2 Side St;Town;;1000;CH"}},
        CardMergeRule{"DifferentChangesAreHeldUntilOursIsTaken",
                      {{"NOTE:", "NOTE:note there"}},
                      {{"NOTE:", "NOTE:note here"}},
                      {"NOTE:note here"},
                      {"NOTE:note there"},
                      "local"},
        CardMergeRule{"DifferentChangesAreHeldUntilTheServersIsTaken",
                      {{"NOTE:", "NOTE:note there"}},
                      {{"NOTE:", "NOTE:note here"}},
                      {"NOTE:note there"},
                      {"NOTE:note here"},
                      "server"}),
    [](const ::testing::TestParamInfo<CardMergeRule>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace orvane::test
