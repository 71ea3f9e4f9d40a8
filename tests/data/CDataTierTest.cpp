#include <gtest/gtest.h>

#include <filesystem>

#include "AddressbookSchema.h"
#include "CDataTier.h"
#include "TempAppFolder.h"
#include "core/App.h"
#include "core/Error.h"

using orvane::test::TempAppFolder;

TEST(CDataTier, OpenTwiceKeepsTheOpenConnection) {
    TempAppFolder folder;
    folder.InsertAddress("Ada", "Lovelace");
    CDataTier tier;
    tier.OpenDB();
    // Were the string rebuilt, the second open would fail on this folder.
    orvane::App::SetPath("/nonexistent-orvane-folder");
    EXPECT_NO_THROW(tier.OpenDB());
    auto rst = tier.Retrieve("SELECT FirstName FROM tblAddress");
    EXPECT_EQ(rst->GetRows(-1).Array().At(0, 0).Text(), "Ada");
    rst.reset();
    tier.CloseDB();
    EXPECT_THROW(tier.OpenDB(), orvane::Error);  // closed now: the string is built again
}

TEST(CDataTier, CloseWithoutOpenAndRepeatedCloseDoNothing) {
    TempAppFolder folder;
    CDataTier tier;
    EXPECT_NO_THROW(tier.CloseDB());
    tier.OpenDB();
    tier.CloseDB();
    EXPECT_NO_THROW(tier.CloseDB());
}

TEST(CDataTier, RetrieveAndUpdateDoNotOpenTheConnection) {
    TempAppFolder folder;
    CDataTier tier;
    EXPECT_THROW(tier.Retrieve("SELECT ID FROM tblAddress"), orvane::Error);
    EXPECT_THROW(tier.Update("DELETE * FROM tblAddress"), orvane::Error);
}

TEST(CDataTier, MissingDatabaseFileFailsAndCreatesNothing) {
    TempAppFolder folder(false);
    CDataTier tier;
    try {
        tier.OpenDB();
        FAIL() << "opened a missing database";
    } catch (const orvane::Error& e) {
        EXPECT_NE(e.Number(), 0);
        EXPECT_NE(e.Description().find("Addressbook.mdb"), std::string::npos) << e.Description();
    }
    EXPECT_FALSE(std::filesystem::exists(folder.DatabaseFile()));
    // A failed open leaves the connection closed; the next open tries again.
    AddressbookSchema::CreateDatabase(folder.DatabaseFile().string());
    EXPECT_NO_THROW(tier.OpenDB());
    tier.CloseDB();
}
