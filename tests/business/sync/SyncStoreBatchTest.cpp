#include <algorithm>

#include "StatementSpy.h"
#include "SyncRunSupport.h"

namespace orvane::sync::test {
namespace {

std::size_t Transactions(const orvane::test::StatementSpy& spy) {
    return static_cast<std::size_t>(std::count_if(spy.records.begin(), spy.records.end(), [](const auto& record) {
        return record.text.rfind("BEGIN", 0) == 0;
    }));
}

class SyncStoreBatchTest : public SyncFixture {};

// A first sync of a big book stores what it receives in a few transactions
// (each one several disk syncs), not several per card; every card still
// arrives with its own address, record and kept card.
TEST_F(SyncStoreBatchTest, ReceivedCardsAreStoredInAFewTransactions) {
    const int cards = 40;
    for (int i = 0; i < cards; ++i) {
        const std::string n = std::to_string(i);
        server_.SeedCard("alice", "contacts", "c" + n + ".vcf",
                         Card("uid-" + n, "Given" + n, "Family" + n, "555 01" + n, "EMAIL:p" + n + "@example.org\r\n"));
    }
    SetUpAccount();

    orvane::test::StatementSpy spy;
    const SyncResult first = Sync();
    EXPECT_EQ(first.received, static_cast<std::size_t>(cards));
    // A run costs a dozen transactions of its own whatever the book holds.
    EXPECT_LT(Transactions(spy), static_cast<std::size_t>(cards / 2));

    const auto local = Local();
    ASSERT_EQ(local.size(), static_cast<std::size_t>(cards));
    CDataCardTier kept(Database());
    for (const auto& [id, fields] : local) {
        const auto card = kept.ReadCard(id);
        ASSERT_TRUE(card) << fields[1];
        const std::string n = fields[1].substr(std::string("Family").size());
        EXPECT_EQ(fields[0], "Given" + n);
        EXPECT_EQ(fields[6], "555 01" + n);
        EXPECT_NE(card->find("EMAIL:p" + n + "@example.org"), std::string::npos) << *card;
    }
    // Linked, not received again.
    const SyncResult again = Sync();
    EXPECT_EQ(again.received + again.sent, 0u);
    EXPECT_EQ(Local().size(), static_cast<std::size_t>(cards));
}

}  // namespace
}  // namespace orvane::sync::test
