#include <gtest/gtest.h>

#include "AdodbTestSupport.h"
#include "adodb/ErrorNumbers.h"

using namespace orvane::adodb;
using namespace orvane::adodb::test;
using orvane::Variant;
using orvane::VariantArray;

namespace {

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDatabaseFile(database_, kAddressSchema);
        connection_.Open(ConnectionStringFor(database_));
    }

    void Insert(std::int32_t id, const std::string& first, const std::string& last) {
        auto quoted = [](const std::string& s) {
            if (s == "NULL") return s;
            std::string q = "'";
            for (char c : s) q += c == '\'' ? std::string("''") : std::string(1, c);
            return q + "'";
        };
        connection_.Execute("INSERT INTO tblAddress (ID, FirstName, LastName, Address) VALUES (" + std::to_string(id) +
                            ", " + quoted(first) + ", " + quoted(last) + ", 'Street " + std::to_string(id) + "')");
    }

    TempDir dir_;
    std::string database_ = dir_.File("Addressbook.mdb");
    Connection connection_;
};

}  // namespace

TEST_F(RecordsetTest, TheListStatementJoinsNamesAndGivesNullWhenEitherIsNull) {
    Insert(1, "Ann", "Lee");
    Insert(2, "NULL", "Moe");
    Insert(3, "Bo", "NULL");
    Insert(4, "Cy", "");
    Insert(5, "O'Neil", "Ünal");

    Recordset rst;
    rst.Open("SELECT ID, FirstName+', '+LastName FROM tblAddress", connection_, adOpenForwardOnly, adLockReadOnly,
             adOptionUnspecified);
    EXPECT_EQ(rst.State(), adStateOpen);
    EXPECT_FALSE(rst.BOF());
    EXPECT_FALSE(rst.Eof());
    const Variant rows = rst.GetRows(-1);
    const VariantArray& a = rows.Array();
    EXPECT_EQ(a.LBound(1), 0);
    EXPECT_EQ(a.UBound(1), 1);
    EXPECT_EQ(a.LBound(2), 0);
    ASSERT_EQ(a.UBound(2), 4);
    EXPECT_EQ(a.At(0, 0), Variant(1));
    EXPECT_EQ(a.At(1, 0), Variant("Ann, Lee"));
    EXPECT_TRUE(a.At(1, 1).IsNull());
    EXPECT_TRUE(a.At(1, 2).IsNull());
    EXPECT_EQ(a.At(1, 3), Variant("Cy, "));
    EXPECT_EQ(a.At(1, 4), Variant("O'Neil, \xc3\x9cnal"));
    EXPECT_EQ(a.At(0, 4), Variant(5));
    EXPECT_TRUE(rst.Eof());
}

TEST_F(RecordsetTest, TheReadAndDeleteStatementsRunAsBuilt) {
    Insert(41, "Al", "Ames");
    Insert(42, "Bea", "Bell");
    Insert(-3, "Cid", "Cole");

    const Variant record = ReadAll(connection_, "SELECT *FROM tblAddress  WHERE ID =42");
    const VariantArray& r = record.Array();
    EXPECT_EQ(r.UBound(1), 7);
    EXPECT_EQ(r.UBound(2), 0);
    EXPECT_EQ(r.At(0, 0), Variant(42));
    EXPECT_EQ(r.At(1, 0), Variant("Bea"));
    EXPECT_EQ(r.At(3, 0), Variant("Street 42"));
    EXPECT_TRUE(r.At(7, 0).IsNull());
    EXPECT_EQ(ReadAll(connection_, "SELECT *FROM tblAddress  WHERE ID =-3").Array().At(1, 0), Variant("Cid"));

    connection_.Execute("DELETE * FROM tblAddress WHERE ID= 42");
    EXPECT_TRUE(ReadAll(connection_, "SELECT *FROM tblAddress  WHERE ID =42").IsEmpty());
    EXPECT_EQ(ReadAll(connection_, "SELECT ID FROM tblAddress ORDER BY ID"),
              Variant(VariantArray(1, 2, {Variant(-3), Variant(41)})));
    connection_.Execute("DELETE * FROM tblAddress WHERE ID= 99");  // no such row: no error
}

TEST_F(RecordsetTest, PlusStillAddsNumbers) {
    connection_.Execute("CREATE TABLE tblNumbers (A INTEGER, B INT, C NUMERIC)");
    connection_.Execute("INSERT INTO tblNumbers VALUES (2, 40, 1)");
    const Variant row = ReadAll(connection_, "SELECT A+B, A + 1, C+C, [A]+[B] FROM tblNumbers");
    EXPECT_EQ(row, Variant(VariantArray(4, 1, {Variant(42), Variant(3), Variant(2), Variant(42)})));
}

TEST_F(RecordsetTest, BracketedNamesAndLiteralsThatLookLikeStatements) {
    connection_.Execute("CREATE TABLE [tbl Odd] ([First Name] TEXT, [n] INTEGER)");
    connection_.Execute("INSERT INTO [tbl Odd] VALUES ('Zoe', 1)");
    EXPECT_EQ(ReadAll(connection_, "SELECT [First Name]+'!', [n]+1, 'DELETE * FROM [tbl Odd]', 'it''s 1+1' FROM [tbl Odd]"),
              Variant(VariantArray(4, 1, {Variant("Zoe!"), Variant(2), Variant("DELETE * FROM [tbl Odd]"), Variant("it's 1+1")})));
}

TEST_F(RecordsetTest, AnEmptyResultIsBothBofAndEofAndHasNoRows) {
    Recordset rst;
    rst.Open("SELECT ID, FirstName+', '+LastName FROM tblAddress", connection_);
    EXPECT_TRUE(rst.BOF());
    EXPECT_TRUE(rst.Eof());
    const auto error = ErrorOf([&] { rst.GetRows(-1); });
    EXPECT_EQ(error.Number(), 3021);
    EXPECT_NE(error.Description().find("Either BOF or EOF is True"), std::string::npos);
}

TEST_F(RecordsetTest, GetRowsInPartsKeepsTheOrderAndEndsAtEof) {
    for (std::int32_t id = 1; id <= 5; ++id) Insert(id, "F" + std::to_string(id), "L");
    Recordset rst;
    rst.Open("SELECT ID FROM tblAddress ORDER BY ID DESC", connection_);
    EXPECT_EQ(rst.GetRows(2), Variant(VariantArray(1, 2, {Variant(5), Variant(4)})));
    EXPECT_FALSE(rst.Eof());
    EXPECT_FALSE(rst.BOF());
    EXPECT_EQ(rst.GetRows(-1), Variant(VariantArray(1, 3, {Variant(3), Variant(2), Variant(1)})));
    EXPECT_TRUE(rst.Eof());
    EXPECT_EQ(ErrorOf([&] { rst.GetRows(-1); }).Number(), 3021);
    EXPECT_EQ(ErrorOf([&] { rst.GetRows(0); }).Number(), aderr::InvalidArgument);
}

TEST_F(RecordsetTest, ValuesComeAsIntegersNullsOrText) {
    const Variant row = ReadAll(connection_, "SELECT 2147483647, -2147483648, NULL, 1.5, x'41420043', '', 'ä'");
    const VariantArray& a = row.Array();
    EXPECT_EQ(a.At(0, 0), Variant(2147483647));
    EXPECT_EQ(a.At(1, 0), Variant(INT32_MIN));
    EXPECT_TRUE(a.At(2, 0).IsNull());
    EXPECT_EQ(a.At(3, 0), Variant("1.5"));
    EXPECT_EQ(a.At(4, 0), Variant(std::string("AB\0C", 4)));
    EXPECT_EQ(a.At(5, 0), Variant(""));
    EXPECT_EQ(a.At(6, 0), Variant("\xc3\xa4"));

    const auto overflow = ErrorOf([&] { ReadAll(connection_, "SELECT 2147483648 AS Big"); });
    EXPECT_EQ(overflow.Number(), orvane::errnum::Overflow);
    EXPECT_NE(overflow.Description().find("Big"), std::string::npos) << overflow.Description();
}

TEST_F(RecordsetTest, ClosedResultsAndClosedConnectionsAreErrors) {
    Recordset rst;
    EXPECT_EQ(rst.State(), adStateClosed);
    EXPECT_EQ(ErrorOf([&] { rst.BOF(); }).Number(), aderr::ObjectClosed);
    EXPECT_EQ(ErrorOf([&] { rst.GetRows(-1); }).Number(), aderr::ObjectClosed);
    EXPECT_EQ(ErrorOf([&] { rst.Close(); }).Number(), aderr::ObjectClosed);

    rst.Open("SELECT 1", connection_);
    EXPECT_EQ(ErrorOf([&] { rst.Open("SELECT 2", connection_); }).Number(), aderr::ObjectOpen);
    rst.Close();
    EXPECT_EQ(rst.State(), adStateClosed);

    Connection closed;
    EXPECT_EQ(ErrorOf([&] { rst.Open("SELECT 1", closed); }).Number(), aderr::ObjectClosed);
    EXPECT_EQ(ErrorOf([&] { rst.Open("SELECT * FROM tblNowhere", connection_); }).Description().find("no such table: tblNowhere"),
              0u);
    EXPECT_EQ(rst.State(), adStateClosed);
}

TEST_F(RecordsetTest, AResultSetMayBeReleasedAfterItsConnection) {
    Insert(1, "A", "B");
    Recordset rst;
    {
        Connection connection;
        connection.Open(ConnectionStringFor(database_));
        rst.Open("SELECT ID FROM tblAddress", connection);
        connection.Close();
    }
    EXPECT_EQ(rst.State(), adStateOpen);
    rst.Close();  // finalizes the statement and lets the engine let go of the file
    // The file is free again: another connection can take an exclusive lock at once.
    Connection other;
    other.Open(ConnectionStringFor(database_));
    connection_.Close();
    other.Execute("BEGIN EXCLUSIVE");
    other.Execute("COMMIT");
}
