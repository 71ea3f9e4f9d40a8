// The window's sync, as the user drives it: the name list's context menu
// and keys, the password and conflict dialogs, the progress window and the
// window's own runs, over an address book kept in memory (what a run does
// to either side is the run tests' matter). The account dialog, which finds
// the book and checks the password, runs against a real Radicale server.
// No keychain runs here, so the window asks for the password at each
// Synchronize.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <thread>
#include <utility>
#include <vector>

#include "AddressBookFixture.h"
#include "CDataCardTier.h"
#include "CDataSyncStateTier.h"
#include "MemoryBook.h"
#include "RadicaleServer.h"
#include "SyncRunLock.h"
#include "SyncSession.h"
#include "SyncWindowSteps.h"
#include "TestKit.h"
#include "sync/SyncAccountService.h"
#include "toolkit/FileDialog.h"
#include "toolkit/Testing.h"
#include "toolkit/TestingDialogs.h"
#include "toolkit/TestingExtras.h"
#include "toolkit/TestingKeys.h"

using namespace orvane::toolkit;
using namespace orvane::test;

namespace {

bool MenuEntryEnabled(const std::string& caption) {
    for (const auto& [shown, enabled] : sim::ContextMenuEntries(frmOrvane::Instance().lstAddress, -1))
        if (shown == caption) return enabled;
    ADD_FAILURE() << caption << " is not on the menu";
    return false;
}

std::int32_t RowOf(const std::string& name) {
    const auto& list = frmOrvane::Instance().lstAddress;
    for (std::int32_t i = 0; i < list.ListCount(); ++i)
        if (list.List(i) == name) return i;
    return -1;
}

// Lets the window's clock tick that many times more.
void LetTheClockTick(int ticks) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(SyncSession::clockMs) * ticks +
                       std::chrono::milliseconds(SyncSession::clockMs / 2);
    sim::ProcessEventsUntil([&] { return std::chrono::steady_clock::now() >= until; });
}

class SyncWindowFixture : public AddressBookTest {
protected:
    SyncWindowFixture() { unsetenv("DBUS_SESSION_BUS_ADDRESS"); }
    ~SyncWindowFixture() override { EndRuns(); }

    // The last run has ended before the book and the clocks are put back.
    void EndRuns() {
        Forms::UnloadAll();
        sim::ProcessEventsUntil(RunEnded);
        SyncSession::every = std::chrono::minutes(15);
        SyncSession::clockMs = 1000;
        SyncSession::stepHook = nullptr;
        SyncSession::openBook = orvane::sync::OpenCardDavBook;
        frmSyncProgress::closeAfterMs = 5000;
    }

    // Synchronize from the menu over row (-1: none), typing the password,
    // and waits for the run to end.
    void Synchronize(std::int32_t row, const std::string& password = "alice-secret") {
        EXPECT_EQ(Choose("Synchronize", {TypePassword(password)}, row), 0u);
        EXPECT_TRUE(sim::ProcessEventsUntil(RunEnded));
    }
};

// The window's runs over a book in memory: offline makes each run find the
// server out of reach, holding holds each at its first step until cleared.
class SyncWindowTest : public SyncWindowFixture {
protected:
    SyncWindowTest() {
        SyncSession::openBook = [this](const orvane::carddav::ConnectionSettings& settings) {
            ++openings;
            if (offline) book.Book().failAtRequest = book.Book().requests + 1;
            return book.Opener()(settings);
        };
        SyncSession::clockMs = 50;
        SyncSession::stepHook = [this](std::size_t) {
            while (holding) {
                held = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        };
    }
    ~SyncWindowTest() override {  // the runs end before the book they open goes
        holding = false;
        EndRuns();
    }

    // The account as the account dialog stores it once the server has found the book.
    void SetUpAccount() const {
        CDataSyncStateTier(WindowDatabase())
            .SetAccount({"https://dav.example.org/", "alice", book.Url(), {}, {}, {}, "Contacts"});
    }
    // The window shown and synchronized once, so that this session has the password.
    void ShowSynced() {
        SetUpAccount();
        frm().Show();
        Synchronize(-1);
        messages.Forget();
    }

    orvane::sync::test::MemoryBook book;
    std::atomic<bool> offline{false};
    std::atomic<int> openings{0};  // runs that opened the book
    std::atomic<bool> holding{false}, held{false};
};

TEST_F(SyncWindowTest, SynchronizeBringsInTheServersCardKeepingTheSelectionAndSaysHowItWent) {
    book.Seed("zed.vcf", Card("uid-zed", "Zed", "Zulu"));
    folder.InsertAddress("Ann", "Lee");
    const int bob = folder.InsertAddress("Bob", "Baker");
    SetUpAccount();
    frm().Show();
    frmSyncProgress::closeAfterMs = 300;

    Synchronize(RowOf("Bob, Baker"), "typed-secret");
    // The run had the account and the password typed.
    EXPECT_EQ(book.Book().openedWith.password, "typed-secret");
    EXPECT_EQ(book.Book().openedWith.addressBook, book.Url());
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Bob, Baker", "Zed, Zulu"}));
    // The selection stays on Bob, whose details are shown.
    ASSERT_GE(frm().lstAddress.ListIndex(), 0);
    EXPECT_EQ(frm().lstAddress.ItemData(frm().lstAddress.ListIndex()), bob);
    EXPECT_EQ(Fields()[0], "Bob");
    EXPECT_EQ(Mode(), kBrowseMode);
    // Nothing needed the user: no box; the progress window says how it went
    // and then closes by itself.
    EXPECT_TRUE(Prompts().empty());
    const auto shown = sim::ShownProgressWindow();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->Texts().at(0), "Received 1, sent 2; nothing waiting.");
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return !sim::ShownProgressWindow(); }));
}

// In edit mode Synchronize is greyed, like the editing buttons, and so it
// is without an account: neither the greyed entry nor F5 starts or asks
// anything. Forget, confirmed, takes the account and leaves the addresses.
TEST_F(SyncWindowTest, SynchronizeIsGreyedWhileAnAddressIsEditedAndOnceTheAccountIsForgotten) {
    book.Seed("zed.vcf", Card("uid-zed", "Zed", "Zulu"));
    folder.InsertAddress("Ann", "Lee");
    ShowSynced();
    const int runs = openings;
    auto startsNothing = [&](bool byKey) {
        sim::DialogScript none;
        none.Then(Click("Cancel"));
        if (byKey) sim::PressKey(frm(), "F5");
        else sim::ChooseFromContextMenu(frm().lstAddress, 0, "Synchronize");
        sim::ProcessEvents();
        EXPECT_EQ(none.Remaining(), 1u);
        EXPECT_TRUE(RunEnded());
        EXPECT_EQ(openings, runs);
        EXPECT_FALSE(MenuEntryEnabled("Synchronize"));
    };

    sim::MouseClickRow(frm().lstAddress, 0);
    sim::MouseClick(frm().cmdEdit);
    startsNothing(true);
    EXPECT_EQ(Mode(), kEditMode);
    sim::MouseClick(frm().cmdCancel);
    EXPECT_TRUE(MenuEntryEnabled("Synchronize"));

    std::string user;
    const Look look = [&](sim::OpenDialog& dialog) { user = dialog.Field("User name"); };
    EXPECT_EQ(Choose("Sync Account…", {Click("Forget", look)}), 0u);
    EXPECT_EQ(user, "alice");
    EXPECT_EQ(Prompts(), std::vector<std::string>{
                             "Forget the sync account of alice? Every address stays here; the server is not changed."});
    EXPECT_FALSE(orvane::sync::SyncAccountService(WindowDatabase()).Status());
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Zed, Zulu"}));
    startsNothing(false);
    startsNothing(true);
}

// A card with a note after its other lines.
std::string WithNote(std::string card, const std::string& note) {
    return card.insert(card.rfind("END:VCARD"), "NOTE:" + note + "\r\n");
}

// A last name and a note changed here and on the server: the run's box, then
// the conflict dialog with both values side by side, and what each of its
// buttons does.
struct ConflictCase {
    const char* button;
    const char* listed;  // the address in the list afterwards
    const char* note;    // in its kept card afterwards
    bool syncsNow;       // asked whether to synchronize now; yes runs, with the password asked
    bool stillHeld;
};

void PrintTo(const ConflictCase& c, std::ostream* os) { *os << c.button; }

class SyncWindowConflictTest : public SyncWindowTest, public ::testing::WithParamInterface<ConflictCase> {};

TEST_P(SyncWindowConflictTest, ShowsBothValuesSideBySideAndTakesTheSideChosen) {
    const ConflictCase& c = GetParam();
    book.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee"));
    ShowSynced();
    const std::int32_t ann = frm().lstAddress.ItemData(0);
    CDataCardTier(WindowDatabase()).KeepCard(ann, WithNote(Card("uid-ann", "Ann", "Lee"), "met here"));
    sim::MouseClickRow(frm().lstAddress, 0);
    sim::MouseClick(frm().cmdEdit);
    frm().txtLastname.Text("");
    sim::TypeText(frm().txtLastname, "Here");
    sim::MouseClick(frm().cmdSave);
    book.Seed("ann.vcf", WithNote(Card("uid-ann", "Ann", "There"), "met there"));

    messages.QueueAnswer(vbOK);   // the conflict is announced
    messages.QueueAnswer(vbYes);  // synchronize now
    std::vector<std::vector<std::string>> table, asRead;
    sim::DialogScript script;
    script.Then(TypePassword());
    script.Then(Click(c.button, [&](sim::OpenDialog& dialog) {
        table = dialog.Table();
        asRead = dialog.TableAsRead();
    }));
    if (c.syncsNow) script.Then(TypePassword());
    sim::ChooseFromContextMenu(frm().lstAddress, 0, "Synchronize");
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return script.Remaining() == 0 && RunEnded(); }));

    EXPECT_EQ(table, (std::vector<std::vector<std::string>>{{"Field", "On this computer", "On the server"},
                                                             {"Last name", "Here", "There"},
                                                             {"NOTE", "met here", "met there"}}));
    // A screen reader says each value with its column.
    EXPECT_EQ(asRead, (std::vector<std::vector<std::string>>{
                          {"Field: Last name", "On this computer: Here", "On the server: There"},
                          {"Field: NOTE", "On this computer: met here", "On the server: met there"}}));
    ASSERT_EQ(Prompts().size(), c.syncsNow ? 2u : 1u);
    EXPECT_NE(Prompts()[0].find("changed here and on the server"), std::string::npos) << Prompts()[0];
    EXPECT_EQ(script.Seen().size(), c.syncsNow ? 3u : 2u);
    EXPECT_EQ(Names(), std::vector<std::string>{c.listed});
    const std::string kept = CDataCardTier(WindowDatabase()).ReadCard(ann).value_or("");
    EXPECT_NE(kept.find(std::string("NOTE:") + c.note + "\r\n"), std::string::npos) << kept;
    EXPECT_EQ(orvane::sync::SyncAccountService(WindowDatabase()).Conflicts().empty(), !c.stillHeld);
    EXPECT_EQ(MenuEntryEnabled("Sync Conflicts…"), c.stillHeld);
}

INSTANTIATE_TEST_SUITE_P(Buttons, SyncWindowConflictTest,
                         ::testing::Values(ConflictCase{"Take the Server's", "Ann, There", "met there", false, false},
                                           ConflictCase{"Keep This Computer's", "Ann, Here", "met here", true, false},
                                           ConflictCase{"Decide Later", "Ann, Here", "met here", false, true}));

TEST_F(SyncWindowTest, CancelInTheProgressWindowStopsTheRunAfterItsStep) {
    ShowSynced();
    for (int i = 0; i < 5; ++i) folder.InsertAddress("Person", "N" + std::to_string(i));
    holding = true;
    EXPECT_EQ(Choose("Synchronize", {TypePassword()}, 0), 0u);
    ASSERT_TRUE(sim::ProcessEventsUntil([&] { return held.load(); }));
    auto shown = sim::ShownProgressWindow();
    ASSERT_TRUE(shown);
    shown->Click("Cancel");
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return !shown->ButtonEnabled("Cancel"); }));
    holding = false;
    ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));
    ASSERT_TRUE(sim::ShownProgressWindow());
    const std::string said = sim::ShownProgressWindow()->Texts().at(0);
    EXPECT_EQ(said.rfind("Stopped; what was done is kept. Received 0, sent 1;", 0), 0u) << said;
    EXPECT_TRUE(Prompts().empty());  // a cancel needs nothing of the user
}

// Opened again (the password typed this session is kept in memory only),
// the window syncs by itself without a word: a card the server refused,
// named in the box of the run the user started, is not named again, and
// while another program syncs the same database the window's run leaves it
// be; one the user asks for then says why it did not run.
TEST_F(SyncWindowTest, TheWindowsOwnRunsSayNothingOfARefusedAddressOrOfAnotherRun) {
    book.Seed("ann.vcf", Card("uid-shared", "Ann", "Lee"));
    const int zoe = folder.InsertAddress("Zoe", "Other");
    CDataCardTier(WindowDatabase()).KeepCard(zoe, Card("uid-shared", "Zoe", "Other"));
    SetUpAccount();
    frm().Show();
    Synchronize(-1);
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_NE(Prompts()[0].find("The server refused 1 address:\nZoe, Other (ID " + std::to_string(zoe) +
                                "): no-uid-conflict (HTTP 409)"),
              std::string::npos)
        << Prompts()[0];
    messages.Forget();

    book.Seed("zed.vcf", Card("uid-zed", "Zed", "Zulu"));
    {
        const SyncRunLock other(WindowDatabase());
        ASSERT_TRUE(other.Held());
        frm().Unload();
        frm().Show();
        // Every run, even one that did nothing, shows the list as the
        // database holds it when it ends.
        folder.InsertAddress("Bea", "Side");
        EXPECT_TRUE(sim::ProcessEventsUntil([] { return Names().size() == 3 && RunEnded(); }));
        EXPECT_EQ(RowOf("Zed, Zulu"), -1);
        EXPECT_TRUE(Prompts().empty());
        Synchronize(0);
        ASSERT_EQ(Prompts().size(), 1u);
        EXPECT_NE(Prompts()[0].find("Another sync of this address book is running"), std::string::npos)
            << Prompts()[0];
        messages.Forget();
    }
    frm().Unload();
    frm().Show();
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return RowOf("Zed, Zulu") != -1 && RunEnded(); }));
    EXPECT_TRUE(Prompts().empty());
    EXPECT_FALSE(sim::ShownProgressWindow());
}

// The window's clock never touches the list under an address being edited:
// a run that ends during the edit waits, no other starts, the typed text
// stays, and what the run brought shows once the edit ends.
TEST_F(SyncWindowTest, TheWindowsOwnRunsWaitForAnEdit) {
    folder.InsertAddress("Ann", "Lee");
    ShowSynced();
    for (const char* name : {"Bea", "Cy", "Dee"}) book.Seed(std::string(name) + ".vcf", Card(name, name, "Family"));
    SyncSession::every = std::chrono::milliseconds(0);
    holding = true;
    frm().Unload();
    frm().Show();
    ASSERT_TRUE(sim::ProcessEventsUntil([&] { return held.load(); }));  // the start-up run
    sim::MouseClickRow(frm().lstAddress, 0);
    sim::MouseClick(frm().cmdEdit);
    sim::TypeText(frm().txtFirstname, " Marie");
    holding = false;
    ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));
    const int runs = openings;
    LetTheClockTick(4);
    EXPECT_EQ(openings, runs);
    EXPECT_EQ(Names(), std::vector<std::string>{"Ann, Lee"});
    EXPECT_EQ(Mode(), kEditMode);
    EXPECT_EQ(Fields()[0], "Ann Marie");

    sim::MouseClick(frm().cmdSave);
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return Names().size() == 4; }));
    EXPECT_NE(RowOf("Ann Marie, Lee"), -1);
    EXPECT_TRUE(Prompts().empty());
}

// The window stays in the user's hands while a sync runs: its progress
// window does not block, names can be read, and an address saved during
// the run is kept and waits for the next run.
TEST_F(SyncWindowTest, BrowsingAndSavingGoOnDuringARun) {
    book.Seed("ann.vcf", Card("uid-ann", "Ann", "Lee"));
    folder.InsertAddress("Bob", "Baker");
    ShowSynced();
    book.Seed("ann.vcf", Card("uid-ann", "Ann", "Leigh"));  // a phone's change
    book.Seed("zed.vcf", Card("uid-zed", "Zed", "Zulu"));

    holding = true;
    sim::DialogScript script;
    script.Then(TypePassword());
    sim::MouseClickRow(frm().lstAddress, RowOf("Bob, Baker"));
    sim::PressKey(frm(), "F5");
    ASSERT_TRUE(sim::ProcessEventsUntil([&] { return held.load(); }));
    const auto shown = sim::ShownProgressWindow();
    ASSERT_TRUE(shown);
    EXPECT_FALSE(sim::IsModal(*shown));
    EXPECT_EQ(sim::ProgressBarName(*shown), "Sync progress");
    EXPECT_TRUE(shown->ButtonEnabled("Cancel"));

    // Reading and saving while the run is held in the middle.
    sim::MouseClickRow(frm().lstAddress, RowOf("Ann, Lee"));
    EXPECT_EQ(Fields()[1], "Lee");
    sim::MouseClick(frm().cmdEdit);
    sim::TypeText(frm().txtPhoneNumber, "555");
    sim::MouseClick(frm().cmdSave);
    sim::MouseClickRow(frm().lstAddress, RowOf("Bob, Baker"));
    EXPECT_EQ(Fields()[0], "Bob");
    holding = false;
    ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));

    // The list now has Zed, Bob is still selected, Ann keeps the save.
    EXPECT_NE(RowOf("Zed, Zulu"), -1);
    EXPECT_EQ(frm().lstAddress.Text(), "Bob, Baker");
    EXPECT_EQ(Fields()[0], "Bob");
    sim::MouseClickRow(frm().lstAddress, RowOf("Ann, Lee"));
    EXPECT_EQ(Fields()[6], "555");
    ASSERT_TRUE(sim::ShownProgressWindow());
    EXPECT_NE(sim::ShownProgressWindow()->Texts().at(0).find("1 change waiting for the next sync"), std::string::npos);
    EXPECT_TRUE(Prompts().empty());
}

// A server out of reach: the window's start-up run says so in a box; the
// automatic runs after it say nothing, and the account dialog can tell.
struct OfflineCase {
    const char* name;
    bool fromStartUp;  // else gone after the start-up run
};

void PrintTo(const OfflineCase& c, std::ostream* os) { *os << c.name; }

class SyncWindowOfflineTest : public SyncWindowTest, public ::testing::WithParamInterface<OfflineCase> {};

TEST_P(SyncWindowOfflineTest, OnlyTheStartUpRunSaysTheServerCannotBeReached) {
    folder.InsertAddress("Ann", "Lee");
    ShowSynced();
    SyncSession::every = std::chrono::milliseconds(0);
    offline = GetParam().fromStartUp;
    const int runs = openings;
    frm().Unload();
    frm().Show();
    ASSERT_TRUE(sim::ProcessEventsUntil([&] { return openings > runs && RunEnded(); }));  // the start-up run
    offline = true;
    ASSERT_TRUE(sim::ProcessEventsUntil([&] { return openings > runs + 1 && RunEnded(); }));

    ASSERT_EQ(Prompts().size(), GetParam().fromStartUp ? 1u : 0u);
    if (GetParam().fromStartUp) {
        EXPECT_EQ(messages.Shown()[0].title, "Address Book");
        EXPECT_NE(Prompts()[0].find("cannot be reached"), std::string::npos) << Prompts()[0];
    }
    EXPECT_NE(frm().SyncStatus().find("cannot be reached"), std::string::npos) << frm().SyncStatus();
    EXPECT_FALSE(sim::ShownProgressWindow());
}

INSTANTIATE_TEST_SUITE_P(Server, SyncWindowOfflineTest,
                         ::testing::Values(OfflineCase{"OfflineFromTheStart", true},
                                           OfflineCase{"GoneAfterTheStartUpRun", false}),
                         [](const auto& row) { return std::string(row.param.name); });

// The account dialog against a real server.
class SyncWindowAccountTest : public SyncWindowFixture {
protected:
    explicit SyncWindowAccountTest(orvane::test::RadicaleServer::Options options = {}) : server(options) {
        server.SeedBook("alice", "contacts", "Contacts");
    }

    // The dialog filled and the connection checked; then closes it once the
    // check's answer shows.
    sim::DialogScript::Step Checked(const std::string& password, sim::DialogScript::Step then) const {
        const Look fill = [this, password](sim::OpenDialog& dialog) {
            TypeAccount(server.BaseUrl(), password)(dialog);
            dialog.Click("Check Connection");
        };
        return Once(fill,
                    [](sim::OpenDialog& dialog) { return dialog.Value("Address book") != "(not checked yet)"; }, then);
    }
    std::string Fingerprint() const {
        std::string line = orvane::test::RunCommand("openssl x509 -noout -fingerprint -sha256 -in '" +
                                                    server.CertificateFile().string() + "'");
        line = line.substr(line.find('=') + 1);
        return line.erase(line.find_last_not_of("\n") + 1);
    }

    orvane::test::RadicaleServer server;
};

// The account dialog, checked with a wrong password, says so and sets
// nothing up. With the right one it lists the books by their display
// names, keeps the one chosen and shows it chosen again, with the password
// of this session kept: nothing needs typing. A password refused at
// Synchronize is said in words and asked for afresh.
TEST_F(SyncWindowAccountTest, TheDialogKeepsTheBookChosenAndARefusedPasswordIsSaidInWordsAndNotKept) {
    server.SeedBook("alice", "work", "Work");
    server.SeedCard("alice", "work", "zed.vcf", Card("uid-zed", "Zed", "Zulu"));
    folder.InsertAddress("Ann", "Lee");
    frm().Show();
    const std::string workUrl = server.BaseUrl() + "alice/work/";
    std::string said, user;
    EXPECT_EQ(Choose("Sync Account…",
                     {Checked("not-it", Click("OK", [&](sim::OpenDialog& d) { said = d.Value("Address book"); })),
                      Click("Cancel", [&](sim::OpenDialog& d) { user = d.Field("User name"); })}),
              0u);
    EXPECT_NE(said.find("refused the user name or the password"), std::string::npos) << said;
    EXPECT_EQ(user, "alice");
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_NE(Prompts()[0].find("refused the user name or the password"), std::string::npos);
    EXPECT_FALSE(orvane::sync::SyncAccountService(WindowDatabase()).Status());
    messages.Forget();

    std::vector<std::string> entries, spoken;
    EXPECT_EQ(Choose("Sync Account…", {Checked("alice-secret", Click("OK", [&](sim::OpenDialog& dialog) {
                                                   entries = dialog.Entries("Address book");
                                                   dialog.Choose("Address book", "Work");
                                                   spoken = dialog.AccessibleNames("Address book");
                                               }))}),
              0u);
    // Every book found is offered, in the order the server lists them.
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"Contacts", "Work"}));
    // The list and the URL under it are both read under the caption.
    EXPECT_EQ(spoken, (std::vector<std::string>{"Address book", "Address book: " + workUrl}));
    // The first sync runs at once; without a keychain the password is not kept.
    ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Zed, Zulu"}));
    EXPECT_TRUE(sim::ShownProgressWindow());
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    EXPECT_NE(Prompts()[0].find("the password is kept only until Orvane closes"), std::string::npos);
    messages.Forget();

    // Opened again: OK with nothing typed keeps the account, and a check
    // uses the kept password.
    std::string chosen, shownUrl, hint, typed, checked;
    const Look look = [&](sim::OpenDialog& dialog) {
        chosen = dialog.Chosen("Address book");
        shownUrl = dialog.Value("Address book");
        hint = dialog.Placeholder("Password");
        typed = dialog.Field("Password");
        dialog.Click("Check Connection");
    };
    EXPECT_EQ(Choose("Sync Account…",
                     {Once(look, [](sim::OpenDialog& dialog) { return dialog.Entries("Address book").size() > 1; },
                           Click("OK", [&](sim::OpenDialog& dialog) { checked = dialog.Chosen("Address book"); }))}),
              0u);
    EXPECT_EQ(chosen, "Work");
    EXPECT_EQ(shownUrl, workUrl);
    EXPECT_EQ(hint, "kept until Orvane closes");
    EXPECT_EQ(typed, "");
    EXPECT_EQ(checked, "Work");
    EXPECT_EQ(orvane::sync::SyncAccountService(WindowDatabase()).Status()->addressBookUrl, workUrl);
    ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));
    messages.Forget();

    Synchronize(0, "wrong");
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_NE(Prompts()[0].find("refused the user name or the password"), std::string::npos);
    std::string offered = "(not asked)";
    EXPECT_EQ(Choose("Synchronize", {Click("Cancel", [&](sim::OpenDialog& d) { offered = d.Field("Password"); })}), 0u);
    EXPECT_EQ(offered, "");
}

// A server with a certificate of its own.
class SyncWindowTlsTest : public SyncWindowAccountTest {
protected:
    SyncWindowTlsTest() : SyncWindowAccountTest({.tls = true}) {}
    FileDialogTester files;
};

// Checked before its certificate is trusted, the account dialog names the
// certificate by its SHA-256 fingerprint, for the user to compare with the
// server's own. The file then chosen with Choose… is kept with the account,
// shown by its fingerprint when the dialog is opened again, and stays
// trusted when OK is taken with the field left empty.
TEST_F(SyncWindowTlsTest, AnUntrustedCertificateIsNamedByItsFingerprintAndTheFileChosenIsKept) {
    frm().Show();
    files.QueueOpen({server.CertificateFile().string()});
    std::string said, file;
    const Look choose = [&](sim::OpenDialog& dialog) {
        said = dialog.Value("Address book");
        dialog.Click("Choose…");
    };
    const auto chosen = [&](sim::OpenDialog& dialog) {
        file = dialog.Field("Trusted certificate file");
        return !file.empty();
    };
    EXPECT_EQ(Choose("Sync Account…", {Checked("alice-secret", Once(choose, chosen, Click("OK")))}), 0u);
    EXPECT_NE(said.find("fingerprint is\n" + Fingerprint() + "\n"), std::string::npos) << said;
    EXPECT_EQ(file, server.CertificateFile().string());
    ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));
    messages.Forget();

    std::string shown, hint;
    EXPECT_EQ(Choose("Sync Account…", {Click("OK", [&](sim::OpenDialog& dialog) {
                         shown = dialog.Value("Certificate kept");
                         hint = dialog.Placeholder("Trusted certificate file");
                         file = dialog.Field("Trusted certificate file");
                     })}),
              0u);
    EXPECT_EQ(shown, "SHA-256 " + Fingerprint());
    EXPECT_EQ(hint, "the kept certificate stays");
    EXPECT_EQ(file, "");
    // Set up again without a word about the certificate, which is still kept.
    for (const std::string& prompt : Prompts()) EXPECT_EQ(prompt.find("not trusted"), std::string::npos) << prompt;
    EXPECT_EQ(orvane::sync::SyncAccountService(WindowDatabase()).Status()->certificateFingerprint, Fingerprint());
}

}  // namespace
