#include <gtest/gtest.h>

#include <algorithm>

#include "ErrorOf.h"
#include "CDataCardTier.h"
#include "CDataSyncAddressTier.h"
#include "CDataSyncStateTier.h"
#include "TempAppFolder.h"
#include "card/CardModel.h"
#include "card/CardService.h"
#include "core/Error.h"
#include "sync/SyncAccountService.h"
#include "transfer/AddressImporter.h"

using namespace orvane::card;
using orvane::test::TempAppFolder;

namespace {

constexpr std::int32_t kEngineTriggerRaise = 1811;  // a trigger's RAISE(ABORT): a refused constraint

const std::string kCard =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "N:Lindqvist;Maja;Elin;;\r\n"
    "FN:Maja Elin Lindqvist\r\n"
    "TEL;TYPE=WORK:+46 8 555 01 00\r\n"
    "ADR;TYPE=WORK:;;Industrivägen 9;Solna;;171 48;Sweden\r\n"
    "ADR;TYPE=HOME:;;Storgatan 1;Uppsala;;753 20;Sweden\r\n"
    "X-SOCIALPROFILE;type=twitter:https://twitter.com/maja\r\n"
    "UID:6f1c2a3e-1111-4222-8333-944455556666\r\n"
    "END:VCARD\r\n";

class CardServiceTest : public ::testing::Test {
protected:
    std::int32_t ImportCard() {
        orvane::transfer::AddressImporter importer;
        importer.ImportBytes(kCard, "card.vcf");
        return CDataSyncAddressTier(folder.DatabaseFile().string()).ReadAll().begin()->first;
    }
    TempAppFolder folder;
};

// The card and the seven columns go together: the columns as an import maps
// the card (first and middle name, the preferred address with its extended
// address and city in the street, the preferred phone).
TEST_F(CardServiceTest, SavingStoresTheCardAndTheSevenColumnsItMapsTo) {
    const std::int32_t id = ImportCard();
    CardModel model = CardService().Load(id);
    model.addresses[1].preferred = true;
    model.addresses[1].extended = "Apt 4";
    model.phones.push_back({EntryLabel::FromText("Mobile"), "+46 70 123 45 67", true, std::nullopt});
    model.emails.push_back({EntryLabel::FromText("Home"), "maja@example.se", false, std::nullopt});
    model.phones.push_back({EntryLabel::FromText("Home"), "  ", false, std::nullopt});  // an empty row is left out
    const auto fields = CardService().Save(id, model);

    const CDataSyncAddressTier::Fields expected{"Maja Elin", "Lindqvist", "Storgatan 1, Apt 4, Uppsala", "753 20", "",
                                                "Sweden", "+46 70 123 45 67"};
    EXPECT_EQ(CDataSyncAddressTier(folder.DatabaseFile().string()).ReadAll().at(id), expected);
    EXPECT_EQ(fields, (orvane::transfer::AddressFields(expected)));
    const CardModel stored = ReadCardModel(*CDataCardTier().ReadCard(id));
    EXPECT_EQ(stored.emails.at(0).value, "maja@example.se");
    EXPECT_EQ(stored.phones.size(), 2u);
    EXPECT_TRUE(std::any_of(stored.more.begin(), stored.more.end(), [](const OtherProperty& p) {
        return p.name == "Social profile" && p.value == "https://twitter.com/maja";
    }));
}

// An address typed in the window has no card until it is saved here; an
// edit in the address-book window afterwards shows in the card.
TEST_F(CardServiceTest, AnAddressWithoutACardGetsOneFromItsFieldsOnItsFirstSave) {
    const std::int32_t id = folder.InsertAddress("Ann", "Lee", "1 Main St", "12345", "", "Canada", "555-0100");
    CardModel model = CardService().Load(id);
    EXPECT_EQ(model.first + " " + model.last + " " + model.addresses.at(0).street + " " + model.phones.at(0).value,
              "Ann Lee 1 Main St 555-0100");
    EXPECT_FALSE(CDataCardTier().ReadCard(id));
    model.nickname = "Annie";
    CardService().Save(id, model);
    ASSERT_TRUE(CDataCardTier().ReadCard(id));

    folder.ExecSql("UPDATE tblAddress SET Phone = '555-0199' WHERE ID = " + std::to_string(id));
    const CardModel again = CardService().Load(id);
    EXPECT_EQ(again.nickname, "Annie");
    EXPECT_EQ(again.phones.at(0).value, "555-0199");
}

// A save marks the card as changed here for the next sync, as an edit of the
// fields is: the card differs from the one last sent or received.
TEST_F(CardServiceTest, ASavedCardOfASyncedAddressIsALocalChangeForTheNextSync) {
    const std::int32_t id = ImportCard();
    const std::string kept = *CDataCardTier().ReadCard(id);
    SyncItem item;
    item.href = "/book/maja.vcf";
    item.addressId = id;
    item.uid = "6f1c2a3e-1111-4222-8333-944455556666";
    item.etag = "\"1\"";
    item.card = kept;
    item.base = CDataSyncAddressTier(folder.DatabaseFile().string()).ReadAll().at(id);
    CDataSyncStateTier().UpsertItems({item});
    const auto edited = [] {
        std::vector<std::int32_t> ids;
        CDataCardTier().ReadEditedCards([&](std::int32_t address, const std::string&) { ids.push_back(address); });
        return ids;
    };
    EXPECT_TRUE(edited().empty());
    CDataSyncStateTier().SetAccount({"https://dav.example", "maja", "https://dav.example/book/", {}, {}, {}, {}});
    const orvane::sync::SyncAccountService account(folder.DatabaseFile().string());
    EXPECT_EQ(account.Status()->localChangesWaiting, 0u);

    CardModel model = CardService().Load(id);
    model.nickname = "Mimi";  // none of the seven fields
    CardService().Save(id, model);
    EXPECT_EQ(edited(), std::vector<std::int32_t>{id});
    EXPECT_EQ(account.Status()->localChangesWaiting, 1u);
}

// One transaction: when the seven columns cannot be stored, neither is the card.
TEST_F(CardServiceTest, AFailedSaveStoresNeitherCardNorColumns) {
    const std::int32_t id = ImportCard();
    const std::string kept = *CDataCardTier().ReadCard(id);
    CardModel model = CardService().Load(id);
    model.nickname = "Mimi";
    folder.ExecSql("CREATE TRIGGER refuse BEFORE UPDATE ON tblAddress BEGIN SELECT RAISE(ABORT, 'refused'); END");
    EXPECT_EQ(orvane::test::ErrorNumberOf([&] { CardService().Save(id, model); }), kEngineTriggerRaise);
    EXPECT_EQ(*CDataCardTier().ReadCard(id), kept);

    folder.ExecSql("DROP TRIGGER refuse");
    folder.ExecSql("DELETE FROM tblAddress WHERE ID = " + std::to_string(id));
    EXPECT_EQ(orvane::test::ErrorNumberOf([&] { CardService().Save(id, model); }), orvane::errnum::RecordNotFound);
    EXPECT_EQ(*CDataCardTier().ReadCard(id), kept);
}

}  // namespace
