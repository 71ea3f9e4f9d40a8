// What one save of the window really stored, how long a read of many rows
// may take, and that failures name the database file.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "AddressbookSchema.h"
#include "CDataDBTier.h"
#include "CDataTransferTier.h"
#include "DataTestSupport.h"
#include "TempAppFolder.h"
#include "adodb/Command.h"
#include "adodb/WorkLimits.h"
#include "core/Error.h"

using orvane::Variant;
using orvane::VariantArray;
using orvane::test::TempAppFolder;

namespace {

using orvane::test::AddressRecord;
using orvane::test::ErrorText;
using orvane::test::SqlQuoted;
using orvane::test::LimitsFor;

const std::string kColumns = "tblAddress (FirstName, LastName, Address, PostalCode, State, Country, Phone)";
const std::string kValues = "?1, ?2, ?3, ?4, ?5, ?6, ?7";

class WindowSave : public ::testing::Test {
protected:
    void SetUp() override {
        // Ada's country is the one every new address here has.
        ada = folder.InsertAddress("Ada", "Lovelace", "", "", "", "f6");
        folder.InsertAddress("Alan", "Turing", "", "", "", "UK");
    }
    void SetQuery(const std::string& name, const std::string& sql) {
        folder.ExecSql("UPDATE SavedQueries SET SqlText = " + SqlQuoted(sql) + " WHERE Name = '" + name + "'");
    }

    TempAppFolder folder;
    CDataDBTier tier;
    int ada = 0;
};

}  // namespace

TEST_F(WindowSave, ASaveThatStoresOtherThanOneRowIsRefusedAndLeavesTheTableAsItWas) {
    struct Case {
        std::string query, sql, setUp, tearDown;
    };
    const std::string update =
        "UPDATE tblAddress SET FirstName = ?1, LastName = ?2, Address = ?3, PostalCode = ?4, State = ?5, Country = ?6, "
        "Phone = ?7 WHERE ID = ?8";
    const Case cases[] = {
        {"SaveAddress", "INSERT INTO " + kColumns + " SELECT " + kValues + " WHERE 0", "", ""},
        {"SaveAddress", "INSERT INTO " + kColumns + " VALUES (" + kValues + ") ON CONFLICT DO NOTHING",
         "CREATE UNIQUE INDEX oneCountry ON tblAddress (Country)", "DROP INDEX oneCountry"},
        {"SaveAddress", "INSERT INTO " + kColumns + " VALUES (" + kValues + ")",
         "CREATE TRIGGER skip BEFORE INSERT ON tblAddress BEGIN SELECT RAISE(IGNORE); END", "DROP TRIGGER skip"},
        {"SaveAddress", "INSERT INTO " + kColumns + " SELECT " + kValues +
                            " UNION ALL SELECT FirstName, LastName, Address, PostalCode, State, Country, Phone FROM "
                            "tblAddress",
         "", ""},
        {"UpdateAddress", update + " AND 0", "", ""},
        {"UpdateAddress", update + " OR ID <> ?8", "", ""},
        {"UpdateAddress", update, "CREATE TRIGGER skip BEFORE UPDATE ON tblAddress BEGIN SELECT RAISE(IGNORE); END",
         "DROP TRIGGER skip"},
    };
    const Variant before = tier.FillList();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql + " / " + c.setUp);
        if (!c.setUp.empty()) folder.ExecSql(c.setUp);
        SetQuery(c.query, c.sql);
        const std::string error =
            ErrorText([&] { tier.SaveAddress(AddressRecord(c.query == "SaveAddress" ? 0 : ada, "Eve")); });
        EXPECT_NE(error.find("saved query '" + c.query + "'"), std::string::npos) << error;
        EXPECT_NE(error.find("has been altered"), std::string::npos) << error;
        EXPECT_NE(error.find(folder.DatabaseFile().string()), std::string::npos) << error;
        EXPECT_EQ(tier.FillList(), before);
        if (!c.tearDown.empty()) folder.ExecSql(c.tearDown);
    }
    SetQuery("SaveAddress", "INSERT INTO " + kColumns + " VALUES (" + kValues + ")");
    SetQuery("UpdateAddress", update);
    // An ID that no row has any more is no error; a sound save stores one row.
    EXPECT_EQ(ErrorText([&] { tier.SaveAddress(AddressRecord(99999, "Nobody")); }), "(no error)");
    EXPECT_EQ(ErrorText([&] { tier.SaveAddress(AddressRecord(ada, "Ada")); }), "(no error)");
    EXPECT_EQ(ErrorText([&] { tier.SaveAddress(AddressRecord(0, "Eve")); }), "(no error)");
    EXPECT_EQ(tier.FillList().Array().UBound(2), 2);
}

// The budget is engine time per step of the program's own statements: time
// the caller spends between rows does not count, however many rows.
TEST(ReadBudget, ARowByRowReadWithPausesBetweenRowsCompletes) {
    TempAppFolder folder;
    AddressbookSchema::FillGenerated(folder.DatabaseFile().string(), 2500);
    const LimitsFor limits({std::chrono::milliseconds(250), std::size_t{64} << 20});
    std::size_t rows = 0;
    const std::string error = ErrorText([&] {
        CDataTransferTier().ReadAddresses([&](const Variant&) {
            if (++rows % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(40));
        });
    });
    EXPECT_EQ(error, "(no error)");
    EXPECT_EQ(rows, 2500u);
}

// A view of the file that yields nothing for ever is still stopped, in the
// window and in a read of every address alike.
TEST(ReadBudget, AnEndlessViewIsStillStopped) {
    TempAppFolder folder;
    folder.InsertAddress("Ada", "Lovelace");
    const LimitsFor limits({std::chrono::milliseconds(300), std::size_t{64} << 20});
    folder.ExecSql("ALTER TABLE tblAddress RENAME TO tblReal");
    folder.ExecSql("CREATE VIEW tblAddress AS SELECT * FROM tblReal UNION ALL SELECT * FROM (WITH RECURSIVE c(x) AS "
                   "(SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x, 'a', 'b', '', '', '', '', '' FROM c WHERE x < 0)");
    const std::string read = ErrorText([&] { CDataTransferTier().ReadAddresses([](const Variant&) {}); });
    EXPECT_NE(read.find("was stopped after"), std::string::npos) << read;
    EXPECT_NE(read.find(folder.DatabaseFile().string()), std::string::npos) << read;
    const std::string list = ErrorText([&] { CDataDBTier().FillList(); });
    EXPECT_NE(list.find("was stopped after"), std::string::npos) << list;
}

// A view whose every row is slow, though each stays inside the budget, is
// stopped when the file's own work passes the budget in all.
TEST(ReadBudget, AViewThatIsSlowOnEveryRowIsStoppedInAll) {
    TempAppFolder folder;
    folder.InsertAddress("Name0", "Last");
    folder.ExecSql("ALTER TABLE tblAddress RENAME TO tblReal");
    folder.ExecSql("CREATE VIEW tblAddress AS SELECT * FROM tblReal WHERE (SELECT count(*) FROM (WITH RECURSIVE c(x) AS "
                   "(SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 400000 + 0 * tblReal.ID) SELECT x FROM c)) > 0");
    // One row's work, measured with the normal budget.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(ErrorText([&] { CDataTransferTier().ReadAddresses([](const Variant&) {}); }), "(no error)");
    const auto oneRow = std::chrono::steady_clock::now() - start;
    for (int i = 1; i < 40; ++i)
        folder.ExecSql("INSERT INTO tblReal (FirstName, LastName) VALUES ('Name" + std::to_string(i) + "', 'Last')");
    const LimitsFor limits(
        {std::chrono::duration_cast<std::chrono::milliseconds>(oneRow * 5) + std::chrono::milliseconds(1),
         std::size_t{64} << 20});
    const std::string read = ErrorText([&] { CDataTransferTier().ReadAddresses([](const Variant&) {}); });
    EXPECT_NE(read.find("was stopped after"), std::string::npos) << read;
}

// A file this user may only read: the failure names it and says why.
TEST(DatabaseFailures, AReadOnlyDatabaseIsNamedInTheError) {
    TempAppFolder folder;
    orvane::adodb::Command cmd;
    cmd.SetActiveConnection("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder.DatabaseFile().string() +
                            ";Mode=Read;");
    cmd.SetCommandText("SaveAddress");
    const std::string error = ErrorText([&] { cmd.Execute({"a", "b", "c", "d", "e", "f", "g"}); });
    EXPECT_NE(error.find(folder.DatabaseFile().string()), std::string::npos) << error;
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
}
