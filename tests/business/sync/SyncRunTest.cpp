#include <algorithm>
#include <set>

#include "SyncCards.h"
#include "SyncRunSupport.h"
#include "carddav/CardDavErrors.h"
#include "core/Error.h"

namespace orvane::sync::test {
namespace {

using testing::ReadFields;

std::size_t CountWithLastName(const std::map<std::int32_t, Fields>& local, const std::string& last) {
    return static_cast<std::size_t>(
        std::count_if(local.begin(), local.end(), [&](const auto& entry) { return entry.second[1] == last; }));
}

std::size_t CountWithText(const std::map<std::string, carddav::RemoteCard>& cards, const std::string& text) {
    return static_cast<std::size_t>(std::count_if(cards.begin(), cards.end(), [&](const auto& entry) {
        return entry.second.text.find(text) != std::string::npos;
    }));
}

class SyncRunTest : public MemorySyncFixture {};

TEST_F(SyncRunTest, AnUnchangedBookCostsOneRequest) {
    book_.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee"));
    AddLocal(Person("Cy", "Dean"));
    SetUpAccount();
    Sync();
    Sync();  // may see its own writes of the first run once
    const SyncResult unchanged = Sync();
    EXPECT_EQ(unchanged.requests, 1u);
    EXPECT_EQ(unchanged.received + unchanged.sent, 0u);
    // The book is opened with the account's book and the password of the run.
    const carddav::ConnectionSettings& opened = book_.Book().openedWith;
    EXPECT_EQ(opened.addressBook, Book());
    EXPECT_EQ(opened.user, "alice");
    EXPECT_EQ(opened.password, "alice-secret");
}

// However the server stores our writes (rewritten in its own order and
// folding) and whether or not it names their new ETag, the next run takes
// none of them for a change of the server's.
TEST_F(SyncRunTest, OurOwnWritesAreNotTakenForTheServersChanges) {
    const auto rewrite = [](const std::string& card) {
        const std::size_t begin = card.find("\r\n") + 2;
        return card.substr(0, begin) + "PRODID:-//Server//Normaliser//EN\r\n" + card.substr(begin);
    };
    for (const bool rewrites : {false, true}) {
        for (const bool etagOnWrite : {true, false}) {
            SCOPED_TRACE(std::string(rewrites ? "rewritten" : "kept") + (etagOnWrite ? ", ETag" : ", no ETag"));
            MemorySync world;
            world.book_.Book().rewrite = rewrites ? std::function<std::string(const std::string&)>(rewrite) : nullptr;
            world.book_.Book().etagOnWrite = etagOnWrite;
            world.book_.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee", "111"));
            world.AddLocal(Person("Cy", "Dean", "333"));
            world.SetUpAccount();
            world.Sync();
            for (const auto& [id, fields] : world.Local())
                if (fields[0] == "Ann") CDataSyncAddressTier(world.Database()).Update(id, Person("Ann", "Lee", "222"));
            EXPECT_EQ(world.Sync().sent, 1u);
            const auto local = world.Local();

            const SyncResult next = world.Sync();
            EXPECT_EQ(next.SummaryLine(), "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0");
            EXPECT_EQ(world.Local(), local);
            EXPECT_EQ(world.Sync().requests, 1u);
            EXPECT_EQ(world.ServerCards().size(), 2u);
        }
    }
}

// A token the server no longer knows (expired there, or damaged in the
// file) lists the whole book again, without a duplicate on either side.
TEST_F(SyncRunTest, AnInvalidOrExpiredTokenListsEverythingAgainWithoutDuplicates) {
    for (const bool expired : {true, false}) {
        SCOPED_TRACE(expired ? "expired on the server" : "damaged in the file");
        MemorySync world;
        world.book_.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee"));
        world.AddLocal(Person("Cy", "Dean"));
        world.SetUpAccount();
        world.Sync();
        const CDataSyncStateTier state(world.Database());
        const SyncAccount account = *state.GetAccount();
        ASSERT_TRUE(account.syncToken);
        if (expired) world.book_.ExpireTokens();
        else state.SetSyncToken(*account.syncToken + "-damaged", *account.lastSyncTime);

        const SyncResult result = world.Sync();
        EXPECT_EQ(result.received + result.sent, 0u);
        EXPECT_EQ(result.requests, 2u);  // the refused token, then the full listing
        EXPECT_EQ(world.Local().size(), 2u);
        EXPECT_EQ(world.ServerCards().size(), 2u);
        EXPECT_NE(state.GetAccount()->syncToken, account.syncToken);
        EXPECT_EQ(world.Sync().requests, 1u);
    }
}

// A write that finds the card changed on the server (412) is not sent
// again as it was: the card is read again and both changes are merged.
TEST_F(SyncRunTest, ACardChangedUnderOurWriteIsReadAgainAndMerged) {
    book_.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee", "111"));
    SetUpAccount();
    Sync();
    const std::int32_t id = Local().begin()->first;
    CDataSyncAddressTier(Database()).Update(id, Person("Ann", "Lee", "222"));
    const std::string href = Book() + "ann.vcf";
    book_.Book().beforeNextWrite = [&] { book_.Put(href, Card("uid-ann", "Ann", "Leigh", "111")); };

    const SyncResult result = Sync();
    EXPECT_TRUE(result.problems.empty()) << result.problems.front();
    EXPECT_EQ(result.conflictsHeld, 0u);
    EXPECT_EQ(Local().at(id), Person("Ann", "Leigh", "222"));
    EXPECT_EQ(ReadFields(ServerCards().at(href).text), Person("Ann", "Leigh", "222"));
    EXPECT_TRUE(CDataSyncStateTier(Database()).ReadPending().empty());
    EXPECT_EQ(Sync().requests, 1u);
}

TEST_F(SyncRunTest, NewAddressesGoUpWithOneRequestEach) {
    for (int i = 0; i < 10; ++i) AddLocal(Person("Person", "Number" + std::to_string(i)));
    SetUpAccount();
    const SyncResult first = Sync();
    EXPECT_EQ(first.sent, 10u);
    // Whether the book keeps tokens, the listing, then one PUT per address.
    EXPECT_EQ(first.requests, 12u);
}

// A server that rewrites the cards it stores (properties in another order,
// its own PRODID and REV, other folding: a new ETag, the same fields) causes
// no change here, nothing sent back, and no loop.
TEST_F(SyncRunTest, AServerThatRewritesACardChangesNothingHereAndSendsNothing) {
    book_.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee", "111", "EMAIL:ann@example.org\r\n"));
    AddLocal(Person("Cy", "Dean", "333"));
    SetUpAccount();
    Sync();
    Sync();
    const auto before = ServerCards();
    const std::string ann = Book() + "ann.vcf";
    const std::map<std::int32_t, Fields> local = Local();

    // Rewritten in the server's storage, as a server that normalises cards does.
    book_.Seed("ann.vcf",
                     "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Server//Normaliser//EN\r\nN:Lee;Ann;;;\r\n"
                     "FN:Ann Lee\r\nUID:uid-ann\r\nEMAIL:ann@exa\r\n mple.org\r\nTEL;TYPE=CELL:111\r\n"
                     "REV:20261207T120000Z\r\nEND:VCARD\r\n");
    ASSERT_NE(ServerCards().at(ann).etag, before.at(ann).etag);

    const SyncResult rewritten = Sync();
    EXPECT_EQ(rewritten.sent, 0u);
    EXPECT_EQ(rewritten.conflictsHeld, 0u);
    EXPECT_EQ(Local(), local);
    const SyncResult after = Sync();
    EXPECT_EQ(after.requests, 1u);
    EXPECT_EQ(after.received + after.sent, 0u);
    // The server's own text stays as it wrote it.
    EXPECT_NE(ServerCards().at(ann).text.find("PRODID:-//Server//Normaliser//EN"), std::string::npos);
}

TEST_F(SyncRunTest, TheSameFieldChangedOnBothSidesIsHeldUntilASideIsTaken) {
    book_.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee"));
    book_.Seed("bob.vcf", Card("uid-bob", "Bob", "Baker"));
    SetUpAccount();
    Sync();
    std::int32_t ann = 0, bob = 0;
    for (const auto& [id, fields] : Local()) (fields[0] == "Ann" ? ann : bob) = id;
    CDataSyncAddressTier(Database()).Update(ann, Person("Ann", "Here"));
    CDataSyncAddressTier(Database()).Update(bob, Person("Bob", "Here"));
    auto phone = Phone();
    const auto cards = ServerCards();
    phone.Update(Book() + "ann.vcf", cards.at(Book() + "ann.vcf").etag, Card("uid-ann", "Ann", "There"));
    phone.Update(Book() + "bob.vcf", cards.at(Book() + "bob.vcf").etag, Card("uid-bob", "Bob", "There"));

    const SyncResult held = Sync();
    EXPECT_EQ(held.conflictsHeld, 2u);
    EXPECT_EQ(Local().at(ann)[1], "Here");  // neither side overwritten
    EXPECT_NE(ServerCards().at(Book() + "ann.vcf").text.find("There"), std::string::npos);
    const auto conflicts = SyncAccountService(Database()).Conflicts();
    ASSERT_EQ(conflicts.size(), 2u);
    EXPECT_EQ(conflicts[0].Field(), 1u);
    EXPECT_EQ(conflicts[0].localValue, "Here");
    EXPECT_EQ(conflicts[0].serverValue, "There");
    EXPECT_EQ(Sync().conflictsHeld, 2u) << "held again on every run until a side is taken";
    // The phone comes round to the value here: that conflict is no longer held.
    const std::string bobHref = Book() + "bob.vcf";
    phone.Update(bobHref, ServerCards().at(bobHref).etag, Card("uid-bob", "Bob", "Here"));
    EXPECT_EQ(Sync().conflictsHeld, 1u);
    ASSERT_EQ(SyncAccountService(Database()).Conflicts().size(), 1u);

    EXPECT_EQ(SyncAccountService(Database()).Resolve(ann, Side::Server), 1u);
    EXPECT_THROW(SyncAccountService(Database()).Resolve(ann, Side::Server), orvane::Error);
    const SyncResult resolved = Sync();
    EXPECT_EQ(resolved.conflictsHeld, 0u);
    EXPECT_EQ(Local().at(ann)[1], "There");
    EXPECT_NE(ServerCards().at(Book() + "ann.vcf").text.find("There"), std::string::npos);
    EXPECT_EQ(Local().at(bob)[1], "Here");
    EXPECT_TRUE(SyncAccountService(Database()).Conflicts().empty());
}

TEST_F(SyncRunTest, AnEditBeatsADeleteOnTheOtherSideAndDeletesOnBothSidesAreQuiet) {
    for (const char* name : {"ann", "bob", "cy", "dee", "eve", "fay"})
        book_.Seed(std::string(name) + ".vcf", Card(std::string("uid-") + name, name, "Lee"));
    SetUpAccount();
    Sync();
    std::map<std::string, std::int32_t> ids;
    for (const auto& [id, fields] : Local()) ids[fields[0]] = id;
    auto phone = Phone();
    auto cards = ServerCards();
    auto href = [&](const std::string& name) { return Book() + name + ".vcf"; };
    const CDataSyncAddressTier addresses(Database());

    addresses.Update(ids["ann"], Person("ann", "Edited"));             // edited here, deleted there
    phone.Delete(href("ann"), cards.at(href("ann")).etag);
    addresses.Delete(ids["bob"]);                                      // deleted here, edited there
    phone.Update(href("bob"), cards.at(href("bob")).etag, Card("uid-bob", "bob", "Edited"));
    addresses.Delete(ids["cy"]);                                       // deleted on both sides
    phone.Delete(href("cy"), cards.at(href("cy")).etag);
    // Deleted here only, by another program.
    folder_.ExecSql("DELETE FROM tblAddress WHERE ID = " + std::to_string(ids["dee"]));

    const SyncResult result = Sync();
    EXPECT_TRUE(result.problems.empty()) << result.problems.front();
    EXPECT_EQ(result.deletedThere, 1u);  // dee
    EXPECT_EQ(result.deletedHere, 0u);
    const auto local = Local();
    cards = ServerCards();
    EXPECT_EQ(CountWithLastName(local, "Edited"), 2u);      // ann stays here, bob comes back
    EXPECT_EQ(CountWithText(cards, "Edited"), 2u);          // ann goes back up, bob stays
    EXPECT_EQ(cards.count(href("cy")) + cards.count(href("dee")), 0u);
    EXPECT_EQ(cards.size(), 4u);  // ann, bob, eve, fay: nothing of cy or dee
    EXPECT_EQ(local.size(), 4u);
    EXPECT_FALSE(CDataCardTier(Database()).ReadCard(ids["dee"]));
    EXPECT_FALSE(CDataCardTier(Database()).ReadCard(ids["cy"]));

    // Deleted on the server only: deleted here on the next run.
    phone.Delete(href("eve"), cards.at(href("eve")).etag);
    const SyncResult next = Sync();
    EXPECT_EQ(next.deletedHere, 1u);
    EXPECT_EQ(Local().size(), 3u);
}

// A book that gives no sync tokens is listed by ETags, and only the cards
// whose ETag is new are read (one multiget).
TEST_F(SyncRunTest, ABookWithoutTokensIsListedByEtagsAndReadsOnlyWhatChanged) {
    for (const char* name : {"ann", "bob", "cy", "dee"})
        book_.Seed(std::string(name) + ".vcf", Card(std::string("uid-") + name, name, "Lee"));
    SetUpAccount();
    Sync();
    const CDataSyncStateTier state(Database());
    state.SetSyncToken(std::nullopt, *state.GetAccount()->lastSyncTime);

    const SyncResult unchanged = Sync();
    EXPECT_EQ(unchanged.requests, 1u);  // the ETags alone
    EXPECT_EQ(unchanged.received + unchanged.sent + unchanged.deletedHere, 0u);

    auto phone = Phone();
    const auto cards = ServerCards();
    phone.Update(Book() + "ann.vcf", cards.at(Book() + "ann.vcf").etag, Card("uid-ann", "ann", "Changed"));
    phone.Delete(Book() + "bob.vcf", cards.at(Book() + "bob.vcf").etag);
    phone.Create(Book() + "eve.vcf", Card("uid-eve", "eve", "New"));
    const SyncResult changed = Sync();
    EXPECT_EQ(changed.requests, 2u);  // ETags, then one multiget of ann and eve
    EXPECT_EQ(changed.received, 2u);
    EXPECT_EQ(changed.deletedHere, 1u);
    const auto local = Local();
    EXPECT_EQ(local.size(), 4u);
    EXPECT_EQ(CountWithLastName(local, "Changed"), 1u);
    EXPECT_EQ(CountWithLastName(local, "New"), 1u);
    EXPECT_FALSE(state.GetAccount()->syncToken);
}

// A card refused by the server (its UID is another card's) is a problem line;
// nothing else is held up and nothing is deleted.
TEST_F(SyncRunTest, ACardTheServerRefusesIsReportedAndTheRestGoesOn) {
    book_.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee"));
    const std::int32_t clash = AddLocal(Person("Other", "Person"));
    CDataCardTier(Database()).KeepCard(clash, Card("uid-ann", "Other", "Person"));
    AddLocal(Person("Cy", "Dean"));
    SetUpAccount();
    const SyncResult result = Sync();
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_EQ(result.refused[0].addressId, clash);
    EXPECT_EQ(result.refused[0].reason, "no-uid-conflict (HTTP 409)");
    EXPECT_FALSE(result.refused[0].earlier);
    EXPECT_TRUE(result.problems.empty()) << result.problems.front();
    EXPECT_EQ(result.sent, 1u);
    EXPECT_EQ(result.received, 1u);
    EXPECT_EQ(Local().size(), 3u);
    EXPECT_EQ(ServerCards().size(), 2u);
    EXPECT_TRUE(CDataSyncStateTier(Database()).ReadPending().empty());
}

TEST_F(SyncRunTest, MostCardsGoneFromTheServerStopsBeforeDeletingAnythingHere) {
    for (const char* name : {"ann", "bob", "cy"})
        book_.Seed(std::string(name) + ".vcf", Card(std::string("uid-") + name, name, "Lee"));
    SetUpAccount();
    Sync();
    auto phone = Phone();
    const auto cards = ServerCards();
    for (const char* name : {"ann", "bob"}) phone.Delete(Book() + name + ".vcf", cards.at(Book() + name + ".vcf").etag);
    AddLocal(Person("New", "Here"));

    const SyncResult stopped = Sync();
    EXPECT_TRUE(stopped.stoppedForSafety);
    ASSERT_FALSE(stopped.problems.empty());
    EXPECT_NE(stopped.problems.front().find("2 of the 3"), std::string::npos);
    EXPECT_EQ(Local().size(), 4u);          // nothing deleted here
    EXPECT_EQ(ServerCards().size(), 1u);    // nothing sent either
    EXPECT_TRUE(Sync().stoppedForSafety) << "stops again until told to go on";

    const SyncResult forced = Sync(/*forceDelete=*/true);
    EXPECT_FALSE(forced.stoppedForSafety);
    EXPECT_EQ(forced.deletedHere, 2u);
    EXPECT_EQ(forced.sent, 1u);
    EXPECT_EQ(Local().size(), 2u);
}

TEST_F(SyncRunTest, ADryRunPlansAndChangesNothingOnEitherSide) {
    book_.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee"));
    AddLocal(Person("Cy", "Dean"));
    SetUpAccount();
    const SyncResult dry = Sync(false, /*dryRun=*/true);
    EXPECT_EQ(dry.received, 1u);
    EXPECT_EQ(dry.sent, 1u);
    EXPECT_EQ(dry.planned.size(), 2u);
    EXPECT_EQ(Local().size(), 1u);
    EXPECT_EQ(ServerCards().size(), 1u);
    EXPECT_FALSE(CDataSyncStateTier(Database()).GetAccount()->lastSyncTime);
    EXPECT_TRUE(CDataSyncStateTier(Database()).ReadItems().empty());
    EXPECT_TRUE(CDataSyncStateTier(Database()).ReadPending().empty());
}

TEST_F(SyncRunTest, PropertiesOfAServerCardThatTheTableHasNoPlaceForSurviveAnEditHere) {
    const std::string extra =
        "EMAIL;TYPE=INTERNET:ann@example.org\r\n"
        "EMAIL;TYPE=WORK:ann@work.example\r\n"
        "PHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4nGNgYGBgAAAABQABpfZFQAAAAABJRU5ErkJggg==\r\n"
        "X-PHONETIC-LAST-NAME:Lii\r\n"
        "ITEM1.URL:https://ann.example.org/\r\n"
        "ITEM1.X-ABLABEL:blog\r\n"
        "NOTE:met at the fair\\, twice\r\n";
    book_.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee", "111", extra));
    SetUpAccount();
    Sync();
    const std::string before = ServerCards().at(Book() + "ann.vcf").text;
    const std::int32_t id = Local().begin()->first;
    // The card is kept beside the address, as the server sent it.
    EXPECT_EQ(CDataCardTier(Database()).ReadCard(id), std::optional<std::string>(before));

    CDataSyncAddressTier(Database()).Update(id, Person("Ann", "Lane", "111"));
    EXPECT_EQ(Sync().sent, 1u);
    const std::string after = ServerCards().at(Book() + "ann.vcf").text;
    EXPECT_NE(after.find("Lane"), std::string::npos);
    // Every line of the card that is not the name is as it was, byte for byte.
    // Every logical line (folding undone) but the name's, sorted.
    auto linesWithout = [](const std::string& text) {
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !lines.empty()) lines.back() += line.substr(1);
            else lines.push_back(line);
            start = end + 1;
        }
        std::erase_if(lines, [](const std::string& line) { return line.rfind("N:", 0) == 0 || line.rfind("FN:", 0) == 0; });
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    EXPECT_EQ(linesWithout(after), linesWithout(before));
    for (const char* kept : {"ann@work.example", "X-PHONETIC-LAST-NAME:Lii", "ITEM1.X-ABLABEL:blog", "iVBORw0KGgoAAAANSUhEUg"})
        EXPECT_NE(after.find(kept), std::string::npos) << kept;
}

TEST_F(SyncRunTest, AnImportedAddressGoesUpWithTheWholeCardItCameFrom) {
    const std::int32_t id = AddLocal(Person("Ivy", "Imported", "123"));
    const std::string imported = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Imported;Ivy;;;\r\nFN:Ivy Imported\r\n"
                                 "TEL;TYPE=CELL:123\r\nEMAIL:ivy@example.org\r\nX-CUSTOM:kept\r\nEND:VCARD\r\n";
    CDataCardTier(Database()).KeepCard(id, imported);
    SetUpAccount();
    EXPECT_EQ(Sync().sent, 1u);
    const auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 1u);
    const std::string& text = cards.begin()->second.text;
    EXPECT_NE(text.find("EMAIL:ivy@example.org"), std::string::npos);
    EXPECT_NE(text.find("X-CUSTOM:kept"), std::string::npos);
    EXPECT_NE(text.find("UID:"), std::string::npos);  // added: the server needs one
}

TEST_F(SyncRunTest, AWriteRecordedButCutShortIsFinishedWithoutADuplicate) {
    AddLocal(Person("Cy", "Dean"));
    SetUpAccount();
    // A run that recorded its create and sent it, then died before storing
    // the record: the card is on the server, the write still pending.
    const std::int32_t id = Local().begin()->first;
    const std::string href = Book() + "cut-short.vcf";
    const std::string card = Card("cut-short", "Cy", "Dean");
    PendingOperation create;
    create.kind = PendingOperation::Kind::Create;
    create.href = href;
    create.addressId = id;
    create.cardText = card;
    CDataSyncStateTier(Database()).AddPending({create});
    auto phone = Phone();
    ASSERT_EQ(phone.Create(href, card).outcome, carddav::WriteOutcome::Created);
    // Edited here since: no longer the same by content, only the record of the write links them.
    CDataSyncAddressTier(Database()).Update(id, Person("Cy", "Dean", "42"));

    const SyncResult result = Sync();
    EXPECT_EQ(result.sent, 1u);  // the edit, as a change of the card sent
    const auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_NE(cards.begin()->second.text.find("42"), std::string::npos);
    EXPECT_EQ(Local().size(), 1u);
    EXPECT_TRUE(CDataSyncStateTier(Database()).ReadPending().empty());
    EXPECT_EQ(CDataSyncStateTier(Database()).ReadItems().at(0).href, href);
}

TEST_F(SyncRunTest, ARunCancelledBetweenStepsIsFinishedByTheNext) {
    for (int i = 0; i < 6; ++i) AddLocal(Person("Person", "Number" + std::to_string(i)));
    book_.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee"));
    SetUpAccount();
    std::atomic<bool> cancel{false};
    std::vector<std::size_t> seen;
    SyncOptions options = Options();
    options.cancel = &cancel;
    options.progress = [&](std::size_t done, std::size_t total, const SyncStep& next) {
        seen.push_back(done);
        EXPECT_EQ(total, 7u);
        EXPECT_FALSE(next.line.empty());
        if (done == 3) cancel = true;
    };
    const SyncResult cut = Sync(options);
    EXPECT_TRUE(cut.cancelled);
    EXPECT_EQ(seen, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_EQ(cut.received + cut.sent, 4u);
    EXPECT_FALSE(CDataSyncStateTier(Database()).GetAccount()->lastSyncTime);

    const SyncResult rest = Sync();
    EXPECT_FALSE(rest.cancelled);
    EXPECT_EQ(rest.received + rest.sent, 3u);
    EXPECT_EQ(Local().size(), 7u);
    EXPECT_EQ(ServerCards().size(), 7u);
}

// Addresses saved in the window while a run goes on are never written over
// by it: the run leaves them alone, and the next run merges each save with
// the server's change (an edit beats a delete).
TEST_F(SyncRunTest, AddressesSavedHereDuringARunAreLeftAloneAndMergedByTheNext) {
    book_.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee", "111"));
    book_.Seed("bob.vcf", Card("uid-bob", "Bob", "Baker"));
    SetUpAccount();
    Sync();
    std::map<std::string, std::int32_t> ids;
    for (const auto& [id, fields] : Local()) ids[fields[0]] = id;
    auto href = [&](const std::string& name) { return Book() + name + ".vcf"; };
    auto phone = Phone();
    auto cards = ServerCards();
    ASSERT_EQ(phone.Update(href("ann"), cards.at(href("ann")).etag, Card("uid-ann", "Ann", "Lee", "222")).outcome,
              carddav::WriteOutcome::Updated);
    phone.Delete(href("bob"), cards.at(href("bob")).etag);

    // The window saves both addresses once the run has read them.
    const CDataSyncAddressTier addresses(Database());
    bool saved = false;
    SyncOptions options = Options();
    options.progress = [&](std::size_t, std::size_t, const SyncStep&) {
        if (saved) return;
        saved = true;
        addresses.Update(ids["Ann"], Person("Ann", "Here", "111"));
        addresses.Update(ids["Bob"], Person("Bob", "Kept"));
    };
    Sync(options);
    ASSERT_TRUE(saved);
    EXPECT_EQ(Local().at(ids["Ann"]), Person("Ann", "Here", "111"));
    EXPECT_EQ(Local().at(ids["Bob"]), Person("Bob", "Kept"));

    const SyncResult next = Sync();
    EXPECT_TRUE(next.problems.empty()) << next.problems.front();
    EXPECT_EQ(next.conflictsHeld, 0u);
    EXPECT_EQ(Local().at(ids["Ann"]), Person("Ann", "Here", "222"));
    EXPECT_EQ(Local().at(ids["Bob"]), Person("Bob", "Kept"));
    cards = ServerCards();
    EXPECT_NE(cards.at(href("ann")).text.find("Here"), std::string::npos);
    EXPECT_NE(cards.at(href("ann")).text.find("222"), std::string::npos);
    EXPECT_EQ(CountWithText(cards, "Kept"), 1u);
    EXPECT_EQ(cards.size(), 2u);
}

// Both sides changed since the last run: an edit on each, an address new
// here, a card deleted there and an address deleted here.
void ChangeBothSides(MemorySync& world, bool keepsTokens) {
    world.book_.Book().keepsTokens = keepsTokens;
    for (const char* name : {"ann", "bob", "cy", "dee", "eve"})
        world.book_.Seed(std::string(name) + ".vcf", Card(std::string("uid-") + name, name, "Lee", "111"));
    world.AddLocal(Person("fay", "Here"));
    world.SetUpAccount();
    world.Sync();
    std::map<std::string, std::int32_t> ids;
    for (const auto& [id, fields] : world.Local()) ids[fields[0]] = id;
    const CDataSyncAddressTier addresses(world.Database());
    addresses.Update(ids["ann"], Person("ann", "Lee", "222"));
    addresses.Delete(ids["dee"]);
    world.AddLocal(Person("gus", "New"));
    MemoryBook phone = world.Phone();
    const auto cards = world.ServerCards();
    const std::string bob = world.Book() + "bob.vcf", cy = world.Book() + "cy.vcf";
    phone.Update(bob, cards.at(bob).etag, Card("uid-bob", "bob", "There", "111"));
    phone.Delete(cy, cards.at(cy).etag);
}

// Every address on each side, read as fields, duplicates counted.
std::pair<std::multiset<Fields>, std::multiset<Fields>> BothSides(const MemorySync& world) {
    std::multiset<Fields> here, there;
    for (const auto& [id, fields] : world.Local()) here.insert(fields);
    for (const auto& [href, card] : world.ServerCards()) there.insert(ReadFields(card.text));
    return {here, there};
}

// A run cut off at any request, before a write reaches the server or after
// it did but its answer was lost, is finished by the next run: the same
// addresses on both sides as an uninterrupted run leaves, none twice; over
// a book listed by sync token and over one listed by ETags.
TEST_F(SyncRunTest, ARunCutOffAtAnyRequestIsFinishedByTheNextWithoutLossOrDuplicate) {
    for (const bool keepsTokens : {true, false}) {
        MemorySync whole;
        ChangeBothSides(whole, keepsTokens);
        const std::size_t before = whole.book_.Book().requests;
        whole.Sync();
        const std::size_t requests = whole.book_.Book().requests - before;
        const auto expected = BothSides(whole);
        ASSERT_EQ(expected.first, expected.second);
        ASSERT_GE(requests, 4u);  // the listing, a change, a delete and a create sent

        for (const bool answerLost : {false, true}) {
            for (std::size_t n = 1; n <= requests; ++n) {
                SCOPED_TRACE(std::string(keepsTokens ? "tokens" : "ETags") + ", request " + std::to_string(n) +
                             (answerLost ? ", answer lost" : ""));
                MemorySync world;
                ChangeBothSides(world, keepsTokens);
                world.book_.Book().failAtRequest = world.book_.Book().requests + n;
                world.book_.Book().answerLost = answerLost;
                try {
                    world.Sync();
                    ADD_FAILURE() << "the cut-off run did not fail";
                } catch (const orvane::Error& e) {
                    EXPECT_EQ(e.Number(), carddav::errnum::Network);
                }
                const SyncResult next = world.Sync();
                EXPECT_TRUE(next.problems.empty()) << next.problems.front();
                EXPECT_EQ(next.conflictsHeld, 0u);
                world.Sync();
                EXPECT_EQ(BothSides(world), expected);
                EXPECT_TRUE(CDataSyncStateTier(world.Database()).ReadPending().empty());
            }
        }
    }
}

TEST_F(SyncRunTest, WithoutAnAccountARunRaises) {
    try {
        Sync();
        ADD_FAILURE();
    } catch (const orvane::Error& e) {
        EXPECT_EQ(e.Number(), errnum::NoAccount);
    }
}

}  // namespace
}  // namespace orvane::sync::test
