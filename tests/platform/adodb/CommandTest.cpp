#include <gtest/gtest.h>

#include "AdodbTestSupport.h"
#include "adodb/ErrorNumbers.h"
#include "adodb/StatementLog.h"

using namespace orvane::adodb;
using namespace orvane::adodb::test;
using orvane::Variant;
using orvane::VariantArray;

namespace {

std::vector<Variant> Fields(std::vector<Variant> values) { return values; }

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override { CreateDatabaseFile(database_, kAddressSchema); }

    void Run(const std::string& query, const std::vector<Variant>& values) {
        Command cmd;
        cmd.SetActiveConnection(ConnectionStringFor(database_));
        cmd.SetCommandText(query);
        cmd.Execute(values, adOptionUnspecified);
    }

    Variant Stored() {
        Connection connection;
        connection.Open(ConnectionStringFor(database_));
        return ReadAll(connection, "SELECT * FROM tblAddress ORDER BY ID");
    }

    TempDir dir_;
    std::string database_ = dir_.File("Addressbook.mdb");
};

}  // namespace

TEST_F(CommandTest, SavedQueriesInsertAndUpdateByPosition) {
    Run("SaveAddress", Fields({"Ann", "Lee", "1 Main St", "K1A 0B1", "Ontario", "Canada", "555-0100"}));
    Run("saveaddress", Fields({"Bo", "", "", "", "", "", ""}));  // names are found in any case
    Run("UpdateAddress", Fields({"Anne", "Leigh", "2 Main St", "K1A 0B2", "Quebec", "Canada", "555-0101", 1}));

    const Variant rows = Stored();
    ASSERT_EQ(rows.Array().UBound(2), 1);
    for (std::int32_t i = 0; i <= 7; ++i) {
        const Variant expected[] = {1, "Anne", "Leigh", "2 Main St", "K1A 0B2", "Quebec", "Canada", "555-0101"};
        EXPECT_EQ(rows.Array().At(i, 0), expected[i]) << "field " << i;
    }
    EXPECT_EQ(rows.Array().At(2, 1), Variant(""));  // blank stays empty text, not null
    Run("UpdateAddress", Fields({"X", "", "", "", "", "", "", 999}));  // no such row: changes nothing
    EXPECT_EQ(Stored(), rows);
}

TEST_F(CommandTest, TheValueCountMustMatchTheQuery) {
    const auto fewer = ErrorOf([&] { Run("SaveAddress", Fields({"Ann", "Lee"})); });
    EXPECT_EQ(fewer.Number(), aderr::ParameterMissing);
    EXPECT_NE(fewer.Description().find("No value given for one or more required parameters."), std::string::npos);
    const auto more = ErrorOf([&] { Run("SaveAddress", Fields({"1", "2", "3", "4", "5", "6", "7", 8})); });
    EXPECT_NE(more.Description().find("Too many parameters"), std::string::npos) << more.Description();
    EXPECT_THROW(Run("UpdateAddress", {}), orvane::Error);
    EXPECT_TRUE(Stored().IsEmpty());
}

TEST_F(CommandTest, MissingQueriesAndAMissingQueryTable) {
    const auto missing = ErrorOf([&] { Run("DeleteAddress", {}); });
    EXPECT_EQ(missing.Description(), "The saved query 'DeleteAddress' does not exist.");

    {
        Connection connection;
        connection.Open(ConnectionStringFor(database_));
        connection.Execute("DROP TABLE SavedQueries");
    }
    const auto noTable = ErrorOf([&] { Run("SaveAddress", Fields({"1", "2", "3", "4", "5", "6", "7"})); });
    EXPECT_NE(noTable.Description().find("no such table: SavedQueries"), std::string::npos) << noTable.Description();
    EXPECT_NE(noTable.Description().find("'SaveAddress'"), std::string::npos) << noTable.Description();
}

TEST_F(CommandTest, AQueryWhoseSqlDisagreesWithItsCountIsRefused) {
    {
        Connection connection;
        connection.Open(ConnectionStringFor(database_));
        connection.Execute("INSERT INTO SavedQueries VALUES ('Odd', 1, 'INSERT INTO tblAddress (FirstName, LastName) VALUES (?1, ?2)')");
    }
    EXPECT_THROW(Run("Odd", Fields({"A"})), orvane::Error);
    EXPECT_TRUE(Stored().IsEmpty());
}

TEST_F(CommandTest, ValuesAreBoundNeverPasted) {
    const std::vector<std::string> awkward = {
        "O'Brien \"Bob\"", "a; b; c;", "line one\nline two\r\n", "Zoë, Łódź, 東京, 🙂",
        std::string(10000, 'w'), "x'); DROP TABLE tblAddress; --", "?1 ?2 :name @p"};
    std::vector<Variant> values(awkward.begin(), awkward.end());
    Run("SaveAddress", values);
    const Variant rows = Stored();
    for (std::size_t i = 0; i < awkward.size(); ++i)
        EXPECT_EQ(rows.Array().At(static_cast<std::int32_t>(i) + 1, 0), Variant(awkward[i])) << "value " << i;
}

TEST_F(CommandTest, EmptyAndNullBindAsNullAndArraysAreRefused) {
    Run("SaveAddress", Fields({Variant(), Variant::Null(), 7, "", "", "", ""}));
    const Variant rows = Stored();
    EXPECT_TRUE(rows.Array().At(1, 0).IsNull());
    EXPECT_TRUE(rows.Array().At(2, 0).IsNull());
    EXPECT_EQ(rows.Array().At(3, 0), Variant("7"));  // the column keeps text

    const auto error = ErrorOf([&] {
        Run("SaveAddress", Fields({Variant(VariantArray(0, 0, 0, 0)), "", "", "", "", "", ""}));
    });
    EXPECT_EQ(error.Number(), orvane::errnum::TypeMismatch);
}

TEST_F(CommandTest, ACommandNeedsAConnectionAndAQueryName) {
    Command bare;
    bare.SetCommandText("SaveAddress");
    EXPECT_EQ(ErrorOf([&] { bare.Execute({}); }).Number(), aderr::InvalidConnection);

    Command unnamed;
    unnamed.SetActiveConnection(ConnectionStringFor(database_));
    EXPECT_EQ(ErrorOf([&] { unnamed.Execute({}); }).Number(), aderr::NoCommandText);

    Command nowhere;
    const std::string missing = dir_.File("Missing.mdb");
    EXPECT_THROW(nowhere.SetActiveConnection(ConnectionStringFor(missing)), orvane::Error);
    EXPECT_FALSE(std::filesystem::exists(missing));
    nowhere.SetCommandText("SaveAddress");
    EXPECT_EQ(ErrorOf([&] { nowhere.Execute({}); }).Number(), aderr::InvalidConnection);
}

TEST_F(CommandTest, TheObserverSeesTheNameAndTheValuesAsGiven) {
    std::vector<StatementRecord> seen;
    SetStatementObserver([&](const StatementRecord& r) { seen.push_back(r); });
    Run("SaveAddress", Fields({"A", "B", "", "", "", "", ""}));
    SetStatementObserver({});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "SaveAddress");
    EXPECT_TRUE(seen[0].savedQuery);
    EXPECT_EQ(seen[0].parameters.size(), 7u);
}

TEST(CreateDatabaseFile, RefusesAnExistingFileAndLeavesItAlone) {
    TempDir dir;
    const std::string path = dir.File("Addressbook.mdb");
    const std::string bytes = "precious bytes";
    std::ofstream(path, std::ios::binary) << bytes;
    const auto error = ErrorOf([&] { CreateDatabaseFile(path, kAddressSchema); });
    EXPECT_NE(error.Description().find(path), std::string::npos) << error.Description();
    EXPECT_EQ(FileBytes(path), bytes);

    std::filesystem::create_symlink(dir.File("elsewhere.mdb"), dir.File("link.mdb"));
    EXPECT_THROW(CreateDatabaseFile(dir.File("link.mdb"), kAddressSchema), orvane::Error);
    EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere.mdb")));
}

TEST(CreateDatabaseFile, AMissingFolderOrAFailingScriptLeavesNoFile) {
    TempDir dir;
    EXPECT_EQ(ErrorOf([&] { CreateDatabaseFile(dir.File("No/Addressbook.mdb"), kAddressSchema); }).Number(),
              orvane::errnum::PathNotFound);
    EXPECT_FALSE(std::filesystem::exists(dir.Root() / "No"));

    const std::string path = dir.File("Broken.mdb");
    const auto error = ErrorOf([&] { CreateDatabaseFile(path, "CREATE TABLE a (x); CREATE TABLE a (y);"); });
    EXPECT_NE(error.Description().find("already exists"), std::string::npos) << error.Description();
    EXPECT_TRUE(std::filesystem::is_empty(dir.Root()));

    // Backslashes in the path are the program's separators.
    CreateDatabaseFile(dir.Root().string() + "\\Good.mdb", kAddressSchema);
    Connection connection;
    connection.Open(ConnectionStringFor(dir.File("Good.mdb")));
    EXPECT_EQ(ReadAll(connection, "SELECT COUNT(*) FROM SavedQueries").Array().At(0, 0), Variant(2));
}

TEST_F(CommandTest, ABatchRunsOneQueryPerRowInOneTransaction) {
    int row = 0;
    ExecuteSavedQueryBatch(ConnectionStringFor(database_), "SaveAddress", [&](std::vector<Variant>& values) {
        if (row == 0) {
            EXPECT_EQ(values.size(), 7u);
        }
        if (row == 1000) return false;
        values[0] = "First " + std::to_string(row);
        values[1] = row;
        ++row;
        return true;
    });
    const Variant rows = Stored();
    ASSERT_EQ(rows.Array().UBound(2), 999);
    EXPECT_EQ(rows.Array().At(1, 999), Variant("First 999"));
    EXPECT_EQ(rows.Array().At(2, 999), Variant("999"));

    // A failing row undoes the whole batch.
    int more = 0;
    EXPECT_THROW(ExecuteSavedQueryBatch(ConnectionStringFor(database_), "SaveAddress",
                                        [&](std::vector<Variant>& values) {
                                            if (++more == 5) values.resize(3);
                                            return true;
                                        }),
                 orvane::Error);
    EXPECT_EQ(Stored().Array().UBound(2), 999);
}
