// The window's sync with the password in a real Secret Service (GNOME Keyring
// on a private session bus, started by with-keyring.sh): the password typed
// in the account dialog is kept there, a later session syncs without asking
// for it, and Forget takes it out again.

#include <cstdlib>
#include <string>

#include "AddressBookFixture.h"
#include "RadicaleServer.h"
#include "TestKit.h"
#include "SyncSession.h"
#include "keychain/Keychain.h"
#include "sync/SyncAccountService.h"
#include "toolkit/Testing.h"
#include "toolkit/TestingDialogs.h"
#include "toolkit/TestingExtras.h"

using namespace orvane::toolkit;

namespace {

using orvane::test::Card;

class SyncWindowKeychainTest : public AddressBookTest {
protected:
    SyncWindowKeychainTest() {
        server.SeedBook("alice", "contacts", "Contacts");
        if (!std::getenv("ORVANE_INSIDE_KEYRING_SESSION"))
            ADD_FAILURE() << "run this test through tests/platform/keychain/with-keyring.sh";
    }

    std::string KeptPassword() const {
        const auto kept = orvane::Keychain().Read(orvane::CardDavPasswordKey("alice", server.BaseUrl()));
        return kept.value_or("(none)");
    }

    orvane::test::RadicaleServer server;
};

TEST_F(SyncWindowKeychainTest, TheTypedPasswordIsKeptAndALaterSessionSyncsWithoutAsking) {
    folder.InsertAddress("Ann", "Lee");
    frm().Show();
    sim::DialogScript setup;
    setup.Then([&](sim::OpenDialog& dialog) {
        dialog.Type("Server address", server.BaseUrl());
        dialog.Type("User name", "alice");
        dialog.Type("Password", "alice-secret");
        dialog.Click("OK");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Sync Account…");
    EXPECT_EQ(setup.Remaining(), 0u);
    EXPECT_TRUE(Prompts().empty());  // kept: nothing to tell the user
    EXPECT_EQ(KeptPassword(), "alice-secret");
    // The new account's first sync runs at once.
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return !frmOrvane::Instance().SyncRunning(); }));

    // A later session: the window is opened anew and syncs by itself with
    // the kept password; Synchronize then asks for nothing either.
    server.SeedCard("alice", "contacts", "zed.vcf", Card("uid-zed", "Zed", "Zulu"));
    frm().Unload();
    frm().Show();
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return Names().size() == 2; }));
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return !frmOrvane::Instance().SyncRunning(); }));
    server.SeedCard("alice", "contacts", "amy.vcf", Card("uid-amy", "Amy", "Adams"));
    {
        sim::DialogScript none;
        none.Then([](sim::OpenDialog& dialog) {
            dialog.Click("Cancel");
            return true;
        });
        sim::ChooseFromContextMenu(frm().lstAddress, 0, "Synchronize");
        EXPECT_EQ(none.Remaining(), 1u);  // no password dialog
    }
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return !frmOrvane::Instance().SyncRunning(); }));
    EXPECT_EQ(Names().size(), 3u);
    EXPECT_TRUE(Prompts().empty());

    // Forget takes the password out of the keychain with the account.
    sim::DialogScript forget;
    forget.Then([](sim::OpenDialog& dialog) {
        dialog.Click("Forget");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, 0, "Sync Account…");
    EXPECT_EQ(forget.Remaining(), 0u);
    EXPECT_FALSE(orvane::sync::SyncAccountService(WindowDatabase()).Status());
    EXPECT_EQ(KeptPassword(), "(none)");
    EXPECT_EQ(Names().size(), 3u);
}

}  // namespace

namespace {

// What the keychain holds for the program, as secret-tool shows it: each
// entry's label and key.
std::string KeychainEntries() {
    return orvane::test::RunCommand("secret-tool search --all server orvane 2>&1 | grep -E '^(label|attribute.user) ' || true");
}

// A changed server address takes the old password out of the keychain, and
// the entry kept is labelled for a person; opened again, the dialog says the
// password is kept and OK needs it typed only for another server.
TEST_F(SyncWindowKeychainTest, ChangingTheServerRemovesTheOldPasswordAndTheEntryIsLabelled) {
    frm().Show();
    const std::string oldUrl = server.BaseUrl();
    const std::string newUrl = server.BaseUrl() + "alice/";
    sim::DialogScript setup;
    setup.Then([&](sim::OpenDialog& dialog) {
        dialog.Type("Server address", oldUrl);
        dialog.Type("User name", "alice");
        dialog.Type("Password", "alice-secret");
        dialog.Click("OK");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Sync Account…");
    ASSERT_EQ(setup.Remaining(), 0u);
    EXPECT_EQ(KeptPassword(), "alice-secret");
    // The first sync, which starts once the account is saved, ends first.
    ASSERT_TRUE(sim::ProcessEventsUntil([] { return !frmOrvane::Instance().SyncRunning(); }));

    std::string hint;
    sim::DialogScript change;
    change.Then([&](sim::OpenDialog& dialog) {
        hint = dialog.Placeholder("Password");
        dialog.Type("Server address", newUrl);
        dialog.Click("OK");  // the kept password is not sent to another address
        return true;
    });
    change.Then([&](sim::OpenDialog& dialog) {
        EXPECT_EQ(dialog.Field("Server address"), newUrl);
        dialog.Type("Password", "alice-secret");
        dialog.Click("OK");
        return true;
    });
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Sync Account…");
    ASSERT_EQ(change.Remaining(), 0u);
    EXPECT_EQ(hint, "kept in the keychain");
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_NE(Prompts()[0].find("Type the password for this account."), std::string::npos) << Prompts()[0];
    EXPECT_EQ(KeychainEntries(), "label = Orvane: alice at 127.0.0.1\nattribute.user = " +
                                     orvane::CardDavPasswordKey("alice", newUrl) + "\n");
    // The first sync with the changed account ends before the dialog opens again.
    ASSERT_TRUE(sim::ProcessEventsUntil([] { return !frmOrvane::Instance().SyncRunning(); }));

    // Forget leaves nothing of the account in the keychain.
    sim::DialogScript forget;
    forget.Then([](sim::OpenDialog& dialog) {
        dialog.Click("Forget");
        return true;
    });
    messages.QueueAnswer(vbYes);
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Sync Account…");
    EXPECT_EQ(forget.Remaining(), 0u);
    EXPECT_EQ(KeychainEntries(), "");
}

}  // namespace
