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

TEST_F(SyncRefusalToolTest, ARefusedCardIsCountedNamedListedAndSentAgainOnlyWhenItChangesOrIsAskedFor) {
    server_.SeedCard("alice", "contacts", "ann.vcf", Card("uid-shared", "Ann", "Lee"));
    // Imported cards keep their own UIDs: Zoe's is one the server holds for Ann.
    const std::string cards = Card("uid-shared", "Zoe", "Other") +
                              CardWithNote("uid-big", "Big", "Note", std::string(kMaxBody, 'x')) +
                              Card("uid-cy", "Cy", "Dean");
    ASSERT_EQ(Run({"import", "-", "--database", Database()}, cards).status, 0);
    ASSERT_EQ(Setup(server_.BaseUrl()).status, 0);

    const ToolOutcome first = Sync();
    EXPECT_EQ(first.status, 1) << first.out << first.err;
    EXPECT_NE(first.out.find("received 1, sent 1, deleted here 0, deleted there 0, conflicts held 0, refused 2\n"),
              std::string::npos)
        << first.out;
    EXPECT_NE(first.out.find("refused: Zoe, Other (ID 1): no-uid-conflict (HTTP 409)\n"), std::string::npos)
        << first.out;
    EXPECT_NE(first.out.find("refused: Big, Note (ID 2): Request body too large. (HTTP 413)\n"), std::string::npos)
        << first.out;
    EXPECT_EQ(ServerCardCount(), 2u);

    const ToolOutcome status = Command({"status"});
    EXPECT_NE(status.out.find("local changes waiting: 0\n"), std::string::npos) << status.out;
    EXPECT_NE(status.out.find("refused by the server: 2\n"), std::string::npos) << status.out;
    EXPECT_NE(status.out.find("  Zoe, Other (ID 1): no-uid-conflict (HTTP 409)\n"), std::string::npos) << status.out;

    // Unchanged: neither card is sent again, and the run still says so.
    const std::size_t putsBefore = Puts();
    const ToolOutcome again = Sync();
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.out.find("refused 2\n"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("refused: Zoe, Other (ID 1): no-uid-conflict (HTTP 409), refused before"),
              std::string::npos)
        << again.out;
    EXPECT_EQ(Puts(), putsBefore);

    const ToolOutcome retried = Sync({"--retry-refused"});
    EXPECT_EQ(retried.status, 1);
    EXPECT_NE(retried.out.find("refused 2\n"), std::string::npos) << retried.out;
    EXPECT_EQ(Puts(), putsBefore + 2);

    // A changed address goes again; the other one stays held.
    folder_.ExecSql("UPDATE tblAddress SET Phone = '555 0100' WHERE ID = 1");
    const ToolOutcome changed = Sync();
    EXPECT_EQ(changed.status, 1);
    EXPECT_EQ(Puts(), putsBefore + 3);

    // Taken once the cause is gone: the big card's note shrinks.
    folder_.ExecSql("DELETE FROM OrvaneCards WHERE AddressID = 2");
    const ToolOutcome taken = Sync();
    EXPECT_NE(taken.out.find("sent 1, deleted here 0, deleted there 0, conflicts held 0, refused 1\n"),
              std::string::npos)
        << taken.out;
    EXPECT_EQ(ServerCardCount(), 3u);
    EXPECT_NE(Command({"status"}).out.find("refused by the server: 1\n"), std::string::npos);
}

}  // namespace
}  // namespace orvane::test
