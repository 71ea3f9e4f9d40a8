#include <gtest/gtest.h>

#include <filesystem>

#include "AddressbookSchema.h"
#include "CDataTier.h"
#include "ErrorOf.h"
#include "TempAppFolder.h"
#include "adodb/ErrorNumbers.h"
#include "core/App.h"
#include "core/Error.h"

using namespace orvane::test;
namespace aderr = orvane::adodb::aderr;

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
    // Closed now: the string is built again, from the folder that has no database.
    EXPECT_EQ(ErrorNumberOf([&] { tier.OpenDB(); }), kEngineCantOpen);
}

// Retrieve and Update never open the connection; CloseDB really closes it,
// and closing a closed connection does nothing.
TEST(CDataTier, RetrieveAndUpdateNeedAnOpenConnectionAndCloseDBClosesIt) {
    TempAppFolder folder;
    CDataTier tier;
    const auto refusedWhileClosed = [&] {
        EXPECT_EQ(ErrorNumberOf([&] { tier.Retrieve("SELECT ID FROM tblAddress"); }), aderr::ObjectClosed);
        EXPECT_EQ(ErrorNumberOf([&] { tier.Update("DELETE * FROM tblAddress"); }), aderr::ObjectClosed);
    };
    refusedWhileClosed();
    EXPECT_NO_THROW(tier.CloseDB());
    tier.OpenDB();
    tier.Update("DELETE * FROM tblAddress");
    tier.CloseDB();
    refusedWhileClosed();
    EXPECT_NO_THROW(tier.CloseDB());
}

TEST(CDataTier, MissingDatabaseFileFailsAndCreatesNothing) {
    TempAppFolder folder(false);
    CDataTier tier;
    const orvane::Error e = orvane::test::ErrorOf([&] { tier.OpenDB(); });
    EXPECT_NE(e.Number(), 0);
    EXPECT_NE(e.Description().find("Addressbook.mdb"), std::string::npos) << e.Description();
    EXPECT_FALSE(std::filesystem::exists(folder.DatabaseFile()));
    // A failed open leaves the connection closed; the next open tries again.
    AddressbookSchema::CreateDatabase(folder.DatabaseFile().string());
    EXPECT_NO_THROW(tier.OpenDB());
    tier.CloseDB();
}
