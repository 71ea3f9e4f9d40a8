// The window's sync with the password in a real Secret Service (GNOME Keyring
// on a private session bus, started by with-keyring.sh) and a real Radicale
// server: the password typed in the account dialog is kept there, a later
// session syncs without asking for it, a changed server address takes the
// old one out, and Forget leaves nothing of the account in the keychain.

#include <cstdlib>
#include <string>

#include "AddressBookFixture.h"
#include "RadicaleServer.h"
#include "SyncSession.h"
#include "SyncWindowSteps.h"
#include "TestKit.h"
#include "keychain/Keychain.h"
#include "sync/SyncAccountService.h"
#include "toolkit/Testing.h"
#include "toolkit/TestingDialogs.h"
#include "toolkit/TestingExtras.h"

using namespace orvane::toolkit;
using namespace orvane::test;

namespace {

// What the keychain holds for the program, as secret-tool shows it: each
// entry's label and key.
std::string KeychainEntries() {
    return orvane::test::RunCommand(
        "secret-tool search --all server orvane 2>&1 | grep -E '^(label|attribute.user) ' || true");
}

class SyncWindowKeychainTest : public AddressBookTest {
protected:
    SyncWindowKeychainTest() {
        server.SeedBook("alice", "contacts", "Contacts");
        if (!std::getenv("ORVANE_INSIDE_KEYRING_SESSION"))
            ADD_FAILURE() << "run this test through tests/platform/keychain/with-keyring.sh";
    }

    std::string KeptPassword(const std::string& url) const {
        return orvane::Keychain().Read(orvane::CardDavPasswordKey("alice", url)).value_or("(none)");
    }

    orvane::test::RadicaleServer server;
};

TEST_F(SyncWindowKeychainTest, TheTypedPasswordIsKeptUntilTheServerChangesOrTheAccountIsForgotten) {
    folder.InsertAddress("Ann", "Lee");
    frm().Show();
    EXPECT_EQ(Choose("Sync Account…", {Click("OK", TypeAccount(server.BaseUrl(), "alice-secret"))}), 0u);
    EXPECT_TRUE(Prompts().empty());  // kept: nothing to tell the user
    EXPECT_EQ(KeptPassword(server.BaseUrl()), "alice-secret");
    EXPECT_TRUE(sim::ProcessEventsUntil(RunEnded));  // the new account's first sync

    // A later session: the window is opened anew and syncs by itself with
    // the kept password; Synchronize then asks for nothing either.
    server.SeedCard("alice", "contacts", "zed.vcf", Card("uid-zed", "Zed", "Zulu"));
    frm().Unload();
    frm().Show();
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return Names().size() == 2 && RunEnded(); }));
    server.SeedCard("alice", "contacts", "amy.vcf", Card("uid-amy", "Amy", "Adams"));
    EXPECT_EQ(Choose("Synchronize", {Click("Cancel")}, 0), 1u);  // no password dialog
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return Names().size() == 3 && RunEnded(); }));
    EXPECT_TRUE(Prompts().empty());

    // Another server address: the kept password is not sent there but
    // typed again, and the old address's entry goes.
    const std::string newUrl = server.BaseUrl() + "alice/";
    std::string hint;
    std::string retyped;
    EXPECT_EQ(Choose("Sync Account…", {Click("OK",
                                             [&](sim::OpenDialog& dialog) {
                                                 hint = dialog.Placeholder("Password");
                                                 dialog.Type("Server address", newUrl);
                                             }),
                                       Click("OK",
                                             [&](sim::OpenDialog& dialog) {
                                                 retyped = dialog.Field("Server address");
                                                 dialog.Type("Password", "alice-secret");
                                             })}),
              0u);
    EXPECT_EQ(retyped, newUrl);
    EXPECT_EQ(hint, "kept in the keychain");
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_NE(Prompts()[0].find("Type the password for this account."), std::string::npos) << Prompts()[0];
    // The entry kept is labelled for a person.
    EXPECT_EQ(KeychainEntries(), "label = Orvane: alice at 127.0.0.1\nattribute.user = " +
                                     orvane::CardDavPasswordKey("alice", newUrl) + "\n");
    ASSERT_TRUE(sim::ProcessEventsUntil(RunEnded));

    // Forget leaves nothing of the account in the keychain; every address stays.
    messages.QueueAnswer(vbYes);
    EXPECT_EQ(Choose("Sync Account…", {Click("Forget")}), 0u);
    EXPECT_FALSE(orvane::sync::SyncAccountService(WindowDatabase()).Status());
    EXPECT_EQ(KeychainEntries(), "");
    EXPECT_EQ(Names().size(), 3u);
}

}  // namespace
