// Cards the server refuses, through orvane-transfer against a real Radicale
// that refuses two ways: a UID it holds at another href (409
// no-uid-conflict, without naming that href) and a card larger than its
// max_content_length (413).

#include <string>

#include "SyncToolSupport.h"

namespace orvane::test {
namespace {

constexpr std::size_t kMaxBody = 4000;

std::string CardWithNote(const std::string& uid, const std::string& given, const std::string& family,
                         const std::string& note) {
    return Card(uid, given, family, {}, "NOTE:" + note + "\r\n");
}

class SyncRefusalToolTest : public SyncToolFixture {
protected:
    SyncRefusalToolTest() : SyncToolFixture(RadicaleServer::Options{false, {{"alice", "alice-secret"}}, kMaxBody}) {}

    std::size_t Puts() const { return server_.RequestsLogged("PUT"); }
};

// Which cards are held back and when they go again is the run's rule
// (tests/business/sync/SyncRefusalRunTest.cpp); here what the tool says of
// them, its exit status and the option that sends them again.
TEST_F(SyncRefusalToolTest, ARefusedCardIsCountedNamedListedAndSentAgainWhenAskedFor) {
    server_.SeedCard("alice", "contacts", "ann.vcf", Card("uid-shared", "Ann", "Lee"));
    // Imported cards keep their own UIDs: Zoe's is one the server holds for Ann.
    const std::string cards = Card("uid-shared", "Zoe", "Other") +
                              CardWithNote("uid-big", "Big", "Note", std::string(kMaxBody, 'x')) +
                              Card("uid-cy", "Cy", "Dean");
    ASSERT_EQ(Run({"import", "-", "--database", Database()}, cards).status, 0);
    ASSERT_EQ(Setup(server_.BaseUrl()).status, 0);

    const ToolOutcome first = Sync();
    EXPECT_EQ(first.status, 1) << first.out << first.err;
    EXPECT_EQ(first.out,
              "received 1, sent 1, deleted here 0, deleted there 0, conflicts held 0, refused 2\n"
              "refused: Zoe, Other (ID 1): no-uid-conflict (HTTP 409)\n"
              "refused: Big, Note (ID 2): Request body too large. (HTTP 413)\n");

    const ToolOutcome status = Command({"status"});
    EXPECT_NE(status.out.find("refused by the server: 2\n"), std::string::npos) << status.out;
    EXPECT_NE(status.out.find("  Zoe, Other (ID 1): no-uid-conflict (HTTP 409)\n"), std::string::npos) << status.out;

    const ToolOutcome again = Sync();
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.out.find("refused: Zoe, Other (ID 1): no-uid-conflict (HTTP 409), refused before; sent again "
                             "once it changes, or with --retry-refused\n"),
              std::string::npos)
        << again.out;

    const std::size_t putsBefore = Puts();
    const ToolOutcome retried = Sync({"--retry-refused"});
    EXPECT_EQ(retried.status, 1);
    EXPECT_EQ(retried.out.find("refused before"), std::string::npos) << retried.out;
    EXPECT_EQ(Puts(), putsBefore + 2);
}

}  // namespace
}  // namespace orvane::test
