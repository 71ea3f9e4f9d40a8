// A keychain that runs but cannot do what is asked: the login keyring is
// locked and no unlock prompt can be shown (there is no display). That is a
// failure of the keychain, told apart from there being no keychain at all.
#include <gtest/gtest.h>

#include <string>

#include "SecretTool.h"
#include "keychain/Keychain.h"

namespace {

using orvane::Keychain;
using orvane::test::RunProgram;

void LockTheLoginKeyring() {
    const auto locked = RunProgram({"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.secrets",
                                    "/org/freedesktop/secrets", "org.freedesktop.Secret.Service.Lock",
                                    "array:objpath:/org/freedesktop/secrets/collection/login"});
    ASSERT_EQ(locked.status, 0) << locked.output;
}

TEST(LockedKeyring, StoringFailsWithAnErrorThatNamesTheKeyButNotThePassword) {
    const std::string key = orvane::CardDavPasswordKey("ada", "https://dav.example.org/");
    Keychain keychain;
    keychain.Store(key, "before the lock");
    LockTheLoginKeyring();

    try {
        keychain.Store(key, "after the lock");
        FAIL() << "stored into a locked keyring";
    } catch (const orvane::NoKeychainError& e) {
        FAIL() << "a locked keyring is a keychain: " << e.Description();
    } catch (const orvane::Error& e) {
        EXPECT_EQ(e.Number(), orvane::keychain::errnum::Failed);
        EXPECT_EQ(e.Description().rfind("Could not store the password for " + key + " in the keychain", 0), 0u)
            << e.Description();
        EXPECT_EQ(e.Description().find("the lock"), std::string::npos) << e.Description();
    }
}

}  // namespace
