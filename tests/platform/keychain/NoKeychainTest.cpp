// A session without a keychain: run with no session bus at all, and on a
// session bus where nothing serves passwords (bus-without-keychain.conf).
// Every call answers "no keychain" at once instead of failing or waiting.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "keychain/Keychain.h"

namespace {

using orvane::Keychain;
using orvane::NoKeychainError;

const std::string kKey = orvane::CardDavPasswordKey("ada", "https://dav.example.org/");
const std::string kPassword = "never shown 5f2c";

void ExpectNoKeychain(const std::function<void()>& call) {
    try {
        call();
        ADD_FAILURE() << "the call succeeded without a keychain";
    } catch (const NoKeychainError& e) {
        EXPECT_EQ(e.Number(), orvane::keychain::errnum::NoKeychain);
        // The reason fits the session this program was started in.
        const std::string reason = std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr
                                       ? "No keychain is available: this session has no D-Bus session bus"
                                       : "No keychain is available: nothing on the session bus serves passwords";
        EXPECT_EQ(e.Description().rfind(reason, 0), 0u) << e.Description();
        EXPECT_EQ(e.Description().find(kPassword), std::string::npos) << e.Description();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "not the no-keychain outcome: " << e.what();
    }
}

TEST(NoKeychain, StoreReadAndRemoveEachSayThatNoKeychainIsAvailable) {
    Keychain keychain;
    ExpectNoKeychain([&] { keychain.Store(kKey, kPassword); });
    ExpectNoKeychain([&] { keychain.Read(kKey); });
    ExpectNoKeychain([&] { keychain.Remove(kKey); });
    // Asking again gives the same answer.
    ExpectNoKeychain([&] { keychain.Read(kKey); });
}

TEST(NoKeychain, TheOutcomeIsAnErrorForCallersThatDoNotTellItApart) {
    EXPECT_THROW(Keychain().Read(kKey), orvane::Error);
}

}  // namespace
