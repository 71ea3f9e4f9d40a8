#include "SyncRunSupport.h"
#include "card/CardService.h"

namespace orvane::sync::test {
namespace {

class CardWindowSyncRunTest : public MemorySyncFixture {};

// A card saved in the card window (an e-mail address added, none of the
// seven fields changed) goes to the server whole on the next run, once.
TEST_F(CardWindowSyncRunTest, ACardSavedInTheCardWindowGoesToTheServerWholeOnTheNextRun) {
    book_.Seed("ann.vcf",
                     Card("uid-ann", "Ann", "Lee", "+1 555 0100", "item1.URL:https://ann.example\r\nitem1.X-ABLabel:Blog\r\n"));
    SetUpAccount();
    ASSERT_EQ(Sync().received, 1u);
    const std::int32_t id = Local().begin()->first;

    card::CardModel model = card::CardService(Database()).Load(id);
    model.emails.push_back({card::EntryLabel::FromText("Work"), "ann@example.org", true, std::nullopt});
    card::CardService(Database()).Save(id, model);

    const SyncResult second = Sync();
    EXPECT_EQ(second.sent, 1u);
    const auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 1u);
    const std::string& text = cards.begin()->second.text;
    EXPECT_NE(text.find("ann@example.org"), std::string::npos) << text;
    EXPECT_NE(text.find("https://ann.example"), std::string::npos) << text;
    EXPECT_EQ(Sync().sent, 0u);
}

}  // namespace
}  // namespace orvane::sync::test
