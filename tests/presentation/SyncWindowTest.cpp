// The window's sync, as the user drives it: the name list's context menu
// and keys, the account, password and conflict dialogs, the progress
// window, against a real Radicale server. No keychain runs here, so the
// window asks for the password at each Synchronize.

#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>

#include "AddressBookFixture.h"
#include "CDataCardTier.h"
#include "PhoneClient.h"
#include "RadicaleServer.h"
#include "SyncRunLock.h"
#include "SyncSession.h"
#include "carddav/CardDavClient.h"
#include "carddav/CardDavErrors.h"
#include "keychain/Keychain.h"
#include "sync/SyncAccountService.h"
#include "toolkit/Testing.h"
#include "toolkit/FileDialog.h"
#include "toolkit/TestingDialogs.h"
#include "toolkit/TestingExtras.h"
#include "toolkit/TestingKeys.h"

using namespace orvane::toolkit;

namespace {

std::string Card(const std::string& uid, const std::string& given, const std::string& family) {
    return orvane::test::Card(uid, given, family, {}, "EMAIL:" + uid + "@example.org\r\n");
}

bool MenuEntryEnabled(const std::string& caption) {
    for (const auto& [shown, enabled] : sim::ContextMenuEntries(frmOrvane::Instance().lstAddress, -1))
        if (shown == caption) return enabled;
    ADD_FAILURE() << caption << " is not on the menu";
    return false;
}

// Holds the window's runs at their first step until released.
class HeldRun {
public:
    HeldRun() {
        SyncSession::stepHook = [this](std::size_t) {
            std::unique_lock lock(mutex_);
            if (released_) return;
            held_ = true;
            changed_.wait(lock, [this] { return released_; });
        };
    }
    ~HeldRun() {
        Release();
        SyncSession::stepHook = nullptr;
    }
    bool Held() {
        std::lock_guard lock(mutex_);
        return held_;
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool released_ = false;
};

bool RunEnded() { return !frmOrvane::Instance().SyncRunning(); }

class SyncWindowTest : public AddressBookTest {
protected:
    SyncWindowTest() {
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        server.SeedBook("alice", "contacts", "Contacts");
    }
    ~SyncWindowTest() override { SyncSession::every = std::chrono::minutes(15); }

    std::string BookUrl() const { return server.BaseUrl() + "alice/contacts/"; }

    // Fills the account dialog, checks the connection, and takes OK; the
    // dialog's texts after the check are kept in checkedTexts.
    void SetUpAccount(const std::string& password = "alice-secret") {
        sim::DialogScript script;
        bool checking = false;
        script.Then([&](sim::OpenDialog& dialog) {
            if (!checking) {
                dialog.Type("Server address", server.BaseUrl());
                dialog.Type("User name", "alice");
                dialog.Type("Password", password);
                dialog.Click("Check Connection");
                checking = true;
                return false;
            }
            if (dialog.Value("Address book") == "(not checked yet)") return false;
            checkedTexts = dialog.Texts();
            dialog.Click("OK");
            return true;
        });
        sim::ChooseFromContextMenu(frm().lstAddress, -1, "Sync Account…");
        EXPECT_EQ(script.Remaining(), 0u);
        // The new account's first sync runs at once.
        EXPECT_TRUE(sim::ProcessEventsUntil(RunEnded));
    }

    // Synchronize from the menu over row (-1: none), typing the password
    // the window asks for, and waits for the run to end.
    void Synchronize(std::int32_t row, const std::string& password = "alice-secret") {
        sim::DialogScript script;
        script.Then([&](sim::OpenDialog& dialog) {
            dialog.Type("Password", password);
            dialog.Click("OK");
            return true;
        });
        sim::ChooseFromContextMenu(frm().lstAddress, row, "Synchronize");
        EXPECT_EQ(script.Remaining(), 0u);
        EXPECT_TRUE(sim::ProcessEventsUntil(RunEnded));
    }

    std::int32_t RowOf(const std::string& name) const {
        const auto names = Names();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return static_cast<std::int32_t>(i);
        return -1;
    }

    std::map<std::string, orvane::carddav::RemoteCard> ServerCards() const {
        orvane::carddav::CardDavClient phone = orvane::test::PhoneClient(BookUrl());
        std::map<std::string, orvane::carddav::RemoteCard> cards;
        for (auto& card : phone.SyncCollection(BookUrl(), "").changed) cards[card.url] = card;
        return cards;
    }

    orvane::test::RadicaleServer server;
    std::vector<std::string> checkedTexts;
};

TEST_F(SyncWindowTest, SynchronizeIsGreyedUntilAnAccountIsSetUp) {
    folder.InsertAddress("Ann", "Lee");
    frm().Show();
    EXPECT_FALSE(MenuEntryEnabled("Synchronize"));
    EXPECT_TRUE(MenuEntryEnabled("Sync Account…"));
    // A greyed entry cannot be chosen: nothing runs, nothing is asked.
    sim::DialogScript script;
    script.Then([](sim::OpenDialog&) { return true; });
    sim::ChooseFromContextMenu(frm().lstAddress, 0, "Synchronize");
    EXPECT_EQ(script.Remaining(), 1u);
    EXPECT_TRUE(Prompts().empty());
    EXPECT_FALSE(orvane::sync::SyncAccountService(WindowDatabase()).Status());
}

TEST_F(SyncWindowTest, TheAccountDialogFindsTheBookAndSynchronizeBringsInTheServersCardKeepingTheSelection) {
    server.SeedCard("alice", "contacts", "zed.vcf", Card("uid-zed", "Zed", "Zulu"));
    folder.InsertAddress("Ann", "Lee");
    const int bob = folder.InsertAddress("Bob", "Baker");
    frm().Show();

    SetUpAccount();
    // The dialog showed the book it found, under its caption.
    const auto found = std::find(checkedTexts.begin(), checkedTexts.end(), "Address book:");
    ASSERT_NE(found, checkedTexts.end());
    ASSERT_NE(found + 1, checkedTexts.end());
    EXPECT_EQ(*(found + 1), BookUrl());
    // Without a keychain the window says the password is not kept.
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_NE(messages.Shown()[0].prompt.find("the password is kept only until Orvane closes"), std::string::npos);
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    EXPECT_TRUE(MenuEntryEnabled("Synchronize"));
    messages.Forget();
    // The first sync ran at once, in its progress window, which says how it
    // went and then closes by itself.
    EXPECT_NE(RowOf("Zed, Zulu"), -1);
    const auto shown = sim::ShownProgressWindow();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->Texts().at(0), "Received 1, sent 2; nothing waiting.");
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return !sim::ShownProgressWindow(); }));

    Synchronize(RowOf("Bob, Baker"));
    EXPECT_EQ(Names().size(), 3u);
    EXPECT_NE(RowOf("Zed, Zulu"), -1);
    // The selection stays on Bob, whose details are shown.
    ASSERT_GE(frm().lstAddress.ListIndex(), 0);
    EXPECT_EQ(frm().lstAddress.ItemData(frm().lstAddress.ListIndex()), bob);
    EXPECT_EQ(Fields()[0], "Bob");
    EXPECT_EQ(Mode(), kBrowseMode);
    // Nothing needed the user: no box.
    EXPECT_TRUE(Prompts().empty());
    EXPECT_EQ(ServerCards().size(), 3u);
}

TEST_F(SyncWindowTest, AWrongPasswordIsSaidInWordsInTheDialogAndAtSynchronize) {
    folder.InsertAddress("Ann", "Lee");
    frm().Show();

    // Checked with a wrong password, the dialog says so; OK then refuses
    // to set the account up and shows the dialog again, which is cancelled.
    sim::DialogScript script;
    bool checking = false;
    std::string shownBook;
    script.Then([&](sim::OpenDialog& dialog) {
        if (!checking) {
            dialog.Type("Server address", server.BaseUrl());
            dialog.Type("User name", "alice");
            dialog.Type("Password", "not-it");
            dialog.Click("Check Connection");
            checking = true;
            return false;
        }
        if (dialog.Value("Address book") == "(not checked yet)") return false;
        shownBook = dialog.Value("Address book");
        dialog.Click("OK");
        return true;
    });
    script.Then([&](sim::OpenDialog& dialog) {
        EXPECT_EQ(dialog.Field("User name"), "alice");
        dialog.Click("Cancel");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Sync Account…");
    EXPECT_EQ(script.Remaining(), 0u);
    EXPECT_NE(shownBook.find("refused the user name or the password"), std::string::npos) << shownBook;
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_NE(Prompts()[0].find("refused the user name or the password"), std::string::npos);
    EXPECT_FALSE(orvane::sync::SyncAccountService(WindowDatabase()).Status());
    messages.Forget();

    // Set up right, then a wrong password typed at Synchronize.
    SetUpAccount();
    messages.Forget();
    Synchronize(0, "wrong");
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_NE(messages.Shown()[0].prompt.find("refused the user name or the password"), std::string::npos);
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    EXPECT_EQ(Names(), std::vector<std::string>{"Ann, Lee"});
}

// A password the server refused is not kept for the session: the next
// Synchronize asks for it afresh, with nothing filled in.
TEST_F(SyncWindowTest, ARefusedPasswordIsForgottenAndAskedForAfresh) {
    frm().Show();
    SetUpAccount();
    Synchronize(-1, "wrong");
    std::string offered = "(not asked)";
    sim::DialogScript script;
    script.Then([&](sim::OpenDialog& dialog) {
        offered = dialog.Field("Password");
        dialog.Click("Cancel");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Synchronize");
    EXPECT_EQ(script.Remaining(), 0u);
    EXPECT_EQ(offered, "");
}

// A card with a note after its other lines.
std::string WithNote(std::string card, const std::string& note) {
    return card.insert(card.rfind("END:VCARD"), "NOTE:" + note + "\r\n");
}

TEST_F(SyncWindowTest, AHeldConflictShowsBothValuesSideBySideAndTakingTheServersUpdatesTheAddress) {
    server.SeedCard("alice", "contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee"));
    frm().Show();
    SetUpAccount();
    Synchronize(-1);
    ASSERT_EQ(Names(), std::vector<std::string>{"Ann, Lee"});
    messages.Forget();
    // A note written here in the card...
    const std::int32_t ann = frm().lstAddress.ItemData(0);
    CDataCardTier(WindowDatabase()).KeepCard(ann, WithNote(Card("uid-ann", "Ann", "Lee"), "met here"));

    // The last name changed here, through the window...
    sim::MouseClickRow(frm().lstAddress, 0);
    sim::MouseClick(frm().cmdEdit);
    frm().txtLastname.Text("");
    sim::TypeText(frm().txtLastname, "Here");
    sim::MouseClick(frm().cmdSave);
    // ...and differently on the server, by a phone.
    {
        orvane::carddav::ConnectionSettings settings{};
        settings.url = BookUrl();
        settings.user = "alice";
        settings.password = "alice-secret";
        orvane::carddav::CardDavClient phone(settings);
        const std::string href = BookUrl() + "ann.vcf";
        ASSERT_EQ(phone.Update(href, ServerCards().at(href).etag,
                               WithNote(Card("uid-ann", "Ann", "There"), "met there")).outcome,
                  orvane::carddav::WriteOutcome::Updated);
    }

    messages.QueueAnswer(vbOK);  // the conflict is announced
    messages.QueueAnswer(vbNo);  // (were a second sync offered: not now)
    std::vector<std::vector<std::string>> table;
    std::vector<std::vector<std::string>> asRead;
    sim::DialogScript script;
    script.Then([](sim::OpenDialog& dialog) {
        dialog.Type("Password", "alice-secret");
        dialog.Click("OK");
        return true;
    });
    script.Then([&](sim::OpenDialog& dialog) {
        table = dialog.Table();
        asRead = dialog.TableAsRead();
        dialog.Click("Take the Server's");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, 0, "Synchronize");
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return script.Remaining() == 0 && RunEnded(); }));
    EXPECT_EQ(script.Seen(), (std::vector<std::string>{"Sync Password", "Sync Conflict"}));
    const std::vector<std::vector<std::string>> expected{{"Field", "On this computer", "On the server"},
                                                         {"Last name", "Here", "There"},
                                                         {"NOTE", "met here", "met there"}};
    EXPECT_EQ(table, expected);
    // A screen reader says each value with its column.
    const std::vector<std::vector<std::string>> read{
        {"Field: Last name", "On this computer: Here", "On the server: There"},
        {"Field: NOTE", "On this computer: met here", "On the server: met there"}};
    EXPECT_EQ(asRead, read);
    // The server's side taken leaves nothing to send: no question about it.
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_NE(Prompts()[0].find("changed here and on the server"), std::string::npos);

    EXPECT_EQ(Names(), std::vector<std::string>{"Ann, There"});
    EXPECT_EQ(Fields()[1], "There");
    const std::string kept = CDataCardTier(WindowDatabase()).ReadCard(ann).value_or("");
    EXPECT_NE(kept.find("NOTE:met there"), std::string::npos) << kept;
    EXPECT_EQ(kept.find("met here"), std::string::npos) << kept;
    EXPECT_TRUE(orvane::sync::SyncAccountService(WindowDatabase()).Conflicts().empty());
    EXPECT_FALSE(MenuEntryEnabled("Sync Conflicts…"));
}

TEST_F(SyncWindowTest, CancelInTheProgressWindowStopsTheRunAndTheNextRunFinishes) {
    folder.InsertAddress("Ann", "Lee");
    frm().Show();
    SetUpAccount();
    messages.Forget();
    // Addresses to send, one request each.
    constexpr int kAddresses = 20;
    for (int i = 0; i < kAddresses; ++i) folder.InsertAddress("Person", "N" + std::to_string(i));

    // Cancelled while the run is held at its first step.
    HeldRun held;
    sim::DialogScript script;
    script.Then([](sim::OpenDialog& dialog) {
        dialog.Type("Password", "alice-secret");
        dialog.Click("OK");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, 0, "Synchronize");
    EXPECT_EQ(script.Remaining(), 0u);
    ASSERT_TRUE(sim::ProcessEventsUntil([&] { return held.Held(); }));
    auto shown = sim::ShownProgressWindow();
    ASSERT_TRUE(shown);
    shown->Click("Cancel");
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return !shown->ButtonEnabled("Cancel"); }));
    held.Release();
    EXPECT_TRUE(sim::ProcessEventsUntil(RunEnded));
    ASSERT_TRUE(sim::ShownProgressWindow());
    EXPECT_EQ(sim::ShownProgressWindow()->Texts().at(0).rfind("Stopped; what was done is kept. Received 0, sent 1;", 0),
              0u);
    // A cancel needs nothing of the user.
    EXPECT_TRUE(Prompts().empty());
    EXPECT_EQ(ServerCards().size(), 2u);

    Synchronize(0);
    EXPECT_EQ(Names().size(), static_cast<std::size_t>(kAddresses) + 1);
    EXPECT_EQ(ServerCards().size(), static_cast<std::size_t>(kAddresses) + 1);
    EXPECT_TRUE(Prompts().empty());
}

TEST_F(SyncWindowTest, AfterItIsLoadedTheWindowSyncsByItselfAndSilently) {
    folder.InsertAddress("Ann", "Lee");
    frm().Show();
    SetUpAccount();
    messages.Forget();
    server.SeedCard("alice", "contacts", "zed.vcf", Card("uid-zed", "Zed", "Zulu"));

    // Closed and opened again (the password typed this session is kept
    // in memory only): the window syncs once on its own.
    frm().Unload();
    frm().Show();
    EXPECT_EQ(Names(), std::vector<std::string>{"Ann, Lee"});
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return Names().size() == 2; }));
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return !frmOrvane::Instance().SyncRunning(); }));
    EXPECT_NE(RowOf("Zed, Zulu"), -1);
    EXPECT_TRUE(Prompts().empty());
    EXPECT_EQ(ServerCards().size(), 2u);
}

TEST_F(SyncWindowTest, NoRunStartsWhileAnAddressIsEditedAndForgetKeepsEveryAddress) {
    server.SeedCard("alice", "contacts", "zed.vcf", Card("uid-zed", "Zed", "Zulu"));
    folder.InsertAddress("Ann", "Lee");
    frm().Show();
    SetUpAccount();
    messages.Forget();

    // In edit mode Synchronize is greyed, like the editing buttons, and F5
    // does nothing: no password is asked for, no run starts.
    sim::MouseClickRow(frm().lstAddress, 0);
    sim::MouseClick(frm().cmdEdit);
    EXPECT_FALSE(MenuEntryEnabled("Synchronize"));
    {
        sim::DialogScript script;
        script.Then([](sim::OpenDialog& dialog) {
            dialog.Click("Cancel");
            return true;
        });
        sim::PressKey(frm(), "F5");
        sim::ProcessEvents();
        EXPECT_EQ(script.Remaining(), 1u);
    }
    EXPECT_FALSE(frm().SyncRunning());
    EXPECT_TRUE(Prompts().empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Zed, Zulu"}));
    EXPECT_EQ(Mode(), kEditMode);
    sim::MouseClick(frm().cmdCancel);
    EXPECT_TRUE(MenuEntryEnabled("Synchronize"));
    messages.Forget();

    Synchronize(0);
    EXPECT_EQ(Names().size(), 2u);

    // Forget, confirmed: the account goes, the addresses stay.
    sim::DialogScript forget;
    forget.Then([](sim::OpenDialog& dialog) {
        EXPECT_EQ(dialog.Field("User name"), "alice");
        dialog.Click("Forget");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, 0, "Sync Account…");
    EXPECT_EQ(forget.Remaining(), 0u);
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_EQ(Prompts()[0], "Forget the sync account of alice? Every address stays here; the server is not changed.");
    EXPECT_FALSE(orvane::sync::SyncAccountService(WindowDatabase()).Status());
    EXPECT_FALSE(MenuEntryEnabled("Synchronize"));
    EXPECT_EQ(Names().size(), 2u);
}

// The window's own run never changes the list under an address being
// edited: a run that ends during the edit waits, the typed text stays, and
// what it brought shows once the edit ends.
TEST_F(SyncWindowTest, TheWindowsOwnRunThatEndsDuringAnEditWaitsForIt) {
    folder.InsertAddress("Ann", "Lee");
    frm().Show();
    SetUpAccount();
    messages.Forget();
    // Enough cards that the run is still going when the edit starts.
    for (int i = 0; i < 400; ++i)
        server.SeedCard("alice", "contacts", "p" + std::to_string(i) + ".vcf",
                        Card("uid-" + std::to_string(i), "Given" + std::to_string(i), "Family"));

    frm().Unload();
    frm().Show();
    ASSERT_TRUE(sim::ProcessEventsUntil([] { return frmOrvane::Instance().SyncRunning(); }));
    sim::MouseClickRow(frm().lstAddress, 0);
    sim::MouseClick(frm().cmdEdit);
    sim::TypeText(frm().txtFirstname, " Marie");
    ASSERT_TRUE(frm().SyncRunning());
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return !frmOrvane::Instance().SyncRunning(); }));
    EXPECT_EQ(Names(), std::vector<std::string>{"Ann, Lee"});
    EXPECT_EQ(Mode(), kEditMode);
    EXPECT_EQ(Fields()[0], "Ann Marie");

    sim::MouseClick(frm().cmdSave);
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return Names().size() == 401; }));
    EXPECT_NE(RowOf("Ann Marie, Lee"), -1);
    EXPECT_TRUE(Prompts().empty());
}

// A card the server refuses (its UID is another card's there) is named in
// the run's box; the window's own runs say it once, not at every run.
TEST_F(SyncWindowTest, ARefusedAddressIsNamedInTheBoxAndTheWindowsOwnRunsDoNotRepeatIt) {
    server.SeedCard("alice", "contacts", "ann.vcf", Card("uid-shared", "Ann", "Lee"));
    const int zoe = folder.InsertAddress("Zoe", "Other");
    CDataCardTier(WindowDatabase()).KeepCard(zoe, Card("uid-shared", "Zoe", "Other"));
    frm().Show();
    SetUpAccount();
    messages.Forget();

    Synchronize(-1);
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_NE(Prompts()[0].find("The server refused 1 address:\nZoe, Other (ID " + std::to_string(zoe) +
                                "): no-uid-conflict (HTTP 409)"),
              std::string::npos)
        << Prompts()[0];
    EXPECT_EQ(ServerCards().size(), 1u);
    messages.Forget();

    // The window's own run holds it back without a word; it is over once
    // the list shows what it sent beside it.
    const std::size_t puts = server.RequestsLogged("PUT");
    frm().Unload();
    frm().Show();
    folder.InsertAddress("Bea", "Side");
    EXPECT_TRUE(sim::ProcessEventsUntil(
        [] { return Names().size() == 3 && !frmOrvane::Instance().SyncRunning(); }));
    EXPECT_TRUE(Prompts().empty());
    EXPECT_EQ(server.RequestsLogged("PUT"), puts + 1);
    EXPECT_EQ(ServerCards().size(), 2u);
}

// While another program syncs the same database, the window's own run
// leaves it be without a word; one the user asks for says why it did not run.
TEST_F(SyncWindowTest, WhileAnotherRunHoldsTheBookTheWindowsOwnRunSkipsQuietly) {
    folder.InsertAddress("Ann", "Lee");
    frm().Show();
    SetUpAccount();
    messages.Forget();
    server.SeedCard("alice", "contacts", "zed.vcf", Card("uid-zed", "Zed", "Zulu"));
    {
        const SyncRunLock other(WindowDatabase());
        ASSERT_TRUE(other.Held());
        frm().Unload();
        frm().Show();
        // Every run, even one that did nothing, shows the list as the
        // database holds it when it ends.
        folder.InsertAddress("Bea", "Side");
        EXPECT_TRUE(sim::ProcessEventsUntil(
            [] { return Names().size() == 2 && !frmOrvane::Instance().SyncRunning(); }));
        EXPECT_TRUE(Prompts().empty());
        EXPECT_EQ(RowOf("Zed, Zulu"), -1);

        Synchronize(0);
        ASSERT_EQ(Prompts().size(), 1u);
        EXPECT_NE(Prompts()[0].find("Another sync of this address book is running"), std::string::npos)
            << Prompts()[0];
        messages.Forget();
    }
    Synchronize(0);
    EXPECT_EQ(Names().size(), 3u);
    EXPECT_NE(RowOf("Zed, Zulu"), -1);
    EXPECT_TRUE(Prompts().empty());
}

}  // namespace

namespace {

// Two books on the server: the check shows both by their display names,
// the one chosen is stored with the account and shown chosen again, and the
// dialog opened again keeps what is stored (the password of this session)
// without anything typed.
TEST_F(SyncWindowTest, TheBookChosenAmongThoseFoundIsKeptAndReopeningNeedsNothingTyped) {
    server.SeedBook("alice", "work", "Work");
    frm().Show();
    const std::string workUrl = server.BaseUrl() + "alice/work/";
    std::vector<std::string> entries;
    std::vector<std::string> spoken;
    sim::DialogScript script;
    bool checking = false;
    script.Then([&](sim::OpenDialog& dialog) {
        if (!checking) {
            dialog.Type("Server address", server.BaseUrl());
            dialog.Type("User name", "alice");
            dialog.Type("Password", "alice-secret");
            dialog.Click("Check Connection");
            checking = true;
            return false;
        }
        if (dialog.Value("Address book") == "(not checked yet)") return false;
        entries = dialog.Entries("Address book");
        dialog.Choose("Address book", "Work");
        spoken = dialog.AccessibleNames("Address book");
        dialog.Click("OK");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Sync Account…");
    ASSERT_EQ(script.Remaining(), 0u);
    EXPECT_EQ(entries, (std::vector<std::string>{"Contacts", "Work"}));
    // The list and the URL under it are both read under the caption.
    EXPECT_EQ(spoken, (std::vector<std::string>{"Address book", "Address book: " + workUrl}));
    auto status = orvane::sync::SyncAccountService(WindowDatabase()).Status();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->addressBookUrl, workUrl);
    EXPECT_EQ(status->addressBookName, "Work");
    // The first sync, which starts once the account is saved, ends first.
    ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));
    messages.Forget();

    // Opened again: the book is shown chosen, the password is kept; OK
    // with nothing typed keeps the account, and a check uses the kept password.
    sim::DialogScript again;
    std::string chosen, shownUrl, hint, checked;
    checking = false;
    again.Then([&](sim::OpenDialog& dialog) {
        if (!checking) {
            chosen = dialog.Chosen("Address book");
            shownUrl = dialog.Value("Address book");
            hint = dialog.Placeholder("Password");
            EXPECT_EQ(dialog.Field("Password"), "");
            dialog.Click("Check Connection");
            checking = true;
            return false;
        }
        if (dialog.Entries("Address book").size() < 2) return false;
        checked = dialog.Chosen("Address book");
        dialog.Click("OK");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Sync Account…");
    ASSERT_EQ(again.Remaining(), 0u);
    EXPECT_EQ(chosen, "Work");
    EXPECT_EQ(shownUrl, workUrl);
    EXPECT_EQ(hint, "kept until Orvane closes");
    EXPECT_EQ(checked, "Work");
    status = orvane::sync::SyncAccountService(WindowDatabase()).Status();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->addressBookUrl, workUrl);
    // Only the note that no keychain keeps the password.
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_NE(Prompts()[0].find("the password is kept only until Orvane closes"), std::string::npos);
}

// A server with a certificate of its own: the file chosen with Choose… is
// kept with the account, shown by its fingerprint when the dialog is opened
// again, and stays trusted when OK is taken with the field left empty.
class SyncWindowTlsTest : public AddressBookTest {
protected:
    SyncWindowTlsTest() {
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        server.SeedBook("alice", "contacts", "Contacts");
    }
    orvane::test::RadicaleServer server{orvane::test::RadicaleServer::Options{.tls = true}};
    FileDialogTester files;
};

TEST_F(SyncWindowTlsTest, TheKeptCertificateIsShownByItsFingerprintAndStaysTrusted) {
    frm().Show();
    files.QueueOpen({server.CertificateFile().string()});
    sim::DialogScript setup;
    bool chosen = false;
    setup.Then([&](sim::OpenDialog& dialog) {
        if (!chosen) {
            dialog.Type("Server address", server.BaseUrl());
            dialog.Type("User name", "alice");
            dialog.Type("Password", "alice-secret");
            dialog.Click("Choose…");
            chosen = true;
            return false;
        }
        if (dialog.Field("Trusted certificate file").empty()) return false;
        EXPECT_EQ(dialog.Field("Trusted certificate file"), server.CertificateFile().string());
        dialog.Click("OK");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Sync Account…");
    ASSERT_EQ(setup.Remaining(), 0u);
    ASSERT_TRUE(orvane::sync::SyncAccountService(WindowDatabase()).Status());
    ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));
    messages.Forget();

    std::string fingerprint = orvane::test::RunCommand("openssl x509 -noout -fingerprint -sha256 -in '" +
                                                       server.CertificateFile().string() + "'");
    fingerprint = fingerprint.substr(fingerprint.find('=') + 1);
    fingerprint.erase(fingerprint.find_last_not_of("\n") + 1);
    std::string shown, hint;
    sim::DialogScript again;
    again.Then([&](sim::OpenDialog& dialog) {
        shown = dialog.Value("Certificate kept");
        hint = dialog.Placeholder("Trusted certificate file");
        EXPECT_EQ(dialog.Field("Trusted certificate file"), "");
        dialog.Click("OK");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Sync Account…");
    ASSERT_EQ(again.Remaining(), 0u);
    EXPECT_EQ(shown, "SHA-256 " + fingerprint);
    EXPECT_EQ(hint, "the kept certificate stays");
    // Set up again without a word about the certificate, which is still kept.
    for (const std::string& prompt : Prompts()) EXPECT_EQ(prompt.find("not trusted"), std::string::npos) << prompt;
    EXPECT_EQ(orvane::sync::SyncAccountService(WindowDatabase()).Status()->certificateFingerprint, fingerprint);
}

// Checked before its certificate is trusted, the account dialog names the
// certificate by its SHA-256 fingerprint, for the user to compare with the
// server's own.
TEST_F(SyncWindowTlsTest, AnUntrustedCertificateIsNamedByItsFingerprintInTheDialog) {
    frm().Show();
    sim::DialogScript check;
    bool checking = false;
    std::string shownBook;
    check.Then([&](sim::OpenDialog& dialog) {
        if (!checking) {
            dialog.Type("Server address", server.BaseUrl());
            dialog.Type("User name", "alice");
            dialog.Type("Password", "alice-secret");
            dialog.Click("Check Connection");
            checking = true;
            return false;
        }
        if (dialog.Value("Address book") == "(not checked yet)") return false;
        shownBook = dialog.Value("Address book");
        dialog.Click("Cancel");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Sync Account…");
    ASSERT_EQ(check.Remaining(), 0u);
    std::string fingerprint = orvane::test::RunCommand("openssl x509 -noout -fingerprint -sha256 -in '" +
                                                       server.CertificateFile().string() + "'");
    fingerprint = fingerprint.substr(fingerprint.find('=') + 1);
    fingerprint.erase(fingerprint.find_last_not_of("\n") + 1);
    EXPECT_NE(shownBook.find("fingerprint is\n" + fingerprint + "\n"), std::string::npos) << shownBook;
    EXPECT_FALSE(orvane::sync::SyncAccountService(WindowDatabase()).Status());
}

// Each error says what to do where it is shown: the account dialog never
// sends the user to itself, and a password typed at Synchronize is not
// corrected in the account dialog, which does not keep it.
TEST(SyncErrorWords, EachPlaceSaysWhatCanBeDoneThere) {
    namespace errnum = orvane::carddav::errnum;
    struct Case {
        std::int32_t number;
        SyncErrorPlace place;
        const char* says;
    };
    const Case cases[] = {
        {errnum::Authentication, SyncErrorPlace::AccountDialog, "Correct them and check the connection again."},
        {errnum::Authentication, SyncErrorPlace::RunWithKeptPassword, "type the new one under Sync Account"},
        {errnum::Authentication, SyncErrorPlace::RunWithTypedPassword, "Synchronize again to type the password"},
        {errnum::Certificate, SyncErrorPlace::AccountDialog, "choose its file beside \"Trusted certificate file\""},
        {errnum::Certificate, SyncErrorPlace::RunWithTypedPassword, "choose its file under Sync Account"},
        {errnum::Network, SyncErrorPlace::AccountDialog, "then check again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const std::string text = SyncErrorText(c.number, "Refused.", "AB:CD", c.place);
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        if (c.place == SyncErrorPlace::AccountDialog) {
            EXPECT_EQ(text.find("Sync Account"), std::string::npos) << text;
        }
    }
}

// Keyboard users reach sync: the Menu key and Shift+F10 open the name
// list's menu at the selected name, and F5 (shown beside Synchronize)
// synchronizes from anywhere in the window.
TEST_F(SyncWindowTest, TheMenuKeyAndShiftF10OpenTheMenuAtTheSelectedNameAndF5Synchronizes) {
    for (int i = 0; i < 8; ++i) folder.InsertAddress("Person", "N" + std::to_string(i));
    frm().Show();
    SetUpAccount();
    messages.Forget();
    for (const char* key : {"Menu", "Shift+F10"}) {
        SCOPED_TRACE(key);
        std::vector<int> tops;
        for (const std::int32_t row : {0, 6}) {
            sim::MouseClickRow(frm().lstAddress, row);
            const auto menu = sim::MenuOpenedBy([&] { sim::PressKey(frm(), key); }, frm().lstAddress);
            ASSERT_TRUE(menu);
            tops.push_back(menu->y);
            const auto synchronize = std::find_if(menu->entries.begin(), menu->entries.end(),
                                                  [](const auto& entry) { return entry.caption == "Synchronize"; });
            ASSERT_NE(synchronize, menu->entries.end());
            EXPECT_EQ(synchronize->shortcut, "F5");
            EXPECT_TRUE(synchronize->enabled);
        }
        // At the selected name: lower down the list for a lower row.
        EXPECT_GE(tops[0], 0);
        EXPECT_LT(tops[0], tops[1]);
    }

    server.SeedCard("alice", "contacts", "zed.vcf", Card("uid-zed", "Zed", "Zulu"));
    sim::KeyTab(frm());  // the focus leaves the name list
    sim::DialogScript script;
    script.Then([](sim::OpenDialog& dialog) {
        dialog.Type("Password", "alice-secret");
        dialog.Click("OK");
        return true;
    });
    sim::PressKey(frm(), "F5");
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return script.Remaining() == 0 && RunEnded(); }));
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return Names().size() == 9; }));
    EXPECT_NE(RowOf("Zed, Zulu"), -1);
}

// The window stays in the user's hands while a sync runs: its progress
// window does not block, names can be read, and an address saved during
// the run is neither overwritten by it nor lost; the next run sends it.
TEST_F(SyncWindowTest, BrowsingAndSavingGoOnDuringARunAndTheSaveIsKeptAndSentNext) {
    server.SeedCard("alice", "contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee"));
    folder.InsertAddress("Bob", "Baker");
    frm().Show();
    SetUpAccount();
    ASSERT_EQ(Names().size(), 2u);
    // Meanwhile a phone changes Ann's last name and adds Zed.
    {
        orvane::carddav::CardDavClient phone = orvane::test::PhoneClient(BookUrl());
        const std::string href = BookUrl() + "ann.vcf";
        ASSERT_EQ(phone.Update(href, ServerCards().at(href).etag, Card("uid-ann", "Ann", "Leigh")).outcome,
                  orvane::carddav::WriteOutcome::Updated);
    }
    server.SeedCard("alice", "contacts", "zed.vcf", Card("uid-zed", "Zed", "Zulu"));
    messages.Forget();

    HeldRun held;
    sim::DialogScript script;
    script.Then([](sim::OpenDialog& dialog) {
        dialog.Type("Password", "alice-secret");
        dialog.Click("OK");
        return true;
    });
    sim::MouseClickRow(frm().lstAddress, RowOf("Bob, Baker"));
    sim::PressKey(frm(), "F5");
    ASSERT_TRUE(sim::ProcessEventsUntil([&] { return held.Held(); }));
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
    held.Release();
    ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));

    // The list now has Zed, Bob is still selected, Ann keeps the save.
    EXPECT_NE(RowOf("Zed, Zulu"), -1);
    ASSERT_GE(frm().lstAddress.ListIndex(), 0);
    EXPECT_EQ(frm().lstAddress.Text(), "Bob, Baker");
    EXPECT_EQ(Fields()[0], "Bob");
    sim::MouseClickRow(frm().lstAddress, RowOf("Ann, Lee"));
    EXPECT_EQ(Fields()[6], "555");
    ASSERT_TRUE(sim::ShownProgressWindow());
    EXPECT_NE(sim::ShownProgressWindow()->Texts().at(0).find("1 change waiting for the next sync"), std::string::npos);
    EXPECT_TRUE(Prompts().empty());

    // The next run merges the save with the phone's change, both ways.
    Synchronize(RowOf("Ann, Lee"));
    EXPECT_NE(RowOf("Ann, Leigh"), -1);
    EXPECT_EQ(Fields()[6], "555");
    const std::string card = ServerCards().at(BookUrl() + "ann.vcf").text;
    EXPECT_NE(card.find("Leigh"), std::string::npos);
    EXPECT_NE(card.find("555"), std::string::npos);
}

// With the server down, the window's own start-up run says so in a box;
// the automatic runs after it say nothing, and the account dialog can tell.
TEST_F(SyncWindowTest, OfflineOnlyTheStartUpRunSaysSoAndTheAutomaticRunsStayQuiet) {
    folder.InsertAddress("Ann", "Lee");
    frm().Show();
    SetUpAccount();
    messages.Forget();
    server.GoDown();
    SyncSession::every = std::chrono::milliseconds(0);

    frm().Unload();
    frm().Show();
    ASSERT_TRUE(sim::ProcessEventsUntil([this] { return Prompts().size() == 1 && RunEnded(); }));
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    const std::string said = Prompts()[0];
    EXPECT_NE(said.find("cannot be reached"), std::string::npos) << said;
    for (const char* library : {"failed", "Connection refused", "127.0.0.1", "curl"})
        EXPECT_EQ(said.find(library), std::string::npos) << said;

    // Two more automatic runs, each as quiet.
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(sim::ProcessEventsUntil([] { return frmOrvane::Instance().SyncRunning(); }));
        ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));
    }
    EXPECT_EQ(Prompts().size(), 1u);
    EXPECT_NE(frm().SyncStatus().find("cannot be reached"), std::string::npos) << frm().SyncStatus();
    EXPECT_FALSE(sim::ShownProgressWindow());
}

// A server that goes away after the window's start-up run is only noted:
// the automatic runs that cannot reach it put no box before the user.
TEST_F(SyncWindowTest, AServerGoneAfterTheStartUpRunIsOnlyNoted) {
    folder.InsertAddress("Ann", "Lee");
    frm().Show();
    SetUpAccount();
    messages.Forget();
    SyncSession::every = std::chrono::milliseconds(0);
    frm().Unload();
    frm().Show();
    ASSERT_TRUE(sim::ProcessEventsUntil([] { return frmOrvane::Instance().SyncRunning(); }));
    ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));
    server.GoDown();

    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(sim::ProcessEventsUntil([] { return frmOrvane::Instance().SyncRunning(); }));
        ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));
    }
    EXPECT_TRUE(Prompts().empty()) << Prompts()[0];
    EXPECT_NE(frm().SyncStatus().find("cannot be reached"), std::string::npos) << frm().SyncStatus();
}

// What the progress window says of a step and of a run, in words.
TEST(SyncWordsTest, StepsAndSummariesReadAsSentences) {
    using orvane::sync::ActionKind;
    const struct {
        std::size_t done, total;
        orvane::sync::SyncStep step;
        std::string said;
    } steps[] = {
        {0, 1, {ActionKind::CreateOnServer, "Zed Local", 1, "send: Zed Local (ID 2008)"}, "Sending Zed Local…"},
        {1203, 2000, {ActionKind::UpdateLocal, "Ann Lee", 1, "change here: Ann Lee (ID 3)"}, "Receiving 1,204 of 2,000"},
        {0, 2000, {ActionKind::StoreLocal, "Ann Lee", 2000, "store here: Ann Lee (x.vcf)"}, "Receiving 2,000 of 2,000"},
        {4, 9, {ActionKind::DeleteOnServer, "Bob Baker", 1, "delete on the server: Bob Baker (b.vcf)"},
         "Deleting Bob Baker on the server…"},
    };
    for (const auto& row : steps) EXPECT_EQ(SyncStepText(row.done, row.total, row.step), row.said);

    orvane::sync::SyncResult result;
    result.received = 2;
    result.sent = 1;
    EXPECT_EQ(SyncSummaryText(result, 0), "Received 2, sent 1; nothing waiting.");
    EXPECT_EQ(SyncSummaryText(result, 3), "Received 2, sent 1; 3 changes waiting for the next sync.");
    result.conflictsHeld = 1;
    EXPECT_EQ(SyncSummaryText(result, 0), "Received 2, sent 1; nothing waiting.\n" + SyncAttentionText(result));
    EXPECT_NE(SyncAttentionText(result).find("1 field was changed here and on the server"), std::string::npos);
}

// Each failure in plain words, with what to do next; never the library's text.
TEST(SyncWordsTest, FailuresSayWhatHappenedAndWhatToDoWithoutLibraryText) {
    namespace errnum = orvane::carddav::errnum;
    const std::string library = "The request to the server failed: Failed to connect to 127.0.0.1 port 9";
    const struct {
        std::int32_t number;
        const char* happened;
        const char* next;
    } rows[] = {
        {errnum::Network, "cannot be reached", "Synchronize (F5)"},
        {errnum::Authentication, "refused the user name or the password", "Sync Account"},
        {errnum::NoAddressBook, "was not found on the server", "Sync Account"},
        {errnum::ServerError, "error of its own", "Try again later"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.happened);
        const std::string text = SyncErrorText(row.number, library, {});
        EXPECT_NE(text.find(row.happened), std::string::npos) << text;
        EXPECT_NE(text.find(row.next), std::string::npos) << text;
        EXPECT_EQ(text.find("failed"), std::string::npos) << text;
    }
    for (const std::int32_t keychain : {orvane::keychain::errnum::NoKeychain, orvane::keychain::errnum::Failed}) {
        const std::string text = PasswordNotKeptText(keychain);
        EXPECT_EQ(text.find("session bus"), std::string::npos) << text;
        EXPECT_EQ(text.find(")."), std::string::npos) << text;
        EXPECT_NE(text.find("Synchronize asks for it"), std::string::npos) << text;
    }
}

}  // namespace
