#include <gtest/gtest.h>

#include "AdodbTestSupport.h"
#include "adodb/ErrorNumbers.h"
#include "adodb/WorkLimits.h"

using namespace orvane::adodb;
using namespace orvane::adodb::test;
using orvane::Variant;

using RecordsetTest = DatabaseTest;

TEST_F(RecordsetTest, TheProgramsStatementsRunAsBuilt) {
    connection_.Execute("INSERT INTO tblAddress (ID, FirstName, LastName, Address) VALUES "
                        "(1, 'O''Neil', '\xc3\x9cnal', 'a'), (2, NULL, 'Moe', 'b'), (-3, 'Bo', NULL, 'c'), (42, 'Cy', '', 'd')");

    Recordset rst;
    rst.Open("SELECT ID, FirstName+', '+LastName FROM tblAddress", connection_, adOpenForwardOnly, adLockReadOnly,
             adOptionUnspecified);
    EXPECT_EQ(rst.State(), adStateOpen);
    EXPECT_FALSE(rst.BOF());
    EXPECT_FALSE(rst.Eof());
    // Null when either name is null; an empty last name still ends in ", ".
    EXPECT_EQ(rst.GetRows(-1), Rows(2, 4, {-3, kNull, 1, "O'Neil, \xc3\x9cnal", 2, kNull, 42, "Cy, "}));
    EXPECT_TRUE(rst.Eof());

    EXPECT_EQ(ReadAll(connection_, "SELECT *FROM tblAddress  WHERE ID =42"),
              Rows(8, 1, {42, "Cy", "", "d", kNull, kNull, kNull, kNull}));
    EXPECT_EQ(ReadAll(connection_, "SELECT *FROM tblAddress  WHERE ID =-3").Array().At(1, 0), Variant("Bo"));
    connection_.Execute("DELETE * FROM tblAddress WHERE ID= 42");
    connection_.Execute("DELETE * FROM tblAddress WHERE ID= 99");  // no such row: no error
    EXPECT_TRUE(ReadAll(connection_, "SELECT *FROM tblAddress  WHERE ID =42").IsEmpty());
    EXPECT_EQ(ReadAll(connection_, "SELECT ID FROM tblAddress"), Rows(1, 3, {-3, 1, 2}));
}

TEST_F(RecordsetTest, PlusAddsNumbersAndJoinsTextInTablesMadeAfterTheSchemaWasRead) {
    EXPECT_TRUE(ReadAll(connection_, "SELECT FirstName+LastName FROM tblAddress").IsEmpty());  // schema read now
    AlterFile("CREATE TABLE tblNumbers (A INTEGER, B INT, C NUMERIC, Nick VARCHAR(20))");
    connection_.Execute("INSERT INTO tblNumbers VALUES (2, 40, 1, '7')");
    EXPECT_EQ(ReadAll(connection_, "SELECT A+B, A + 1, C+C, [A]+[B], Nick+Nick, Nick+A FROM tblNumbers"),
              Rows(6, 1, {42, 3, 2, 42, "77", 9}));  // a text that reads as a number is added to one
}

// Operators of the dialect keep their meaning on any operands, through the
// engine: "&" joins with null as empty text, "+" joins or adds or fails.
TEST_F(RecordsetTest, TheDialectsOperatorsMeanWhatTheySayOnAnyOperands) {
    connection_.Execute("INSERT INTO tblAddress (ID, FirstName, LastName, Address) VALUES "
                        "(1, 'Ada', NULL, ' 7 '), (2, NULL, 'Turing', 'x')");
    EXPECT_EQ(ReadAll(connection_, "SELECT FirstName & ' ' & LastName, Trim(FirstName)+Trim(LastName), "
                                   "(FirstName)+(LastName), FirstName + NULL FROM tblAddress ORDER BY ID"),
              Rows(4, 2, {"Ada ", kNull, kNull, kNull, " Turing", kNull, kNull, kNull}));
    EXPECT_EQ(ReadAll(connection_, "SELECT '1'+2, 1+'2', '1'+'2', +'5', Address+ID, \"FirstName\" FROM tblAddress WHERE ID = 1"),
              Rows(6, 1, {3, 3, "12", "5", 8, "FirstName"}));
    EXPECT_EQ(ReadAll(connection_, "SELECT Trim(FirstName)+Trim(Address) FROM tblAddress WHERE ID = 1"), Rows(1, 1, {"Ada7"}));
    // A view's columns have no type the translation can rely on.
    AlterFile("CREATE VIEW vNames AS SELECT ID, FirstName, LastName FROM tblAddress");
    EXPECT_EQ(ReadAll(connection_, "SELECT FirstName+', '+LastName, ID+1 FROM vNames WHERE ID = 2"), Rows(2, 1, {kNull, 3}));

    const auto mismatch = ErrorOf([&] { ReadAll(connection_, "SELECT 'a'+2, Address+ID FROM tblAddress"); });
    EXPECT_NE(mismatch.Description().find("Type mismatch"), std::string::npos) << mismatch.Description();
    const auto missing = ErrorOf([&] { ReadAll(connection_, "SELECT [NoSuchColumn] FROM tblAddress"); });
    EXPECT_NE(missing.Description().find("no such column: NoSuchColumn"), std::string::npos) << missing.Description();
}

TEST_F(RecordsetTest, BracketedNamesAndLiteralsThatLookLikeStatements) {
    AlterFile("CREATE TABLE [tbl Odd] ([First Name] TEXT, [n] INTEGER)");
    connection_.Execute("INSERT INTO [tbl Odd] VALUES ('Zoe', 1)");
    EXPECT_EQ(ReadAll(connection_, "SELECT [First Name]+'!', [n]+1, 'DELETE * FROM [tbl Odd]', 'it''s 1+1' FROM [tbl Odd]"),
              Rows(4, 1, {"Zoe!", 2, "DELETE * FROM [tbl Odd]", "it's 1+1"}));
}

TEST_F(RecordsetTest, AnEmptyResultIsBothBofAndEofAndGetRowsInPartsKeepsTheOrder) {
    Recordset rst;
    rst.Open("SELECT ID, FirstName+', '+LastName FROM tblAddress", connection_);
    EXPECT_TRUE(rst.BOF());
    EXPECT_TRUE(rst.Eof());
    const auto error = ErrorOf([&] { rst.GetRows(-1); });
    EXPECT_EQ(error.Number(), aderr::NoCurrentRecord);
    EXPECT_NE(error.Description().find("Either BOF or EOF is True"), std::string::npos);
    rst.Close();

    connection_.Execute("INSERT INTO tblAddress (ID) VALUES (1), (2), (3), (4), (5)");
    rst.Open("SELECT ID FROM tblAddress ORDER BY ID DESC", connection_);
    EXPECT_EQ(rst.GetRows(2), Rows(1, 2, {5, 4}));
    EXPECT_FALSE(rst.BOF());
    EXPECT_FALSE(rst.Eof());
    EXPECT_EQ(rst.GetRows(-1), Rows(1, 3, {3, 2, 1}));
    EXPECT_TRUE(rst.Eof());
    EXPECT_EQ(ErrorOf([&] { rst.GetRows(-1); }).Number(), aderr::NoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rst.GetRows(0); }).Number(), aderr::InvalidArgument);
}

TEST_F(RecordsetTest, ValuesComeAsIntegersNullsOrText) {
    EXPECT_EQ(ReadAll(connection_, "SELECT 2147483647, -2147483648, NULL, 1.5, x'41420043', '', 'ä'"),
              Rows(7, 1, {2147483647, INT32_MIN, kNull, "1.5", std::string("AB\0C", 4), "", "\xc3\xa4"}));
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
    connection_.Execute("INSERT INTO tblAddress (ID) VALUES (1)");
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
    connection_.Execute("BEGIN EXCLUSIVE");
    connection_.Execute("COMMIT");
}

// A step of the program's own statement is timed without a clock read per
// row: after many quick rows, one row that takes far longer than the budget
// is still stopped. (No view, trigger or WITH in the statement: their work
// is the file's and timed otherwise.)
TEST_F(RecordsetTest, OneLongStepAfterManyQuickOnesIsStopped) {
    connection_.Execute(
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 1000) INSERT INTO tblAddress (ID) "
        "SELECT x FROM n");
    const WorkLimits normal = CurrentWorkLimits();
    SetWorkLimits({std::chrono::milliseconds(100), normal.rowsBytes});
    Recordset rst;
    // Row 1000 counts a billion combinations; the others none.
    rst.Open("SELECT a.ID, (SELECT count(*) FROM tblAddress b, tblAddress c, tblAddress d WHERE a.ID = 1000) "
             "FROM tblAddress a ORDER BY a.ID",
             connection_);
    const auto error = ErrorOf([&] { rst.GetRows(-1); });
    SetWorkLimits(normal);
    EXPECT_NE(error.Description().find("was stopped after 0.1 seconds"), std::string::npos) << error.Description();
}
