#include "SabreSyncSupport.h"
#include "ToolRun.h"

// orvane-transfer run as a user runs it against SabreDAV, the password in a
// private file (no keychain runs for these tests).
namespace orvane::sync::test {
namespace {

class SabreSyncToolTest : public SabreSyncFixture {
protected:
    SabreSyncToolTest() { WritePassword("alice-secret"); }

    std::string PasswordFile() const { return (folder_.Root() / "password").string(); }
    void WritePassword(const std::string& password) const {
        orvane::test::WritePasswordFile(PasswordFile(), password + "\n");
    }
    orvane::test::ToolOutcome Run(const std::vector<std::string>& arguments) const {
        std::vector<std::string> all{"sync"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        all.push_back("--database");
        all.push_back(Database());
        return orvane::test::RunTool(ORVANE_TRANSFER, all, {}, folder_.Root());
    }
};

TEST_P(SabreSyncToolTest, SetupFromThePrincipalThenSyncBothWaysAndAgainQuietly) {
    server_.SeedCard("alice", "contacts", "ann.vcf", Card("uid-ann", "Ann", "Lee"));
    folder_.InsertAddress("Cy", "Dean", "1 Main St", "12345", "", "", "555");

    WritePassword("not-the-password");
    const auto refused = Run({"setup", server_.PrincipalUrl("alice"), "--user", "alice", "--password-file", PasswordFile()});
    EXPECT_EQ(refused.status, 3) << refused.err;
    EXPECT_EQ(refused.err.find("not-the-password"), std::string::npos);
    WritePassword("alice-secret");

    const auto setup = Run({"setup", server_.PrincipalUrl("alice"), "--user", "alice", "--password-file", PasswordFile()});
    EXPECT_EQ(setup.status, 0) << setup.err;
    EXPECT_NE(setup.out.find("address book " + Book() + " set up for alice"), std::string::npos) << setup.out;

    const auto first = Run({"--password-file", PasswordFile()});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "received 1, sent 1, deleted here 0, deleted there 0, conflicts held 0\n");
    const auto cards = ServerCards();
    EXPECT_EQ(cards.size(), 2u);
    EXPECT_EQ(CountWithText(cards, "N:Dean;Cy;"), 1u);
    EXPECT_EQ(Local().size(), 2u);

    for (int run = 2; run <= 3; ++run) {
        const std::size_t before = server_.Requests().size();
        const auto again = Run({"--password-file", PasswordFile()});
        EXPECT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(again.out, "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 0\n") << run;
        EXPECT_EQ(server_.Requests().size(), before + 1) << "the ETag listing alone";
    }
}

INSTANTIATE_TEST_SUITE_P(Sabre, SabreSyncToolTest, ::testing::Bool(), EtagName);

}  // namespace
}  // namespace orvane::sync::test
