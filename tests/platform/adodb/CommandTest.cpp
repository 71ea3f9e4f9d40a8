#include <gtest/gtest.h>

#include "AdodbTestSupport.h"
#include "adodb/ConnectionString.h"
#include "adodb/ErrorNumbers.h"

using namespace orvane::adodb;
using namespace orvane::adodb::test;
using orvane::Variant;
using orvane::VariantArray;

namespace {

class CommandTest : public DatabaseTest {
protected:
    void Run(const std::string& query, const std::vector<Variant>& values) {
        Command cmd;
        cmd.SetActiveConnection(ConnectionStringFor(database_));
        cmd.SetCommandText(query);
        cmd.Execute(values, adOptionUnspecified);
    }

    Variant Stored() { return ReadAll(connection_, "SELECT * FROM tblAddress ORDER BY ID"); }
};

}  // namespace

TEST_F(CommandTest, TheValueCountMustMatchTheQuery) {
    const auto fewer = ErrorOf([&] { Run("SaveAddress", {"Ann", "Lee"}); });
    EXPECT_EQ(fewer.Number(), aderr::ParameterMissing);
    EXPECT_NE(fewer.Description().find("No value given for one or more required parameters."), std::string::npos);
    const auto more = ErrorOf([&] { Run("SaveAddress", {"1", "2", "3", "4", "5", "6", "7", 8}); });
    EXPECT_NE(more.Description().find("Too many parameters"), std::string::npos) << more.Description();
    EXPECT_EQ(ErrorOf([&] { Run("UpdateAddress", {}); }).Number(), aderr::ParameterMissing);

    // A query whose SQL disagrees with its declared count is refused too.
    connection_.Execute(
        "INSERT INTO SavedQueries VALUES ('Odd', 1, 'INSERT INTO tblAddress (FirstName, LastName) VALUES (?1, ?2)')");
    EXPECT_EQ(ErrorOf([&] { Run("Odd", {"A"}); }).Number(), aderr::Unspecified);
    EXPECT_TRUE(Stored().IsEmpty());
}

TEST_F(CommandTest, EmptyAndNullBindAsNullAndArraysAreRefused) {
    Run("saveaddress", {Variant(), Variant::Null(), 7, "", "", "", ""});  // names are found in any case
    EXPECT_EQ(Stored(), Rows(8, 1, {1, kNull, kNull, "7", "", "", "", ""}));  // the column keeps text
    const auto error = ErrorOf([&] { Run("SaveAddress", {Variant(VariantArray(0, 0, 0, 0)), "", "", "", "", "", ""}); });
    EXPECT_EQ(error.Number(), orvane::errnum::TypeMismatch);
}

TEST_F(CommandTest, ACommandNeedsAConnectionAndAnExistingQuery) {
    Command bare;
    bare.SetCommandText("SaveAddress");
    EXPECT_EQ(ErrorOf([&] { bare.Execute({}); }).Number(), aderr::InvalidConnection);

    Command unnamed;
    unnamed.SetActiveConnection(ConnectionStringFor(database_));
    EXPECT_EQ(ErrorOf([&] { unnamed.Execute({}); }).Number(), aderr::NoCommandText);

    Command nowhere;
    const std::string nofile = dir_.File("Missing.mdb");
    EXPECT_EQ(ErrorOf([&] { nowhere.SetActiveConnection(ConnectionStringFor(nofile)); }).Number(), kEngineCantOpen);
    EXPECT_FALSE(std::filesystem::exists(nofile));
    nowhere.SetCommandText("SaveAddress");
    EXPECT_EQ(ErrorOf([&] { nowhere.Execute({}); }).Number(), aderr::InvalidConnection);

    const auto missing = ErrorOf([&] { Run("DeleteAddress", {}); });
    EXPECT_EQ(missing.Description(), "The saved query 'DeleteAddress' does not exist.");

    AlterFile("DROP TABLE SavedQueries");
    const auto noTable = ErrorOf([&] { Run("SaveAddress", {"1", "2", "3", "4", "5", "6", "7"}); });
    EXPECT_NE(noTable.Description().find("no such table: SavedQueries"), std::string::npos) << noTable.Description();
    EXPECT_NE(noTable.Description().find("'SaveAddress'"), std::string::npos) << noTable.Description();
}

TEST_F(CommandTest, ABatchRunsOneQueryPerRowInOneTransaction) {
    int row = 0;
    ExecuteSavedQueryBatch(ConnectionStringFor(database_), "SaveAddress", [&](std::vector<Variant>& values) {
        if (row == 0) {
            EXPECT_EQ(values, std::vector<Variant>(7));
        }
        values[0] = "First " + std::to_string(row);
        values[1] = row;
        return row++ < 2;
    });
    const Variant rows = Stored();
    EXPECT_EQ(rows, Rows(8, 2, {1, "First 0", "0", kNull, kNull, kNull, kNull, kNull,  //
                                 2, "First 1", "1", kNull, kNull, kNull, kNull, kNull}));

    // A failing row undoes the whole batch.
    int more = 0;
    const auto failed = ErrorOf([&] {
        ExecuteSavedQueryBatch(ConnectionStringFor(database_), "SaveAddress", [&](std::vector<Variant>& values) {
            if (++more == 5) values.resize(3);
            return true;
        });
    });
    EXPECT_EQ(failed.Number(), aderr::ParameterMissing);
    EXPECT_EQ(Stored(), rows);
}

TEST(CreateDatabaseFile, RefusesAnExistingFileOrLinkAndAMissingFolderAndLeavesNoFileWhenTheScriptFails) {
    TempDir dir;
    const std::string path = dir.File("Addressbook.mdb");
    std::ofstream(path, std::ios::binary) << "precious bytes";
    const auto error = ErrorOf([&] { CreateDatabaseFile(path, kAddressSchema); });
    EXPECT_NE(error.Description().find(path), std::string::npos) << error.Description();
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious bytes");

    std::filesystem::create_symlink(dir.File("elsewhere.mdb"), dir.File("link.mdb"));
    EXPECT_EQ(ErrorOf([&] { CreateDatabaseFile(dir.File("link.mdb"), kAddressSchema); }).Number(), aderr::FileAlreadyExists);
    EXPECT_EQ(ErrorOf([&] { CreateDatabaseFile(dir.File("No/Addressbook.mdb"), kAddressSchema); }).Number(),
              orvane::errnum::PathNotFound);
    const auto failed = ErrorOf([&] { CreateDatabaseFile(dir.File("Broken.mdb"), "CREATE TABLE a (x); CREATE TABLE a (y);"); });
    EXPECT_NE(failed.Description().find("already exists"), std::string::npos) << failed.Description();
    // Only the file and the link are left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root), std::filesystem::directory_iterator()), 2);

    // The path is a file name as given: a backslash is part of the name.
    CreateDatabaseFile(dir.File("Go\\od.mdb"), kAddressSchema);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("Go\\od.mdb")));
    Connection connection;
    connection.Open(ConnectionStringForFile(dir.File("Go\\od.mdb")));
    EXPECT_EQ(ReadAll(connection, "SELECT COUNT(*) FROM SavedQueries"), Rows(1, 1, {2}));
}
