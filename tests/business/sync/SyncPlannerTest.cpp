#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "SyncBook.h"
#include "sync/CardLines.h"

namespace orvane::sync {
namespace {
using testing::ActionsOf;
using testing::Deletes;
using testing::ReadFields;
using testing::SyncBook;
using transfer::AddressFields;
using transfer::kFirstName;
using transfer::kLastName;
using transfer::kPhone;
using transfer::kStreet;

const AddressFields kAnn{"Ann", "Lee", "1 Main St", "1000", "VD", "CH", "+41 21 555 0100"};
const AddressFields kBob{"Bob", "Marley", "56 Hope Rd", "", "Kingston", "Jamaica", "876 555 0101"};
const AddressFields kCyd{"Cyd", "Charisse", "", "", "", "", ""};
const AddressFields kDee{"Dee", "Dee", "", "", "", "", "555"};

// --- A change on one side is taken -------------------------------------------------------

TEST(PlannerOneSide, AnEditHereGoesToTheServerInTheWholeCardWithIfMatch) {
    SyncBook book;
    book.Linked(1, kAnn, testing::PhoneCard().Text());
    book.EditHere(1, kLastName, "Okafor-Bello");
    for (const SyncPlan& plan : {book.PlanComplete(), book.PlanChanges()}) {
        const auto sends = ActionsOf(plan, ActionKind::UpdateOnServer);
        ASSERT_EQ(sends.size(), 1u);
        EXPECT_EQ(plan.actions.size(), 1u);
        EXPECT_EQ(sends[0]->href, "card1.vcf");
        EXPECT_EQ(sends[0]->ifMatch, "\"e1-1\"");
        EXPECT_EQ(ReadFields(sends[0]->card)[kLastName], "Okafor-Bello");
        EXPECT_NE(sends[0]->card.find("\r\nEMAIL;TYPE=INTERNET,WORK:a.okafor@water.example\r\n"), std::string::npos);
        ASSERT_TRUE(sends[0]->record);
        EXPECT_EQ(sends[0]->record->base[kLastName], "Okafor-Bello");
        EXPECT_EQ(sends[0]->record->card, sends[0]->card);
    }
}

// A card edited in the card window is a change here even with the seven
// fields as they were: that card goes across, on the fields merged.
TEST(PlannerOneSide, ACardEditedHereGoesToTheServerWholeAlsoOverAnEditThere) {
    SyncBook book;
    book.Linked(1, kAnn);
    std::string withEmail = NewCardText(kAnn, "uid-1");
    withEmail.insert(withEmail.find("END:VCARD"), "EMAIL:ann@example.org\r\n");
    book.input.editedCards[1] = withEmail;
    const SyncPlan first = book.PlanComplete();
    const auto sends = ActionsOf(first, ActionKind::UpdateOnServer);
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_NE(sends[0]->card.find("EMAIL:ann@example.org"), std::string::npos) << sends[0]->card;

    book.EditOnServer(1, kPhone, "+41 79 555 0199");
    const SyncPlan plan = book.PlanComplete();
    const auto merged = ActionsOf(plan, ActionKind::UpdateOnServer);
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_NE(merged[0]->card.find("EMAIL:ann@example.org"), std::string::npos);
    EXPECT_EQ(ReadFields(merged[0]->card)[kPhone], "+41 79 555 0199");
    EXPECT_EQ(merged[0]->ifMatch, book.Card(1).etag);
}

TEST(PlannerOneSide, AnEditOnTheServerIsStoredHere) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.EditOnServer(1, kPhone, "+41 79 555 0199");
    for (const SyncPlan& plan : {book.PlanComplete(), book.PlanChanges()}) {
        const auto updates = ActionsOf(plan, ActionKind::UpdateLocal);
        ASSERT_EQ(updates.size(), 1u);
        EXPECT_EQ(plan.actions.size(), 1u);
        EXPECT_EQ(updates[0]->addressId, 1);
        EXPECT_EQ(updates[0]->fields[kPhone], "+41 79 555 0199");
        ASSERT_TRUE(updates[0]->record);
        EXPECT_EQ(updates[0]->record->etag, book.Card(1).etag);
        EXPECT_EQ(updates[0]->record->card, book.Card(1).card);
    }
}

TEST(PlannerOneSide, NothingChangedPlansNothing) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.Linked(2, kBob);
    EXPECT_TRUE(book.PlanComplete().actions.empty());
    EXPECT_TRUE(book.PlanChanges().actions.empty());
}

// --- Changes to different fields of one address are both kept ------------------------------

TEST(PlannerBothSides, DifferentFieldsAreMergedAndTheRecordIsStoredByTheLastWrite) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.EditHere(1, kLastName, "Lee-Ray");
    book.EditOnServer(1, kStreet, "2 Main St");
    const SyncPlan plan = book.PlanComplete();
    ASSERT_EQ(plan.actions.size(), 2u);
    const SyncAction& here = plan.actions[0];
    const SyncAction& there = plan.actions[1];
    EXPECT_EQ(here.kind, ActionKind::UpdateLocal);
    EXPECT_EQ(there.kind, ActionKind::UpdateOnServer);
    AddressFields both = kAnn;
    both[kLastName] = "Lee-Ray";
    both[kStreet] = "2 Main St";
    EXPECT_EQ(here.fields, both);
    EXPECT_EQ(ReadFields(there.card), both);
    EXPECT_EQ(there.ifMatch, book.Card(1).etag);  // the server's new ETag, not the old one
    // A run cut short after the first write merges again next time.
    EXPECT_FALSE(here.record);
    ASSERT_TRUE(there.record);
    EXPECT_EQ(there.record->base, both);
    EXPECT_TRUE(plan.conflicts.empty());
}

// --- The same field changed differently is held -------------------------------------------

TEST(PlannerConflicts, TheSameFieldChangedDifferentlyIsHeldAndNeitherSideOverwritten) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.EditHere(1, kLastName, "Lee-Ray");
    book.EditOnServer(1, kLastName, "Leigh");
    const SyncPlan plan = book.PlanComplete();
    ASSERT_EQ(plan.conflicts.size(), 1u);
    EXPECT_EQ(plan.conflicts[0].addressId, 1);
    EXPECT_EQ(plan.conflicts[0].Field(), std::size_t{kLastName});
    EXPECT_EQ(plan.conflicts[0].localValue, "Lee-Ray");
    EXPECT_EQ(plan.conflicts[0].serverValue, "Leigh");
    EXPECT_TRUE(ActionsOf(plan, ActionKind::UpdateLocal).empty());
    EXPECT_TRUE(ActionsOf(plan, ActionKind::UpdateOnServer).empty());

    // The record takes the server's card and ETag but keeps the old base:
    // the next run, with nothing new on either side, holds it again.
    const auto kept = ActionsOf(plan, ActionKind::KeepRecord);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0]->record->base[kLastName], "Lee");
    book.input.records = {*kept[0]->record};
    const SyncPlan again = book.PlanChanges();
    EXPECT_EQ(again.conflicts.size(), 1u);
    EXPECT_TRUE(again.actions.empty());
}

TEST(PlannerConflicts, TheSameChangeOnBothSidesIsNoConflict) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.EditHere(1, kLastName, "Leigh");
    book.EditOnServer(1, kLastName, "Leigh");
    const SyncPlan plan = book.PlanComplete();
    EXPECT_TRUE(plan.conflicts.empty());
    ASSERT_EQ(plan.actions.size(), 1u);
    EXPECT_EQ(plan.actions[0].kind, ActionKind::KeepRecord);
    EXPECT_EQ(plan.actions[0].record->base[kLastName], "Leigh");
}

TEST(PlannerConflicts, AChoiceSendsOrStoresTheSideTaken) {
    for (const Side take : {Side::Local, Side::Server}) {
        SyncBook book;
        book.Linked(1, kAnn);
        book.EditHere(1, kLastName, "Lee-Ray");
        book.EditOnServer(1, kLastName, "Leigh");
        book.input.choices = {{1, kLastName, take, {}}};
        const SyncPlan plan = book.PlanComplete();
        EXPECT_TRUE(plan.conflicts.empty());
        ASSERT_EQ(plan.actions.size(), 1u);
        if (take == Side::Local) {
            EXPECT_EQ(plan.actions[0].kind, ActionKind::UpdateOnServer);
            EXPECT_EQ(ReadFields(plan.actions[0].card)[kLastName], "Lee-Ray");
        } else {
            EXPECT_EQ(plan.actions[0].kind, ActionKind::UpdateLocal);
            EXPECT_EQ(plan.actions[0].fields[kLastName], "Leigh");
        }
        // A choice for another address changes nothing here.
        book.input.choices = {{2, kLastName, take, {}}};
        EXPECT_EQ(book.PlanComplete().conflicts.size(), 1u);
    }
}

// A property of the card changed differently on both sides is held with the
// record: the kept card keeps ours, the server its own, and every later plan
// finds it again until the held base goes (ours taken) and ours is sent.
TEST(PlannerConflicts, APropertyOfTheCardChangedDifferentlyIsHeldWithItsRecord) {
    SyncBook book;
    std::string card = NewCardText(kAnn, "uid-1");
    card.insert(card.find("END:VCARD"), "NOTE:old\r\n");
    book.Linked(1, kAnn, card);
    const auto withNote = [&](const std::string& note) {
        std::string text = card;
        return text.replace(text.find("NOTE:old"), 8, "NOTE:" + note);
    };
    book.input.editedCards[1] = withNote("ours");
    book.RewriteOnServer(1, withNote("theirs"));
    const SyncPlan held = book.PlanComplete();
    ASSERT_EQ(held.conflicts.size(), 1u);
    EXPECT_EQ(held.conflicts[0].property, "NOTE");
    const auto keep = ActionsOf(held, ActionKind::KeepRecord);
    ASSERT_EQ(keep.size(), 1u);
    EXPECT_EQ(held.actions.size(), 1u);
    ASSERT_TRUE(keep[0]->kept && keep[0]->record);
    EXPECT_NE(keep[0]->kept->find("NOTE:ours"), std::string::npos);
    EXPECT_NE(keep[0]->record->card.find("NOTE:theirs"), std::string::npos);

    book.input.records[0] = *keep[0]->record;
    book.input.editedCards[1] = *keep[0]->kept;
    const SyncPlan again = book.PlanComplete();
    EXPECT_EQ(again.conflicts.size(), 1u);
    EXPECT_TRUE(again.actions.empty());

    book.input.records[0].held.clear();
    const SyncPlan ours = book.PlanComplete();
    const auto sends = ActionsOf(ours, ActionKind::UpdateOnServer);
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_NE(sends[0]->card.find("NOTE:ours"), std::string::npos);
    EXPECT_TRUE(ours.conflicts.empty());
}

// --- An edit beats a delete on the other side ---------------------------------------------

TEST(PlannerEditBeatsDelete, AnEditHereRecreatesTheWholeCardDeletedOnTheServer) {
    SyncBook book;
    book.Linked(1, kAnn, testing::PhoneCard().Text());
    book.Linked(2, kBob);
    book.Linked(3, kCyd);
    book.EditHere(1, kPhone, "+234 1 555 0999");
    book.DeleteOnServer(1);
    for (const SyncPlan& plan : {book.PlanComplete(), book.PlanChanges()}) {
        const auto creates = ActionsOf(plan, ActionKind::CreateOnServer);
        ASSERT_EQ(creates.size(), 1u);
        EXPECT_EQ(plan.actions.size(), 1u);
        EXPECT_EQ(creates[0]->href, "card1.vcf");
        EXPECT_EQ(creates[0]->record->uid, "uid-1");
        EXPECT_EQ(ReadFields(creates[0]->card)[kPhone], "+234 1 555 0999");
        EXPECT_NE(creates[0]->card.find("NOTE:Met at the water conference"), std::string::npos);
        EXPECT_FALSE(Deletes(plan));
    }
}

TEST(PlannerEditBeatsDelete, AnEditOnTheServerRestoresTheAddressDeletedHere) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.EditOnServer(1, kFirstName, "Anne");
    book.DeleteHere(1);
    const SyncPlan plan = book.PlanComplete();
    const auto stores = ActionsOf(plan, ActionKind::StoreLocal);
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(plan.actions.size(), 1u);
    EXPECT_EQ(stores[0]->fields[kFirstName], "Anne");
    EXPECT_EQ(stores[0]->record->href, "card1.vcf");
    EXPECT_EQ(stores[0]->record->addressId, 0);  // a new ID: IDs are never reused
}

// --- Deletes -------------------------------------------------------------------------------

TEST(PlannerDeletes, ADeleteOnOneSideIsCarriedOverWhenTheOtherDidNotEdit) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.Linked(2, kBob);
    book.Linked(3, kCyd);
    book.DeleteHere(1);
    book.DeleteOnServer(2);
    for (const SyncPlan& plan : {book.PlanComplete(), book.PlanChanges()}) {
        ASSERT_EQ(plan.actions.size(), 2u);
        const auto there = ActionsOf(plan, ActionKind::DeleteOnServer);
        const auto here = ActionsOf(plan, ActionKind::DeleteLocal);
        ASSERT_EQ(there.size(), 1u);
        ASSERT_EQ(here.size(), 1u);
        EXPECT_EQ(there[0]->href, "card1.vcf");
        EXPECT_EQ(there[0]->ifMatch, "\"e1-1\"");
        EXPECT_EQ(here[0]->addressId, 2);
    }
}

TEST(PlannerDeletes, DeletesOnBothSidesAreQuiet) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.Linked(2, kBob);
    book.Linked(3, kCyd);
    book.DeleteHere(1);
    book.DeleteOnServer(1);
    const SyncPlan plan = book.PlanComplete();
    ASSERT_EQ(plan.actions.size(), 1u);
    EXPECT_EQ(plan.actions[0].kind, ActionKind::DropRecord);
    EXPECT_TRUE(plan.problems.empty());
}

TEST(PlannerDeletes, OnlyAListingThatSaysSoDeletesHere) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.Linked(2, kBob);
    // A change listing that does not mention a card says nothing about it.
    book.input.server = {false, {}, {}};
    EXPECT_TRUE(book.Plan().actions.empty());
    // One that says it was removed does.
    book.input.server = {false, {}, {"card1.vcf"}};
    const SyncPlan plan = book.Plan();
    ASSERT_EQ(plan.actions.size(), 1u);
    EXPECT_EQ(plan.actions[0].kind, ActionKind::DeleteLocal);
    EXPECT_EQ(plan.actions[0].addressId, 1);
}

TEST(PlannerDeletes, ACardChangedButNotReadIsAProblemNotADeletion) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.Linked(2, kBob);
    book.EditHere(1, kLastName, "Lee-Ray");
    book.input.server = {true, {{"card1.vcf", "\"other\"", ""}, {"card2.vcf", "\"e2-1\"", ""}}, {}};
    const SyncPlan plan = book.Plan();
    EXPECT_TRUE(plan.actions.empty());
    ASSERT_EQ(plan.problems.size(), 1u);
    EXPECT_NE(plan.problems[0].find("card1.vcf"), std::string::npos);
}

TEST(PlannerDeletes, ADamagedCardIsAProblemNotADeletion) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.Linked(2, kBob);
    book.input.server = {true, {{"card1.vcf", "\"other\"", "<html>Server error</html>"}, {"card2.vcf", "\"e2-1\"", ""}}, {}};
    const SyncPlan plan = book.Plan();
    EXPECT_TRUE(plan.actions.empty());
    EXPECT_EQ(plan.problems.size(), 1u);
}

// --- A card without a UID ------------------------------------------------------------------

// A card on a CardDAV server must carry a UID; one that came without gets one
// when it is next sent, kept in the record so that every later write sends
// the same, and otherwise the card's bytes stay.
TEST(PlannerCardWithoutUid, GetsOneUidWhenItIsNextSent) {
    const std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\nNOTE:kept\r\nEND:VCARD\r\n";
    SyncBook book;
    book.Linked(1, kAnn, card);
    book.input.records.back().uid.clear();  // as a record of such a card holds it
    book.EditHere(1, kLastName, "Okafor-Bello");
    const SyncPlan plan = book.PlanChanges();
    const auto sends = ActionsOf(plan, ActionKind::UpdateOnServer);
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(CardUid(sends[0]->card), "new-uid-1");
    EXPECT_NE(sends[0]->card.find("NOTE:kept\r\nUID:new-uid-1\r\nEND:VCARD\r\n"), std::string::npos) << sends[0]->card;
    ASSERT_TRUE(sends[0]->record);
    EXPECT_EQ(sends[0]->record->uid, "new-uid-1");
    EXPECT_EQ(ReadFields(sends[0]->card)[kLastName], "Okafor-Bello");
}

// --- A server that rewrites a card ------------------------------------------------------------

TEST(PlannerServerRewrite, ANewETagWithTheSameMappedFieldsChangesNothingButTheRecord) {
    SyncBook book;
    book.Linked(1, kAnn, testing::PhoneCard().Text());
    // The same card as a server stores it: other order, upper-case groups,
    // quotes dropped, folded elsewhere, LF.
    book.RewriteOnServer(1,
                         "BEGIN:VCARD\nVERSION:3.0\nUID:5E2A0C1B-7F4D-4A8E-9C3B-2D1E0F9A8B7C\n"
                         "FN:Dr. Adaeze Ngozi Okafor PhD\nN:Okafor;Adaeze;Ngozi;Dr.;PhD\n"
                         "ADR;TYPE=HOME,pref:;Flat 4;7 Allen Avenue;Ikeja;Lagos;100271;Nigeria\n"
                         "ITEM2.ADR;TYPE=WORK:;;12 Marina Road;Lagos Island;Lagos;101001;Nigeria\n"
                         "TEL;TYPE=HOME,VOICE,pref:+234 1 555 0102\nTEL;TYPE=CELL,VOICE:+234 803 55\n 5 0101\n"
                         "END:VCARD\n");
    const SyncPlan plan = book.PlanComplete();
    ASSERT_EQ(plan.actions.size(), 1u);
    EXPECT_EQ(plan.actions[0].kind, ActionKind::KeepRecord);
    EXPECT_EQ(plan.actions[0].record->etag, book.Card(1).etag);
    // Kept with its new ETag, the next run has nothing to do: no loop.
    book.input.records = {*plan.actions[0].record};
    EXPECT_TRUE(book.PlanComplete().actions.empty());
}

// --- First sync -------------------------------------------------------------------------------

TEST(PlannerFirstSync, TheSamePeopleAreLinkedAndTheRestGoesAcrossBothWays) {
    SyncBook book;
    book.input.firstSync = true;
    book.AddHere(1, {"ann", " Lee ", "1 Main  St", "1000", "vd", "ch", "+41 (21) 555-0100"});
    book.AddHere(2, kBob);
    book.AddOnServer("a.vcf", kAnn);
    book.AddOnServer("c.vcf", kCyd);
    const SyncPlan plan = book.PlanComplete();
    const auto links = ActionsOf(plan, ActionKind::Link);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0]->addressId, 1);
    EXPECT_EQ(links[0]->record->href, "a.vcf");
    EXPECT_EQ(links[0]->record->uid, "srv-a.vcf");
    // Linked spelled differently: the address takes the server's spelling.
    const auto updates = ActionsOf(plan, ActionKind::UpdateLocal);
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0]->fields, kAnn);
    const auto creates = ActionsOf(plan, ActionKind::CreateOnServer);
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0]->addressId, 2);
    EXPECT_EQ(creates[0]->href, "new-uid-1.vcf");
    EXPECT_EQ(creates[0]->record->uid, "new-uid-1");
    EXPECT_EQ(ReadFields(creates[0]->card), kBob);
    EXPECT_NE(creates[0]->card.find("\r\nUID:new-uid-1\r\n"), std::string::npos);
    const auto stores = ActionsOf(plan, ActionKind::StoreLocal);
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(stores[0]->fields, kCyd);
    EXPECT_EQ(plan.actions.size(), 4u);
}

TEST(PlannerFirstSync, TwoIdenticalPeopleOnEachSideArePairedOneToOne) {
    SyncBook book;
    book.input.firstSync = true;
    book.AddHere(1, kDee);
    book.AddHere(2, kDee);
    book.AddHere(3, kDee);
    book.AddOnServer("d1.vcf", kDee);
    book.AddOnServer("d2.vcf", kDee);
    const SyncPlan plan = book.PlanComplete();
    EXPECT_EQ(ActionsOf(plan, ActionKind::Link).size(), 2u);
    EXPECT_EQ(ActionsOf(plan, ActionKind::CreateOnServer).size(), 1u);
    EXPECT_TRUE(ActionsOf(plan, ActionKind::StoreLocal).empty());
}

TEST(PlannerFirstSync, DeletesNothing) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.Linked(2, kBob);
    book.Linked(3, kCyd);
    book.DeleteHere(1);
    book.DeleteOnServer(2);
    book.input.firstSync = true;
    const SyncPlan plan = book.PlanComplete();
    EXPECT_FALSE(Deletes(plan));
    EXPECT_EQ(ActionsOf(plan, ActionKind::StoreLocal).size(), 1u);
    EXPECT_EQ(ActionsOf(plan, ActionKind::CreateOnServer).size(), 1u);
}

TEST(PlannerLaterSync, AnAddressAndACardBothNewSinceTheLastRunAreLinked) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.AddHere(7, {"Bob", "MARLEY", "56 Hope Rd", "", "Kingston", "Jamaica", "8765550101"});
    book.AddOnServer("phone-added.vcf", kBob);
    for (const SyncPlan& plan : {book.PlanComplete(), book.PlanChanges()}) {
        const auto links = ActionsOf(plan, ActionKind::Link);
        ASSERT_EQ(links.size(), 1u);
        EXPECT_EQ(links[0]->addressId, 7);
        EXPECT_TRUE(ActionsOf(plan, ActionKind::CreateOnServer).empty());
        EXPECT_TRUE(ActionsOf(plan, ActionKind::StoreLocal).empty());
    }
}

// --- Safety --------------------------------------------------------------------------------------

TEST(PlannerSafety, MoreThanHalfOfTheSyncedCardsGoneStopsTheRunUnlessForced) {
    const struct {
        int synced, gone;
        bool stops;
    } rows[] = {{3, 2, true}, {4, 2, false}, {4, 3, true}, {2, 1, false}, {1, 1, false}, {10, 10, true}};
    for (const auto& row : rows) {
        SyncBook book;
        for (int id = 1; id <= row.synced; ++id) book.Linked(id, {"P" + std::to_string(id), "X"});
        for (int id = 1; id <= row.gone; ++id) book.DeleteOnServer(id);
        book.EditHere(row.synced, kLastName, "Y");
        for (const SyncPlan& plan : {book.PlanComplete(), book.PlanChanges()}) {
            EXPECT_EQ(plan.stoppedForSafety, row.stops) << row.synced << "/" << row.gone;
            EXPECT_EQ(plan.goneFromServer, std::size_t(row.gone));
            if (row.stops) {
                EXPECT_TRUE(plan.actions.empty());
                EXPECT_NE(plan.safetyMessage.find(std::to_string(row.gone) + " of the " + std::to_string(row.synced)),
                          std::string::npos);
            }
        }
        book.input.forceDelete = true;
        const SyncPlan forced = book.PlanComplete();
        EXPECT_FALSE(forced.stoppedForSafety);
        EXPECT_EQ(ActionsOf(forced, ActionKind::DeleteLocal).size() + ActionsOf(forced, ActionKind::CreateOnServer).size(),
                  std::size_t(row.gone));
    }
}

// --- A run cut short ------------------------------------------------------------------------

TEST(PlannerPendingSends, ACreateThatReachedTheServerIsLinkedNotSentAgain) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.AddHere(2, kBob);
    const std::string card = NewCardText(kBob, "u2");
    book.input.pending = {{PendingKind::Create, 2, "u2.vcf", "u2", kBob, card}};
    book.AddOnServer("u2.vcf", kBob);
    for (const SyncPlan& plan : {book.PlanComplete(), book.PlanChanges()}) {
        ASSERT_EQ(plan.actions.size(), 1u);
        EXPECT_EQ(plan.actions[0].kind, ActionKind::KeepRecord);
        EXPECT_EQ(plan.actions[0].record->addressId, 2);
        EXPECT_EQ(plan.actions[0].record->href, "u2.vcf");
        EXPECT_EQ(plan.actions[0].record->uid, "u2");
    }
}

TEST(PlannerPendingSends, ACreateThatDidNotReachTheServerIsSentAgainToTheSameHref) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.AddHere(2, kBob);
    book.input.pending = {{PendingKind::Create, 2, "u2.vcf", "u2", kBob, NewCardText(kBob, "u2")}};
    for (const SyncPlan& plan : {book.PlanComplete(), book.PlanChanges()}) {
        const auto creates = ActionsOf(plan, ActionKind::CreateOnServer);
        ASSERT_EQ(creates.size(), 1u);
        EXPECT_EQ(creates[0]->href, "u2.vcf");
        EXPECT_EQ(creates[0]->record->uid, "u2");
        EXPECT_NE(creates[0]->card.find("\r\nUID:u2\r\n"), std::string::npos);
    }
}

TEST(PlannerPendingSends, AnUpdateThatReachedTheServerIsNotReadAsAChangeThere) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.EditHere(1, kLastName, "Lee-Ray");
    AddressFields sent = kAnn;
    sent[kLastName] = "Lee-Ray";
    book.input.pending = {{PendingKind::Update, 1, "card1.vcf", "uid-1", sent, {}}};
    book.EditOnServer(1, kLastName, "Lee-Ray");  // what the server holds after the PUT
    const SyncPlan plan = book.PlanComplete();
    EXPECT_TRUE(plan.conflicts.empty());
    ASSERT_EQ(plan.actions.size(), 1u);
    EXPECT_EQ(plan.actions[0].kind, ActionKind::KeepRecord);
    EXPECT_EQ(plan.actions[0].record->base, sent);
    EXPECT_EQ(plan.actions[0].record->etag, book.Card(1).etag);

    // Edited here again since: our own write is no edit on the server, so
    // this is no conflict but a change to send.
    book.EditHere(1, kLastName, "Lee-Roy");
    const SyncPlan later = book.PlanComplete();
    EXPECT_TRUE(later.conflicts.empty());
    const auto sends = ActionsOf(later, ActionKind::UpdateOnServer);
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(ReadFields(sends[0]->card)[kLastName], "Lee-Roy");
}

TEST(PlannerPendingSends, ADeleteThatReachedTheServerOnlyDropsTheRecord) {
    SyncBook book;
    book.Linked(1, kAnn);
    book.Linked(2, kBob);
    book.Linked(3, kCyd);
    book.DeleteHere(1);
    book.DeleteHere(2);
    book.DeleteOnServer(1);
    book.DeleteOnServer(2);
    book.input.pending = {{PendingKind::Delete, 1, "card1.vcf", "uid-1", kAnn, {}},
                          {PendingKind::Delete, 2, "card2.vcf", "uid-2", kBob, {}}};
    const SyncPlan plan = book.PlanComplete();
    EXPECT_FALSE(plan.stoppedForSafety);  // our own deletes are no vanishing
    EXPECT_EQ(ActionsOf(plan, ActionKind::DropRecord).size(), 2u);
    EXPECT_EQ(plan.actions.size(), 2u);
}

// The planner's own UIDs (not the injected ones the other tests use): RFC 4122
// version 4 with its variant bits, a new one for each plan.
TEST(PlannerNewCards, NewUidsComeFromARandomVersion4Uuid) {
    SyncBook book;
    book.AddHere(1, kAnn);
    book.input.server = {true, {}, {}};
    std::set<std::string> seen;
    for (int run = 0; run < 2; ++run) {
        const SyncPlan plan = SyncPlanner().Plan(book.input);
        ASSERT_EQ(plan.actions.size(), 1u);
        const std::string& uid = plan.actions[0].record->uid;
        ASSERT_EQ(uid.size(), 36u) << uid;
        EXPECT_EQ(uid[14], '4') << uid;
        EXPECT_NE(std::string_view("89ab").find(uid[19]), std::string_view::npos) << uid;
        EXPECT_EQ(plan.actions[0].href, uid + ".vcf");
        seen.insert(uid);
    }
    EXPECT_EQ(seen.size(), 2u);
}

// --- The card the server says holds an address's UID -----------------------------------------

// Linked as on a first sync without a MatchKey: each field on its own.
TEST(PlannerLinkToExisting, EqualFieldsAreLinkedOneSidedOnesTakenDifferingOnesHeld) {
    const AddressFields theirs{"Ann", "Lee", "", "1000", "VD", "CH", "+41 21 555 0100"};
    const ServerCard card{"https://dav.example/book/ann.vcf", "\"e7\"", NewCardText(theirs, "uid-ann")};
    struct Case {
        const char* what;
        AddressFields ours;
        std::vector<std::size_t> conflicts;
        std::vector<ActionKind> kinds;
    };
    const Case cases[] = {
        {"all equal: linked as it is", theirs, {}, {ActionKind::KeepRecord}},
        {"a street only here goes to the server, a blank phone here takes the server's",
         {"Ann", "Lee", "1 Main St", "1000", "VD", "CH", ""},
         {},
         {ActionKind::UpdateLocal, ActionKind::UpdateOnServer}},
        {"different last names are held; the rest is linked",
         {"Ann", "Okafor", "", "1000", "VD", "CH", "+41 21 555 0100"},
         {kLastName},
         {ActionKind::KeepRecord}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SyncPlan plan = SyncPlanner().PlanLink(7, c.ours, card);
        std::vector<ActionKind> kinds;
        for (const SyncAction& action : plan.actions) {
            kinds.push_back(action.kind);
            EXPECT_EQ(action.addressId, 7);
            EXPECT_EQ(action.href, card.href);
        }
        EXPECT_EQ(kinds, c.kinds);
        std::vector<std::size_t> held;
        for (const HeldConflict& conflict : plan.conflicts) held.push_back(conflict.Field());
        EXPECT_EQ(held, c.conflicts);
        // The last action stores the link, with the server's ETag and UID.
        ASSERT_FALSE(plan.actions.empty());
        const std::optional<SyncItem>& record = plan.actions.back().record;
        ASSERT_TRUE(record);
        EXPECT_EQ(record->uid, "uid-ann");
        if (c.kinds.back() == ActionKind::UpdateOnServer) {
            EXPECT_EQ(plan.actions.back().ifMatch, "\"e7\"");
            EXPECT_EQ(ReadFields(plan.actions.back().card)[kStreet], "1 Main St");
            EXPECT_EQ(plan.actions.front().fields[kPhone], "+41 21 555 0100");
        } else {
            EXPECT_EQ(record->etag, "\"e7\"");
        }
        // A field held keeps nothing agreed, so the next run finds it again.
        for (const std::size_t field : c.conflicts) EXPECT_EQ(record->base[field], "");
    }
    // A card that cannot be read links nothing.
    EXPECT_TRUE(SyncPlanner().PlanLink(7, theirs, {card.href, "\"e8\"", "not a card"}).actions.empty());
}

// --- What version goes to the server ------------------------------------------------------

// vCard 3.0, which every server takes; 4.0 only for a card the server gave
// as 4.0 and only when the book lists 4.0. Either way the card is written
// anew by the kept-card writer: valid lines, the server's other values kept.
TEST(PlannerCardVersion, AServersCardGoesBackIn40OnlyWhenItCameAs40AndTheBookTakes40) {
    const std::string card40 = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ann Lee\r\nN:Lee;Ann;;;\r\nKIND:individual\r\n"
                               "UID:uid-1\r\nEND:VCARD\r\n";
    const std::string card30 = "begin:vcard\nversion:3.0\nfn:Ann Lee\nn:Lee;Ann;;;\nuid:uid-1\nend:vcard\n";
    struct Case {
        const std::string* card;
        bool takes40;
        const char* version;
    };
    for (const Case& c : {Case{&card40, true, "VERSION:4.0\r\n"}, Case{&card40, false, "VERSION:3.0\r\n"},
                          Case{&card30, true, "VERSION:3.0\r\n"}}) {
        SCOPED_TRACE(std::string(c.version) + (c.takes40 ? " (book takes 4.0)" : ""));
        SyncBook book;
        book.Linked(1, kCyd, *c.card);
        book.EditHere(1, kPhone, "555-0100");
        book.input.serverTakesVCard4 = c.takes40;
        const SyncPlan plan = book.PlanComplete();
        const auto sends = ActionsOf(plan, ActionKind::UpdateOnServer);
        ASSERT_EQ(sends.size(), 1u);
        EXPECT_EQ(sends[0]->card.substr(0, 13 + std::string(c.version).size()), "BEGIN:VCARD\r\n" + std::string(c.version));
        EXPECT_NE(sends[0]->card.find("\r\nUID:uid-1\r\n"), std::string::npos) << sends[0]->card;
        EXPECT_EQ(ReadFields(sends[0]->card)[kPhone], "555-0100");
        EXPECT_EQ(sends[0]->record->card, sends[0]->card);
    }
}

}  // namespace
}  // namespace orvane::sync
