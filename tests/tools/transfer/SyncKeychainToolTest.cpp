#include "SyncToolSupport.h"
#include "keychain/Keychain.h"

namespace orvane::test {
namespace {

// Run inside a private session with GNOME Keyring serving the Secret Service.
class SyncKeychainToolTest : public SyncToolFixture {};

TEST_F(SyncKeychainToolTest, SetupKeepsThePasswordInTheKeychainSyncTakesItAndForgetRemovesIt) {
    server_.SeedCard("alice", "contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee"));
    const ToolOutcome setup = Setup(server_.BaseUrl());
    ASSERT_EQ(setup.status, 0) << setup.err;
    EXPECT_NE(setup.out.find("the password is kept in the desktop's keychain"), std::string::npos) << setup.out;
    const std::string key = CardDavPasswordKey("alice", server_.BaseUrl());
    EXPECT_EQ(Keychain().Read(key), std::optional<std::string>("alice-secret"));

    // No password given: the keychain's is used.
    const ToolOutcome sync = Run({"sync", "--database", Database()});
    EXPECT_EQ(sync.status, 0) << sync.err;
    EXPECT_EQ(sync.out, "received 1, sent 0, deleted here 0, deleted there 0, conflicts held 0\n");

    // Set up again at another address of the server: the old entry goes.
    const std::string otherUrl = server_.BaseUrl() + "alice/";
    ASSERT_EQ(Setup(otherUrl).status, 0);
    EXPECT_EQ(Keychain().Read(key), std::nullopt);
    const std::string otherKey = CardDavPasswordKey("alice", otherUrl);
    EXPECT_EQ(Keychain().Read(otherKey), std::optional<std::string>("alice-secret"));

    const ToolOutcome forget = Run({"sync", "forget", "--database", Database()});
    EXPECT_EQ(forget.status, 0) << forget.err;
    EXPECT_EQ(Keychain().Read(otherKey), std::nullopt);
    EXPECT_NE(Run({"export", "-", "--database", Database(), "--format", "csv"}).out.find("Ann"), std::string::npos);
}

}  // namespace
}  // namespace orvane::test
