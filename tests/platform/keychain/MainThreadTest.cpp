// The keychain answers on the thread that runs the Qt application; another
// thread gets an error instead of a call that could never be answered.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "keychain/Keychain.h"

namespace {

TEST(KeychainThreads, AnotherThreadThanTheApplicationsIsRefused) {
    orvane::Keychain keychain;
    const std::string key = orvane::CardDavPasswordKey("threads", "https://dav.example.org/");
    keychain.Store(key, "main thread");

    std::string refusal;
    std::thread other([&] {
        try {
            orvane::Keychain().Read(key);
        } catch (const orvane::Error& e) {
            refusal = e.Description();
        }
    });
    other.join();
    EXPECT_EQ(refusal, "The keychain can only be used from the program's main thread.");
    EXPECT_EQ(keychain.Read(key), "main thread");
}

}  // namespace
