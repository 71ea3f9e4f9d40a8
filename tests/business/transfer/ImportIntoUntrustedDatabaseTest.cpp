// Imports into a database file that is shared with another import, that is
// big, or whose saved query and triggers were altered by someone else: the
// summary tells what was really stored, and a crafted file cannot make an
// import run on and on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "AddressbookSchema.h"
#include "CDataTransferTier.h"
#include "DataTestSupport.h"
#include "TempAppFolder.h"
#include "adodb/WorkLimits.h"
#include "core/Variant.h"
#include "transfer/AddressImporter.h"

using orvane::test::TempAppFolder;
using orvane::transfer::AddressImporter;

namespace {

using orvane::test::SqlQuoted;
using orvane::test::LimitsFor;

// count distinct vCards, all in the same country.
std::string Cards(int count, const std::string& prefix = "Person") {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + prefix + std::to_string(i) + ";Ann\r\nADR:;;" + std::to_string(i) +
                " Main St;Ottawa;Ontario;K1A;Canada\r\nEND:VCARD\r\n";
    return text;
}

std::size_t RowCount(const std::string& database) {
    std::size_t rows = 0;
    CDataTransferTier(database).ReadAddresses([&](const orvane::Variant&) { ++rows; });
    return rows;
}

std::string AllProblems(const orvane::transfer::ImportSummary& summary) {
    std::string all;
    for (const std::string& line : summary.problems) all += line + "\n";
    return all;
}

class ImportIntoUntrustedDatabase : public ::testing::Test {
protected:
    std::string Database() const { return folder.DatabaseFile().string(); }
    void SetSaveAddress(const std::string& sql) const {
        folder.ExecSql("UPDATE SavedQueries SET SqlText = " + SqlQuoted(sql) + " WHERE Name = 'SaveAddress'");
    }
    orvane::transfer::ImportSummary Import(const std::string& text) const {
        AddressImporter importer(Database());
        importer.ImportBytes(text, "cards.vcf");
        return importer.Summary();
    }

    TempAppFolder folder;
};

const std::string kColumns = "tblAddress (FirstName, LastName, Address, PostalCode, State, Country, Phone)";

}  // namespace

// Two imports of the same file at once: the second one sees the rows of the
// first, so each address is stored once.
TEST_F(ImportIntoUntrustedDatabase, TwoImportsOfTheSameFileAtOnceStoreEachAddressOnce) {
    const std::string text = Cards(3000);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        folder.ExecSql("DELETE FROM tblAddress");
        std::atomic<int> ready{0};
        orvane::transfer::ImportSummary summaries[2];
        auto run = [&](int which) {
            AddressImporter importer(Database());
            ++ready;
            while (ready < 2) std::this_thread::yield();
            importer.ImportBytes(text, "cards.vcf");
            summaries[which] = importer.Summary();
        };
        std::thread first(run, 0), second(run, 1);
        first.join();
        second.join();
        EXPECT_EQ(RowCount(Database()), 3000u);
        EXPECT_EQ(summaries[0].imported + summaries[1].imported, 3000u);
        EXPECT_EQ(summaries[0].duplicates + summaries[1].duplicates, 3000u);
        EXPECT_TRUE(summaries[0].Clean()) << AllProblems(summaries[0]);
        EXPECT_TRUE(summaries[1].Clean()) << AllProblems(summaries[1]);
    }
}

// A saved query or trigger that stores nothing, or more than the one row it
// is given, makes the import fail: nothing of the file is stored.
TEST_F(ImportIntoUntrustedDatabase, ASaveAddressThatStoresOtherThanOneRowRefusesTheFile) {
    folder.InsertAddress("Stored", "Before", "", "", "", "Mexico");
    const std::string values = "?1, ?2, ?3, ?4, ?5, ?6, ?7";
    const std::string plain = "INSERT INTO " + kColumns + " VALUES (" + values + ")";
    struct Case {
        std::string saveAddress;
        std::string setUp;
        std::string tearDown;
    };
    const Case cases[] = {
        {"INSERT INTO " + kColumns + " SELECT " + values + " WHERE 0", "", ""},
        {plain + " ON CONFLICT DO NOTHING", "CREATE UNIQUE INDEX oneCountry ON tblAddress (Country)",
         "DROP INDEX oneCountry"},
        {"INSERT OR IGNORE INTO " + kColumns + " VALUES (" + values + ")",
         "CREATE UNIQUE INDEX oneCountry ON tblAddress (Country)", "DROP INDEX oneCountry"},
        {plain, "CREATE TRIGGER skip BEFORE INSERT ON tblAddress BEGIN SELECT RAISE(IGNORE); END", "DROP TRIGGER skip"},
        {plain, "CREATE TRIGGER copy AFTER INSERT ON tblAddress BEGIN INSERT INTO " + kColumns +
                    " SELECT FirstName, LastName, Address, PostalCode, State, Country, Phone FROM tblAddress; END",
         "DROP TRIGGER copy"},
        // Copies the whole table on each call.
        {"INSERT INTO " + kColumns + " SELECT " + values + " UNION ALL SELECT FirstName, LastName, Address, "
                                                           "PostalCode, State, Country, Phone FROM tblAddress",
         "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saveAddress + " / " + c.setUp);
        SetSaveAddress(c.saveAddress);
        if (!c.setUp.empty()) folder.ExecSql(c.setUp);
        const auto summary = Import(Cards(5));
        EXPECT_EQ(summary.imported, 0u);
        EXPECT_EQ(summary.filesRefused, 1u);
        const std::string problems = AllProblems(summary);
        EXPECT_NE(problems.find("has been altered"), std::string::npos) << problems;
        EXPECT_NE(problems.find(Database()), std::string::npos) << problems;
        EXPECT_NE(problems.find("nothing from this file was stored"), std::string::npos) << problems;
        EXPECT_EQ(RowCount(Database()), 1u);
        if (!c.tearDown.empty()) folder.ExecSql(c.tearDown);
    }
    // The sound query stores every card again.
    SetSaveAddress(plain);
    const auto summary = Import(Cards(5));
    EXPECT_EQ(summary.imported, 5u);
    EXPECT_TRUE(summary.Clean()) << AllProblems(summary);
    EXPECT_EQ(RowCount(Database()), 6u);
}

// A trigger of the file that makes every row slow, though each row stays
// inside the budget, is stopped when the file's own work of the whole
// import passes the budget.
TEST_F(ImportIntoUntrustedDatabase, ASlowTriggerIsStoppedByOneBudgetForTheWholeFile) {
    auto slowTrigger = [&](long long count) {
        folder.ExecSql("DROP TRIGGER IF EXISTS slow");
        folder.ExecSql("CREATE TRIGGER slow BEFORE INSERT ON tblAddress WHEN (WITH RECURSIVE c(x) AS (SELECT 1 UNION "
                       "ALL SELECT x + 1 FROM c WHERE x < " +
                       std::to_string(count) + ") SELECT count(*) FROM c) < 0 BEGIN SELECT 1; END");
    };
    // Make one row take a good tenth of a second on this machine.
    long long count = 20000;
    std::chrono::steady_clock::duration oneRow{};
    for (;; count *= 2) {
        slowTrigger(count);
        const auto start = std::chrono::steady_clock::now();
        const auto summary = Import(Cards(1, "Calibration" + std::to_string(count)));
        oneRow = std::chrono::steady_clock::now() - start;
        ASSERT_EQ(summary.imported, 1u) << AllProblems(summary);
        if (oneRow > std::chrono::milliseconds(100) || count > (1LL << 34)) break;
    }
    const std::size_t before = RowCount(Database());

    // Each row needs a third of the budget; twenty rows need more than six.
    const auto budget = std::chrono::duration_cast<std::chrono::milliseconds>(oneRow * 3);
    const LimitsFor limits({budget, std::size_t{64} << 20});
    const auto summary = Import(Cards(20));
    EXPECT_EQ(summary.imported, 0u);
    const std::string problems = AllProblems(summary);
    EXPECT_NE(problems.find("was stopped after"), std::string::npos) << problems;
    EXPECT_NE(problems.find(Database()), std::string::npos) << problems;
    EXPECT_EQ(RowCount(Database()), before);

    // Without the trigger the same import goes through under the same budget.
    folder.ExecSql("DROP TRIGGER slow");
    const auto sound = Import(Cards(10));
    EXPECT_EQ(sound.imported, 10u) << AllProblems(sound);
}

// The importer reads every stored address to skip duplicates; a big table
// takes long to read in all, but no single step of it does.
TEST_F(ImportIntoUntrustedDatabase, OneCardGoesIntoABigDatabaseWhateverTheReadTakesInAll) {
    AddressbookSchema::FillGenerated(Database(), 200000);
    const LimitsFor limits({std::chrono::milliseconds(150), std::size_t{64} << 20});
    const auto summary = Import(Cards(1, "Newcomer"));
    EXPECT_EQ(summary.imported, 1u) << AllProblems(summary);
    EXPECT_TRUE(summary.Clean()) << AllProblems(summary);
}
