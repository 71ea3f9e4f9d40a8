#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AddressbookSchema.h"
#include "CDataDBTier.h"
#include "TempAppFolder.h"
#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "ErrorOf.h"
#include "StatementSpy.h"
#include "adodb/ErrorNumbers.h"
#include "core/Error.h"

using orvane::Variant;
using orvane::VariantArray;
using namespace orvane::test;
using orvane::test::TempAppFolder;

namespace {

Variant Record(std::int32_t id, std::vector<std::string> fields) {
    VariantArray a(0, 7, 0, 0);
    a.At(0, 0) = id;
    for (std::int32_t i = 1; i <= 7; ++i) a.At(i, 0) = fields[static_cast<std::size_t>(i - 1)];
    return Variant(std::move(a));
}

// Reads one stored row straight from the file, bypassing the tiers.
Variant StoredRow(const TempAppFolder& folder, int id) {
    orvane::adodb::Connection connection;
    connection.Open(folder.ConnectionString());
    orvane::adodb::Recordset rst;
    rst.Open("SELECT * FROM tblAddress WHERE ID = " + std::to_string(id), connection);
    if (rst.Eof()) return Variant();
    return rst.GetRows(-1);
}

}  // namespace

TEST(CDataDBTierFillList, EmptyTableGivesTheEmptyValue) {
    TempAppFolder folder;
    CDataDBTier tier;
    Variant list = tier.FillList();
    EXPECT_TRUE(list.IsEmpty());
}

TEST(CDataDBTierFillList, RowsComeAsFieldsByRowsInRowOrder) {
    TempAppFolder folder;
    int a = folder.InsertAddress("Ada", "Lovelace");
    int b = folder.InsertAddress("Alan", "Turing");
    int c = folder.InsertAddress("Grace", "Hopper");
    CDataDBTier tier;
    Variant list = tier.FillList();
    ASSERT_TRUE(list.IsArray());
    const VariantArray& rows = list.Array();
    EXPECT_EQ(rows.LBound(1), 0);
    EXPECT_EQ(rows.UBound(1), 1);
    EXPECT_EQ(rows.LBound(2), 0);
    EXPECT_EQ(rows.UBound(2), 2);
    EXPECT_EQ(rows.At(0, 0), Variant(a));
    EXPECT_EQ(rows.At(0, 1), Variant(b));
    EXPECT_EQ(rows.At(0, 2), Variant(c));
    EXPECT_EQ(rows.At(1, 0).Text(), "Ada, Lovelace");
    EXPECT_EQ(rows.At(1, 2).Text(), "Grace, Hopper");
}

// A missing name leaves the stored row as it is; its display text shows the
// parts that exist, joined the same way, read with one more statement.
TEST(CDataDBTierFillList, MissingNamesShowThePartsThatExist) {
    TempAppFolder folder;
    folder.ExecSql("INSERT INTO tblAddress (FirstName, LastName) VALUES ('Ada', NULL)");
    folder.ExecSql("INSERT INTO tblAddress (FirstName, LastName) VALUES (NULL, 'Turing')");
    folder.InsertAddress("Grace", "");
    folder.ExecSql("INSERT INTO tblAddress (FirstName, LastName) VALUES (NULL, NULL)");
    folder.InsertAddress("Alan", "Kay");
    CDataDBTier tier;
    StatementSpy spy;
    Variant list = tier.FillList();
    const VariantArray& rows = list.Array();
    ASSERT_EQ(rows.UBound(2), 4);
    EXPECT_EQ(rows.At(1, 0).Text(), "Ada, ");
    EXPECT_EQ(rows.At(1, 1).Text(), ", Turing");
    EXPECT_EQ(rows.At(1, 2).Text(), "Grace, ");
    EXPECT_EQ(rows.At(1, 3).Text(), ", ");
    EXPECT_EQ(rows.At(1, 4).Text(), "Alan, Kay");
    for (std::int32_t i = 0; i <= 4; ++i) EXPECT_EQ(rows.At(0, i), Variant(i + 1));
    EXPECT_EQ(spy.records.size(), 2u);

    // Nothing stored changed: the names are still missing.
    EXPECT_TRUE(tier.GetAddressDetails(1).Array().At(2, 0).IsNull());
    EXPECT_TRUE(tier.GetAddressDetails(4).Array().At(1, 0).IsNull());
}

TEST(CDataDBTierFillList, OneStatementWhenEveryNameIsThere) {
    TempAppFolder folder;
    folder.InsertAddress("Ada", "Lovelace");
    folder.InsertAddress("", "");
    CDataDBTier tier;
    StatementSpy spy;
    Variant list = tier.FillList();
    EXPECT_EQ(list.Array().At(1, 1).Text(), ", ");
    EXPECT_EQ(spy.records.size(), 1u);
}

TEST(CDataDBTierRead, RecordOfAnIdAndAMissingId) {
    TempAppFolder folder;
    int id = folder.InsertAddress("Ada", "Lovelace", "12 St James's Square", "SW1Y", "London", "United Kingdom", "+44 20");
    CDataDBTier tier;
    Variant rec = tier.GetAddressDetails(id);
    ASSERT_TRUE(rec.IsArray());
    EXPECT_EQ(rec.Array().UBound(1), 7);
    EXPECT_EQ(rec.Array().UBound(2), 0);
    EXPECT_EQ(rec.Array().At(0, 0), Variant(id));
    EXPECT_EQ(rec.Array().At(4, 0).Text(), "SW1Y");  // postal code before state and country
    EXPECT_EQ(rec.Array().At(5, 0).Text(), "London");
    EXPECT_EQ(rec.Array().At(7, 0).Text(), "+44 20");
    EXPECT_TRUE(tier.GetAddressDetails(id + 100).IsEmpty());
}

TEST(CDataDBTierSave, NonZeroIdUpdatesThatRowOnly) {
    TempAppFolder folder;
    int other = folder.InsertAddress("Alan", "Turing");
    int id = folder.InsertAddress("Ada", "Lovelace");
    CDataDBTier tier;
    tier.SaveAddress(Record(id, {"Ada", "King", "a", "b", "c", "d", "e"}));
    EXPECT_EQ(StoredRow(folder, id).Array().At(2, 0).Text(), "King");
    EXPECT_EQ(StoredRow(folder, other).Array().At(2, 0).Text(), "Turing");
    // Updating an ID that no row has changes nothing and reports nothing.
    EXPECT_NO_THROW(tier.SaveAddress(Record(id + 50, {"X", "Y", "", "", "", "", ""})));
    EXPECT_EQ(tier.FillList().Array().UBound(2), 1);
}

TEST(CDataDBTierSave, BlankFieldsAreStoredAsEmptyTextNotNull) {
    TempAppFolder folder;
    CDataDBTier tier;
    tier.SaveAddress(Record(0, {"Ada", "", "", "", "", "", ""}));
    Variant row = StoredRow(folder, tier.FillList().Array().At(0, 0).ToLong());
    for (std::int32_t i = 2; i <= 7; ++i) {
        EXPECT_FALSE(row.Array().At(i, 0).IsNull()) << "field " << i;
        EXPECT_EQ(row.Array().At(i, 0), Variant(""));
    }
}

TEST(CDataDBTierSave, AwkwardTextRoundTripsUnchanged) {
    TempAppFolder folder;
    CDataDBTier tier;
    std::vector<std::string> fields{"O'Brien \"Jr\"; DROP TABLE tblAddress; --",
                                    "Line one\r\nLine two\nthree",
                                    std::string(10000, 'x') + "end",
                                    "Zürich ÆØÅ 東京 😀",
                                    "+', '+",
                                    "[bracket] ''doubled''",
                                    "\t leading and trailing \t"};
    tier.SaveAddress(Record(0, fields));
    Variant list = tier.FillList();
    ASSERT_TRUE(list.IsArray());
    Variant rec = tier.GetAddressDetails(list.Array().At(0, 0).ToLong());
    for (std::int32_t i = 1; i <= 7; ++i)
        EXPECT_EQ(rec.Array().At(i, 0).Text(), fields[static_cast<std::size_t>(i - 1)]) << "field " << i;
}

TEST(CDataDBTierDelete, RemovesOnlyThatRowAndAMissingIdIsSilent) {
    TempAppFolder folder;
    int a = folder.InsertAddress("Ada", "Lovelace");
    int b = folder.InsertAddress("Alan", "Turing");
    CDataDBTier tier;
    tier.DeleteAddress(a);
    Variant list = tier.FillList();
    EXPECT_EQ(list.Array().UBound(2), 0);
    EXPECT_EQ(list.Array().At(0, 0), Variant(b));
    EXPECT_NO_THROW(tier.DeleteAddress(a));
    EXPECT_NO_THROW(tier.DeleteAddress(-7));
    tier.DeleteAddress(b);
    EXPECT_TRUE(tier.FillList().IsEmpty());
}

TEST(CDataDBTierSchema, IdsAreNeverZeroAndNeverReused) {
    TempAppFolder folder;
    CDataDBTier tier;
    tier.SaveAddress(Record(0, {"A", "", "", "", "", "", ""}));
    tier.SaveAddress(Record(0, {"B", "", "", "", "", "", ""}));
    Variant list = tier.FillList();
    int first = list.Array().At(0, 0).ToLong();
    int second = list.Array().At(0, 1).ToLong();
    EXPECT_GT(first, 0);
    tier.DeleteAddress(second);
    tier.SaveAddress(Record(0, {"C", "", "", "", "", "", ""}));
    int third = tier.FillList().Array().At(0, 1).ToLong();
    EXPECT_GT(third, second);
}

TEST(CDataDBTierFailures, MissingFileCorruptFileAndMissingQuery) {
    TempAppFolder folder(false);
    CDataDBTier tier;
    EXPECT_EQ(ErrorNumberOf([&] { tier.FillList(); }), kEngineCantOpen);
    EXPECT_EQ(ErrorNumberOf([&] { tier.SaveAddress(Record(0, {"A", "", "", "", "", "", ""})); }), kEngineCantOpen);
    EXPECT_FALSE(std::filesystem::exists(folder.DatabaseFile()));

    folder.WriteFile("Database/Addressbook.mdb", "this is not a database at all, just some text.......");
    const orvane::Error damaged = ErrorOf([&] { tier.FillList(); });
    EXPECT_EQ(damaged.Number(), kEngineNotADatabase);
    EXPECT_FALSE(damaged.Description().empty());
}

TEST(CDataDBTierFailures, ErrorsKeepTheConnectionUsable) {
    TempAppFolder folder;
    folder.InsertAddress("Ada", "Lovelace");
    CDataDBTier tier;
    folder.ExecSql("DELETE FROM SavedQueries WHERE Name = 'UpdateAddress'");
    EXPECT_EQ(ErrorNumberOf([&] { tier.SaveAddress(Record(1, {"A", "", "", "", "", "", ""})); }),
              orvane::adodb::aderr::ObjectNotFound);
    folder.ExecSql("ALTER TABLE tblAddress RENAME TO tblGone");
    EXPECT_EQ(ErrorNumberOf([&] { tier.FillList(); }), kEngineError);
    folder.ExecSql("ALTER TABLE tblGone RENAME TO tblAddress");
    // The failed list left the connection open; the next call goes on with it.
    Variant list = tier.FillList();
    ASSERT_TRUE(list.IsArray());
    EXPECT_EQ(list.Array().At(1, 0).Text(), "Ada, Lovelace");
}

TEST(AddressbookSchemaCreate, RefusesAnExistingFile) {
    TempAppFolder folder(false);
    folder.WriteFile("Database/Addressbook.mdb", "precious bytes");
    EXPECT_EQ(ErrorNumberOf([&] { AddressbookSchema::CreateDatabase(folder.DatabaseFile().string()); }),
              orvane::adodb::aderr::FileAlreadyExists);
    std::ifstream in(folder.DatabaseFile(), std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "precious bytes");
}

TEST(AddressbookSchemaCreate, FillsGeneratedAddresses) {
    TempAppFolder folder;
    AddressbookSchema::FillGenerated(folder.DatabaseFile().string(), 250);
    CDataDBTier tier;
    Variant list = tier.FillList();
    EXPECT_EQ(list.Array().UBound(2), 249);
    EXPECT_FALSE(list.Array().At(1, 249).IsNull());
}
