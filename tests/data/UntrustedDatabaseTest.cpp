// A database file from someone else or damaged by another program: its
// saved queries, views and triggers cannot write where they must not, cannot
// hold the window forever, and a damaged file takes no more writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "AddressbookSchema.h"
#include "CDataDBTier.h"
#include "CDataTier.h"
#include "DatabaseBackup.h"
#include "DataTestSupport.h"
#include "TempAppFolder.h"
#include "adodb/Command.h"
#include "adodb/WorkLimits.h"
#include "core/App.h"
#include "core/Error.h"

using orvane::Variant;
using orvane::VariantArray;
using orvane::test::TempAppFolder;
namespace fs = std::filesystem;

namespace {

using orvane::test::AddressRecord;
using orvane::test::ErrorText;
using orvane::test::SqlQuoted;
using orvane::test::FileBytes;
using orvane::test::LimitsFor;

class UntrustedDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        ada = folder.InsertAddress("Ada", "Lovelace");
        folder.InsertAddress("Alan", "Turing");
    }
    void SetQuery(const std::string& name, const std::string& sql) {
        folder.ExecSql("UPDATE SavedQueries SET SqlText = " + SqlQuoted(sql) + " WHERE Name = '" + name + "'");
    }
    Variant List() { return tier.FillList(); }

    TempAppFolder folder;
    CDataDBTier tier;
    int ada = 0;
};

}  // namespace

TEST_F(UntrustedDatabase, AlteredSavedQueriesAreRefusedAndWriteNothing) {
    const std::string copy = (folder.Root() / "Lists" / "authorized_keys").string();
    const std::string seven = "?1||?2||?3||?4||?5||?6||?7";
    const std::string columns = "tblAddress (FirstName, LastName, Address, PostalCode, State, Country, Phone)";
    const std::pair<std::string, std::string> cases[] = {
        {"SaveAddress", "VACUUM INTO " + SqlQuoted(copy) + " || substr(" + seven + ",1,0)"},
        {"SaveAddress", "DELETE FROM tblAddress WHERE (" + seven + ") IS NOT 0"},
        {"SaveAddress", "UPDATE tblAddress SET FirstName = ?1 WHERE (?2||?3||?4||?5||?6||?7) IS NOT 0"},
        {"SaveAddress", "ATTACH " + SqlQuoted(copy) + " || substr(" + seven + ",1,0) AS other"},
        {"SaveAddress", "INSERT INTO " + columns +
                            " VALUES (coalesce(hex(fts3_tokenizer('simple')), ?1), ?2, ?3, ?4, ?5, ?6, ?7)"},
        // A replacing insert deletes the row it collides with.
        {"SaveAddress", "INSERT OR REPLACE INTO tblAddress (ID, FirstName, LastName, Address, PostalCode, State, "
                        "Country, Phone) VALUES (1, ?1, ?2, ?3, ?4, ?5, ?6, ?7)"},
        {"SaveAddress", "REPLACE INTO tblAddress (ID, FirstName, LastName, Address, PostalCode, State, "
                        "Country, Phone) VALUES (1, ?1, ?2, ?3, ?4, ?5, ?6, ?7)"},
        {"UpdateAddress", "INSERT INTO " + columns + " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7 || substr(?8,1,0))"},
        {"UpdateAddress", "DELETE FROM tblAddress WHERE ID <> ?8 AND (" + seven + ") IS NOT 0"},
    };
    const Variant before = List();
    for (const auto& [name, sql] : cases) {
        SCOPED_TRACE(sql);
        SetQuery(name, sql);
        const std::string error = ErrorText([&] { tier.SaveAddress(AddressRecord(name == "SaveAddress" ? 0 : ada, "Eve")); });
        EXPECT_NE(error.find("saved query '" + name + "'"), std::string::npos) << error;
        EXPECT_NE(error.find("has been altered"), std::string::npos) << error;
        EXPECT_NE(error.find(folder.DatabaseFile().string()), std::string::npos) << error;
        EXPECT_EQ(List(), before);
        EXPECT_FALSE(fs::exists(copy));
    }
}

TEST_F(UntrustedDatabase, TheFilesViewsAndTriggersOnlyRead) {
    const Variant before = List();
    folder.ExecSql("CREATE TRIGGER wipe AFTER INSERT ON tblAddress BEGIN DELETE FROM tblAddress WHERE ID <> new.ID; END");
    EXPECT_NE(ErrorText([&] { tier.SaveAddress(AddressRecord(0, "Eve")); }).find("trigger 'wipe' would delete"), std::string::npos);
    folder.ExecSql("DROP TRIGGER wipe");
    folder.ExecSql("CREATE TRIGGER spread AFTER DELETE ON tblAddress BEGIN DELETE FROM tblAddress; END");
    EXPECT_NE(ErrorText([&] { tier.DeleteAddress(ada); }).find("'spread'"), std::string::npos);
    EXPECT_EQ(List(), before);
    folder.ExecSql("DROP TRIGGER spread");

    // A view in place of the table cannot reach process memory.
    folder.ExecSql("ALTER TABLE tblAddress RENAME TO tblReal");
    folder.ExecSql("CREATE VIEW tblAddress AS SELECT ID, hex(fts3_tokenizer('simple')) AS FirstName, LastName FROM tblReal");
    EXPECT_NE(ErrorText([&] { List(); }).find("fts3_tokenizer"), std::string::npos);
}

TEST_F(UntrustedDatabase, TheDataTiersConnectionsRunDefensivelyAndSyncTheFolder) {
    CDataTier data;
    data.OpenDB();
    auto setting = [&](const std::string& pragma) { return data.Retrieve("PRAGMA " + pragma)->GetRows(-1).Array().At(0, 0); };
    EXPECT_EQ(setting("synchronous"), Variant(3));  // EXTRA
    EXPECT_EQ(setting("trusted_schema"), Variant(0));
    EXPECT_EQ(setting("journal_mode"), Variant("delete"));
    data.CloseDB();
}

TEST_F(UntrustedDatabase, EndlessQueriesAndViewsStopWithAnError) {
    SetQuery("SaveAddress",
             "INSERT INTO tblAddress (FirstName, LastName, Address, PostalCode, State, Country, Phone) "
             "SELECT ?1, ?2, ?3, ?4, ?5, ?6, ?7 WHERE (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
             "SELECT max(x) FROM c) > 0");
    const Variant before = List();
    const std::string endless = ErrorText([&] { tier.SaveAddress(AddressRecord(0, "Eve")); });
    EXPECT_NE(endless.find("was stopped after 5 seconds"), std::string::npos) << endless;
    EXPECT_NE(endless.find(folder.DatabaseFile().string()), std::string::npos) << endless;
    EXPECT_EQ(List(), before);

    const LimitsFor quick({std::chrono::milliseconds(300), std::size_t{32} << 20});
    folder.ExecSql("ALTER TABLE tblAddress RENAME TO tblReal");
    folder.ExecSql("CREATE VIEW tblAddress AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                   "SELECT x AS ID, 'a' AS FirstName, 'b' AS LastName FROM c WHERE x < 0");
    EXPECT_NE(ErrorText([&] { List(); }).find("was stopped"), std::string::npos);
    folder.ExecSql("DROP VIEW tblAddress");
    folder.ExecSql("CREATE VIEW tblAddress AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                   "SELECT x AS ID, printf('%.*c', 4000000, 'x') AS FirstName, 'b' AS LastName FROM c");
    const std::string huge = ErrorText([&] { List(); });
    EXPECT_NE(huge.find("Out of memory"), std::string::npos) << huge;

    // The same tier works on once the file is sound again.
    folder.ExecSql("DROP VIEW tblAddress");
    folder.ExecSql("ALTER TABLE tblReal RENAME TO tblAddress");
    EXPECT_EQ(List(), before);
}

TEST_F(UntrustedDatabase, ADamagedFileTakesNoMoreWritesAndNamesTheNewestBackup) {
    AddressbookSchema::FillGenerated(folder.DatabaseFile().string(), 10000);
    ASSERT_EQ(DatabaseBackup::MakeDaily(std::chrono::year_month_day(std::chrono::year(2026) / 11 / 30)), "");
    ASSERT_EQ(DatabaseBackup::MakeDaily(std::chrono::year_month_day(std::chrono::year(2026) / 12 / 1)), "");
    const std::string newest = (folder.Root() / "Database" / "Backups" / "Addressbook-20261201.mdb").string();

    // Overwrite one page in the middle of the table with garbage.
    const auto size = fs::file_size(folder.DatabaseFile());
    {
        std::fstream file(folder.DatabaseFile(), std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(static_cast<std::streamoff>((size / 4096 / 2) * 4096));
        const std::string garbage(4096, '\xA5');
        file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    }
    const std::string damaged = FileBytes(folder.DatabaseFile());

    const std::string read = ErrorText([&] { List(); });
    EXPECT_NE(read.find("is damaged"), std::string::npos) << read;
    EXPECT_NE(read.find(newest), std::string::npos) << read;
    for (const auto& write : std::vector<std::function<void()>>{[&] { tier.SaveAddress(AddressRecord(0, "Eve")); },
                                                                 [&] { tier.SaveAddress(AddressRecord(ada, "Eve")); },
                                                                 [&] { tier.DeleteAddress(ada); }}) {
        const std::string error = ErrorText(write);
        EXPECT_NE(error.find(folder.DatabaseFile().string() + "' is damaged"), std::string::npos) << error;
        EXPECT_NE(error.find(newest), std::string::npos) << error;
    }
    // Below the data tier too.
    orvane::adodb::Command cmd;
    cmd.SetActiveConnection(folder.ConnectionString());
    cmd.SetCommandText("SaveAddress");
    const std::string below = ErrorText([&] { cmd.Execute({"a", "b", "c", "d", "e", "f", "g"}); });
    EXPECT_NE(below.find("is damaged"), std::string::npos) << below;
    EXPECT_NE(below.find(newest), std::string::npos) << below;
    EXPECT_EQ(FileBytes(folder.DatabaseFile()), damaged);

    // No backup is made of a damaged file; the failure is told, not raised.
    const std::string backup = DatabaseBackup::MakeDaily(std::chrono::year_month_day(std::chrono::year(2026) / 12 / 2));
    EXPECT_NE(backup.find("is damaged"), std::string::npos) << backup;
    EXPECT_EQ(DatabaseBackup::Newest(), newest);
}

TEST_F(UntrustedDatabase, OneBackupADayTheNewestSevenKept) {
    using namespace std::chrono;
    const fs::path backups = folder.Root() / "Database" / "Backups";
    for (unsigned d = 1; d <= 9; ++d) ASSERT_EQ(DatabaseBackup::MakeDaily(year(2026) / 12 / d), "");
    folder.InsertAddress("Grace", "Hopper");
    ASSERT_EQ(DatabaseBackup::MakeDaily(year(2026) / 12 / 9), "");  // today's copy exists: left alone

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(backups)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Addressbook-20261203.mdb", "Addressbook-20261204.mdb",
                                               "Addressbook-20261205.mdb", "Addressbook-20261206.mdb",
                                               "Addressbook-20261207.mdb", "Addressbook-20261208.mdb",
                                               "Addressbook-20261209.mdb"}));
    // The copy is a sound database holding the rows of its day.
    TempAppFolder restored(false);
    fs::copy_file(backups / "Addressbook-20261209.mdb", restored.DatabaseFile());
    EXPECT_EQ(CDataDBTier().FillList().Array().UBound(2), 1);

    // A backup that cannot be made is told, never raised.
    TempAppFolder blocked;
    blocked.WriteFile("Database/Backups", "a file where the folder belongs");
    EXPECT_NE(DatabaseBackup::MakeDaily(year(2026) / 12 / 9).find("not made"), std::string::npos);
}

// The application folder goes into the connection strings as it is; any
// name a user can give a folder must reach the database inside it.
TEST(OddFolderNames, TheDataTierWorksInAnyFolder) {
    const TempAppFolder base(false);
    const std::string names[] = {"semi;colon",    "back\\slash",        "a;Mode=Read",   "x;Persist Security Info=False;y",
                                 "q\"uote'd",     "ends;",              "a;Data Source=b", "  blank ;",
                                 "=;=",           "Provider=Other;p"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const fs::path root = base.Root() / name;
        fs::create_directories(root / "Database");
        orvane::App::SetPath(root.string());
        AddressbookSchema::CreateDatabase((root / "Database" / "Addressbook.mdb").string());
        CDataDBTier tier;
        ASSERT_NO_THROW(tier.SaveAddress(AddressRecord(0, "Zoe")));
        const Variant list = tier.FillList();
        ASSERT_FALSE(list.IsEmpty());
        EXPECT_EQ(list.Array().At(1, 0), Variant("Zoe, f2"));
        EXPECT_EQ(tier.GetAddressDetails(list.Array().At(0, 0).ToLong()).Array().At(1, 0), Variant("Zoe"));
        tier.DeleteAddress(list.Array().At(0, 0).ToLong());
        EXPECT_TRUE(tier.FillList().IsEmpty());
    }
    orvane::App::SetPath(base.Path());
}
