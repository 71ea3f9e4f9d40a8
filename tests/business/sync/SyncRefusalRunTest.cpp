// A card the server refused is remembered, so that later runs do not send
// it again, and again fail, until it changes or the user asks.
#include <functional>

#include "SyncRunSupport.h"

namespace orvane::sync::test {
namespace {

// What happens here between the run that saw the card refused and the next.
struct Between {
    const char* name;
    std::function<void(const MemorySync&, std::int32_t zoe)> change;
    bool retryRefused;
    bool sentAgain;
};

TEST(SyncRefusalRun, ARefusedCardIsSentAgainOnlyWhenItChangesOrTheUserAsks) {
    const Between rows[] = {
        {"unchanged", [](const MemorySync&, std::int32_t) {}, false, false},
        {"asked for", [](const MemorySync&, std::int32_t) {}, true, true},
        {"changed", [](const MemorySync& world, std::int32_t zoe) {
             CDataSyncAddressTier(world.Database()).Update(zoe, Person("Zoe", "Other", "555 0100"));
         }, false, true},
    };
    for (const Between& row : rows) {
        SCOPED_TRACE(row.name);
        MemorySync world;
        world.book_.Seed("ann.vcf", Card("uid-shared", "Ann", "Lee"));
        // Zoe's card holds the UID the server keeps for Ann: refused each time it is sent.
        const std::int32_t zoe = world.AddLocal(Person("Zoe", "Other"));
        CDataCardTier(world.Database()).KeepCard(zoe, Card("uid-shared", "Zoe", "Other"));
        world.SetUpAccount();
        const SyncResult first = world.Sync();
        ASSERT_EQ(first.refused.size(), 1u);
        EXPECT_FALSE(first.refused[0].earlier);

        row.change(world, zoe);
        bool written = false;
        world.book_.Book().beforeNextWrite = [&] { written = true; };
        SyncOptions options = world.Options();
        options.retryRefused = row.retryRefused;
        const SyncResult next = world.Sync(options);
        EXPECT_EQ(written, row.sentAgain);
        // Sent or not, it is still listed as refused: the cause is still there.
        ASSERT_EQ(next.refused.size(), 1u);
        EXPECT_EQ(next.refused[0].addressId, zoe);
        EXPECT_EQ(next.refused[0].earlier, !row.sentAgain);
        EXPECT_EQ(next.refused[0].reason, "no-uid-conflict (HTTP 409)");
        EXPECT_EQ(next.sent, 0u);
    }
}

// Once the cause is gone (Zoe's card given a UID of its own, and a note: a
// new UID alone is no change), the card is taken and the refusal forgotten.
TEST(SyncRefusalRun, ACardTakenAtLastIsNoLongerListedAsRefused) {
    MemorySync world;
    world.book_.Seed("ann.vcf", Card("uid-shared", "Ann", "Lee"));
    const std::int32_t zoe = world.AddLocal(Person("Zoe", "Other"));
    CDataCardTier(world.Database()).KeepCard(zoe, Card("uid-shared", "Zoe", "Other"));
    world.SetUpAccount();
    ASSERT_EQ(world.Sync().refused.size(), 1u);

    CDataCardTier(world.Database()).KeepCard(zoe, Card("uid-zoe", "Zoe", "Other", {}, "NOTE:own UID\r\n"));
    const SyncResult taken = world.Sync();
    EXPECT_TRUE(taken.refused.empty());
    EXPECT_EQ(taken.sent, 1u);
    EXPECT_EQ(world.ServerCards().size(), 2u);
    // No longer among the refusals the account's status lists.
    EXPECT_TRUE(CDataSyncStateTier(world.Database()).ReadRefusals().empty());
}

}  // namespace
}  // namespace orvane::sync::test
