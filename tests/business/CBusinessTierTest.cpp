#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "ErrorOf.h"
#include "CBusinessTier.h"
#include "TempAppFolder.h"
#include "StatementSpy.h"
#include "core/Error.h"

using orvane::Variant;
using orvane::test::StatementSpy;
using orvane::test::TempAppFolder;

namespace {
void Fill(CBusinessTier& b, const std::string& first) {
    b.FirstName(first);
    b.LastName("Lovelace");
    b.Address("12 St James's Square");
    b.PostalCode("SW1Y 4JH");
    b.State("London");
    b.Country("United Kingdom");
    b.Phone("+44 20 7946 0000");
}
}  // namespace

TEST(CBusinessTier, SaveOnANewObjectSendsZeroAndSevenEmptyStrings) {
    TempAppFolder folder;
    CBusinessTier b;
    StatementSpy spy;
    b.SaveAddress();
    const auto saved = spy.SavedQueries();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].text, "SaveAddress");
    ASSERT_EQ(saved[0].parameters.size(), 7u);
    for (const Variant& v : saved[0].parameters) EXPECT_EQ(v, Variant(""));
    EXPECT_EQ(b.AddressID(), 0);
    EXPECT_TRUE(b.FillList().IsArray());
}

// Seven different values, the address written through Address and read
// through Addresss untrimmed, each back in its own field.
TEST(CBusinessTier, ASavedAddressReadsBackFieldForFieldAndKeepsIdZero) {
    TempAppFolder folder;
    CBusinessTier b;
    Fill(b, "Ada");
    b.Address("  12 St James's Square  ");
    b.SaveAddress();
    EXPECT_EQ(b.AddressID(), 0);  // the new row's ID is not fetched
    CBusinessTier reader;
    reader.GetAddressDetails(reader.FillList().Array().At(0, 0).ToLong());
    EXPECT_EQ(reader.FirstName(), "Ada");
    EXPECT_EQ(reader.LastName(), "Lovelace");
    EXPECT_EQ(reader.Addresss(), "  12 St James's Square  ");
    EXPECT_EQ(reader.PostalCode(), "SW1Y 4JH");
    EXPECT_EQ(reader.State(), "London");
    EXPECT_EQ(reader.Country(), "United Kingdom");
    EXPECT_EQ(reader.Phone(), "+44 20 7946 0000");
}

TEST(CBusinessTier, UpdateSendsTheIdAsAnIntegerLast) {
    TempAppFolder folder;
    int id = folder.InsertAddress("Ada", "Byron");
    CBusinessTier b;
    b.AddressID(id);
    Fill(b, "Ada");
    StatementSpy spy;
    b.SaveAddress();
    const auto& p = spy.records.at(0).parameters;
    EXPECT_EQ(spy.records[0].text, "UpdateAddress");
    ASSERT_EQ(p.size(), 8u);
    EXPECT_EQ(p[7], Variant(id));
    EXPECT_EQ(p[7].GetKind(), Variant::Kind::Long);
    CBusinessTier reader;
    reader.GetAddressDetails(id);
    EXPECT_EQ(reader.LastName(), "Lovelace");
}

TEST(CBusinessTier, GetAddressDetailsLoadsTextFieldsAndLeavesTheIdAlone) {
    TempAppFolder folder;
    folder.InsertAddress("Alan", "Turing");
    int nine = folder.InsertAddress("Grace", "Hopper", "Arlington", "22201", "Virginia", "United States", "555-0100");
    CBusinessTier b;
    b.AddressID(5);
    b.GetAddressDetails(nine);
    EXPECT_EQ(b.AddressID(), 5);
    EXPECT_EQ(b.FirstName(), "Grace");
    EXPECT_EQ(b.LastName(), "Hopper");
    EXPECT_EQ(b.Addresss(), "Arlington");
    EXPECT_EQ(b.PostalCode(), "22201");
    EXPECT_EQ(b.State(), "Virginia");
    EXPECT_EQ(b.Country(), "United States");
    EXPECT_EQ(b.Phone(), "555-0100");
}

TEST(CBusinessTier, NullFieldsReadBackAsEmptyStrings) {
    TempAppFolder folder;
    folder.ExecSql("INSERT INTO tblAddress (FirstName) VALUES ('Ada')");
    CBusinessTier b;
    b.Phone("old");
    int id = b.FillList().Array().At(0, 0).ToLong();
    b.GetAddressDetails(id);
    EXPECT_EQ(b.FirstName(), "Ada");
    EXPECT_EQ(b.LastName(), "");
    EXPECT_EQ(b.Phone(), "");
}

TEST(CBusinessTier, ReadingAnAddressNoLongerStoredFailsClearlyAndChangesNothing) {
    TempAppFolder folder;
    CBusinessTier b;
    Fill(b, "Kept");
    const orvane::Error e = orvane::test::ErrorOf([&] { b.GetAddressDetails(777); });
    EXPECT_NE(e.Description().find("no longer stored"), std::string::npos) << e.Description();
    EXPECT_EQ(b.FirstName(), "Kept");
    EXPECT_EQ(b.Phone(), "+44 20 7946 0000");
}

TEST(CBusinessTier, DeleteLeavesTheFieldsAndAFailedSaveChangesNoField) {
    TempAppFolder folder;
    int id = folder.InsertAddress("Ada", "Lovelace");
    CBusinessTier b;
    b.GetAddressDetails(id);
    b.DeleteAddress(id);
    EXPECT_EQ(b.FirstName(), "Ada");
    EXPECT_TRUE(b.FillList().IsEmpty());

    folder.ExecSql("DROP TABLE SavedQueries");
    Fill(b, "Typed");
    EXPECT_EQ(orvane::test::ErrorNumberOf([&] { b.SaveAddress(); }), orvane::test::kEngineError);
    EXPECT_EQ(b.FirstName(), "Typed");
    EXPECT_EQ(b.AddressID(), 0);
}

TEST(CBusinessTier, TheStartUpBackupIsTodaysCopyMadeOnce) {
    orvane::test::TempAppFolder folder;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char name[64];
    std::strftime(name, sizeof name, "Addressbook-%Y%m%d.mdb", &local);
    EXPECT_EQ(CBusinessTier::MakeDailyBackup(), "");
    EXPECT_EQ(CBusinessTier::MakeDailyBackup(), "");
    std::vector<std::string> made;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Root() / "Database" / "Backups"))
        made.push_back(entry.path().filename().string());
    EXPECT_EQ(made, std::vector<std::string>{name});
}
