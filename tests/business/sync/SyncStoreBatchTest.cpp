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

class SyncStoreBatchTest : public MemorySyncFixture {};

// A first sync of a big book stores what it receives in a few transactions
// (each one several disk syncs), not several per card; every card still
// arrives with its own address, record and kept card.
TEST_F(SyncStoreBatchTest, ReceivedCardsAreStoredInAFewTransactions) {
    const int cards = 40;
    for (int i = 0; i < cards; ++i) {
        const std::string n = std::to_string(i);
        book_.Seed("c" + n + ".vcf",
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

// Every card changed on the server: the changes go in by batches in a few
// transactions, each address still written only while it holds what the run
// read. One saved here while the run is under way keeps the save and its
// record, and the next run merges the two.
TEST_F(SyncStoreBatchTest, ServerChangesAreStoredInAFewTransactionsAndSpareAnAddressSavedMeanwhile) {
    const int cards = 40;
    const auto seed = [&](const std::string& phone) {
        for (int i = 0; i < cards; ++i) {
            const std::string n = std::to_string(i);
            book_.Seed("c" + n + ".vcf",
                             Card("uid-" + n, "Given" + n, "Family" + n, phone + n, "EMAIL:p" + n + "@example.org\r\n"));
        }
    };
    seed("555 01");
    SetUpAccount();
    ASSERT_EQ(Sync().received, static_cast<std::size_t>(cards));
    std::map<std::string, std::int32_t> idOf;
    for (const auto& [id, fields] : Local()) idOf[fields[1]] = id;
    seed("777 02");  // written as the files of the book: every card changed

    // Saved here after the run read the table, before it writes anything.
    const std::int32_t saved = idOf.at("Family7");
    SyncOptions options = Options();
    bool edited = false;
    options.progress = [&](std::size_t, std::size_t, const SyncStep&) {
        if (edited) return;
        CDataSyncAddressTier(Database()).Update(saved, {"Given7", "Saved", "", "", "", "", "555 017"});
        edited = true;
    };
    orvane::test::StatementSpy spy;
    const SyncResult run = Sync(options);
    EXPECT_EQ(run.received, static_cast<std::size_t>(cards - 1));
    EXPECT_LT(Transactions(spy), static_cast<std::size_t>(cards / 2));

    const auto local = Local();
    ASSERT_EQ(local.size(), static_cast<std::size_t>(cards));
    CDataCardTier kept(Database());
    for (const auto& [family, id] : idOf) {
        SCOPED_TRACE(family);
        const std::string n = family.substr(std::string("Family").size());
        const auto card = kept.ReadCard(id);
        ASSERT_TRUE(card);
        if (id == saved) {
            EXPECT_EQ(local.at(id), (Fields{"Given7", "Saved", "", "", "", "", "555 017"}));
            EXPECT_NE(card->find("555 017"), std::string::npos) << *card;
        } else {
            EXPECT_EQ(local.at(id), (Fields{"Given" + n, family, "", "", "", "", "777 02" + n}));
            EXPECT_NE(card->find("777 02" + n), std::string::npos) << *card;
        }
    }

    // Each record holds what both sides now agree on; the saved address's
    // record still holds what the last run agreed.
    std::size_t records = 0;
    for (const SyncItem& item : CDataSyncStateTier(Database()).ReadItems()) {
        ASSERT_NE(item.addressId, 0);
        const bool savedOne = item.addressId == saved;
        EXPECT_EQ(item.base[6].substr(0, 6), savedOne ? "555 01" : "777 02") << item.href;
        EXPECT_EQ(item.card.find(savedOne ? "777 02" : "555 01"), std::string::npos) << item.href;
        ++records;
    }
    EXPECT_EQ(records, static_cast<std::size_t>(cards));

    // The others' records hold the change: only the saved one is merged,
    // its new name sent up and the server's phone taken.
    const SyncResult next = Sync();
    EXPECT_EQ(next.received, 1u);
    EXPECT_EQ(next.sent, 1u);
    EXPECT_EQ(Local().at(saved), (Fields{"Given7", "Saved", "", "", "", "", "777 027"}));
    const std::string onServer = ServerCards().at(Book() + "c7.vcf").text;
    EXPECT_NE(onServer.find("Saved"), std::string::npos) << onServer;
}

}  // namespace
}  // namespace orvane::sync::test
