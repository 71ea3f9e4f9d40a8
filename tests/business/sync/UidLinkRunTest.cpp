// A new card refused because a card of the book holds its UID, with the
// server naming that card (RFC 6352): the two are one person, linked and
// merged, never a refusal.

#include "CDataCardTier.h"
#include "SyncRunSupport.h"
#include "sync/SyncRun.h"

namespace orvane::sync::test {
namespace {

class UidLinkRunTest : public MemorySyncFixture {};

TEST_F(UidLinkRunTest, TheCardNamedAsHoldingTheUidIsLinkedAndMergedFieldByField) {
    book_.Seed("ann.vcf", Card("uid-shared", "Ann", "Lee", "555 0100"));
    // Imported here from an older copy of the same card: the same UID, the
    // last name spelt otherwise, a street the server's lacks and no phone.
    const Fields ours{"Ann", "Lee-Ray", "1 Main St", "", "", "", ""};
    const std::int32_t ann = AddLocal(ours);
    CDataCardTier(Database()).KeepCard(ann, Card("uid-shared", "Ann", "Lee-Ray", {}, "ADR:;;1 Main St;;;;\r\n"));
    SetUpAccount();
    book_.Book().namesUidHolder = true;

    const SyncResult first = Sync();
    EXPECT_TRUE(first.refused.empty()) << first.refused.front().Text();
    EXPECT_EQ(first.conflictsHeld, 1u);
    // One address, linked to the server's one card: the server's phone
    // taken here, our street sent there, the last names held.
    const auto local = Local();
    ASSERT_EQ(local.size(), 1u);
    EXPECT_EQ(local.at(ann), (Fields{"Ann", "Lee-Ray", "1 Main St", "", "", "", "555 0100"}));
    auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 1u);
    const std::string& text = cards.begin()->second.text;
    EXPECT_NE(text.find("N:Lee;Ann"), std::string::npos) << text;
    EXPECT_NE(text.find("1 Main St"), std::string::npos) << text;
    const auto conflicts = SyncAccountService(Database()).Conflicts();
    ASSERT_EQ(conflicts.size(), 1u);
    EXPECT_EQ(conflicts[0].localValue, "Lee-Ray");
    EXPECT_EQ(conflicts[0].serverValue, "Lee");

    // Linked for good: the next run sends nothing and holds the same conflict.
    const SyncResult again = Sync();
    EXPECT_EQ(again.SummaryLine(), "received 0, sent 0, deleted here 0, deleted there 0, conflicts held 1");
    EXPECT_EQ(Local().size(), 1u);
    EXPECT_EQ(ServerCards().size(), 1u);
}

}  // namespace
}  // namespace orvane::sync::test
