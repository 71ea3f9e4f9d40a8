// The window's sync with the password in a real Secret Service (GNOME Keyring
// on a private session bus, started by with-keyring.sh): the password typed
// in the account dialog is kept there, a later session syncs without asking
// for it, and Forget takes it out again.

#include <cstdlib>
#include <string>

#include "AddressBookFixture.h"
#include "RadicaleServer.h"
#include "SyncSession.h"
#include "keychain/Keychain.h"
#include "sync/SyncAccountService.h"
#include "toolkit/Testing.h"
#include "toolkit/TestingDialogs.h"
#include "toolkit/TestingExtras.h"

using namespace orvane::toolkit;

namespace {

std::string Card(const std::string& uid, const std::string& given, const std::string& family) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + given + " " + family + "\r\nN:" + family + ";" +
           given + ";;;\r\nEND:VCARD\r\n";
}

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
