// The dialect's "+" on numbers that are not whole, through the engine: a
// text that reads as a number is added to a number with its fraction kept.
#include <gtest/gtest.h>

#include "AdodbTestSupport.h"

using namespace orvane::adodb;
using namespace orvane::adodb::test;
using orvane::Variant;

namespace {

using DialectPlusTest = DatabaseTest;

// A value of one row and column, as text (a fraction comes back as its digits).
std::string One(Connection& connection, const std::string& sql) {
    const Variant rows = ReadAll(connection, sql);
    return rows.Array().At(0, 0).JoinEmpty();
}

TEST_F(DialectPlusTest, TextThatReadsAsAFractionAddsWithItsFraction) {
    EXPECT_EQ(One(connection_, "SELECT '1.5'+1"), "2.5");
    EXPECT_EQ(One(connection_, "SELECT 1+'1.5'"), "2.5");
    EXPECT_EQ(One(connection_, "SELECT '-0.25'+1"), "0.75");
    EXPECT_EQ(One(connection_, "SELECT '2'+0.5"), "2.5");
    EXPECT_EQ(One(connection_, "SELECT '2'+1"), "3");  // whole numbers stay whole
}

TEST_F(DialectPlusTest, AStoredTextThatReadsAsAFractionAddsToAStoredNumber) {
    connection_.Execute("INSERT INTO tblAddress (ID, FirstName, Address) VALUES (1, 'Ada', '1.5'), (2, 'Bo', '7')");
    EXPECT_EQ(ReadAll(connection_, "SELECT Address+ID FROM tblAddress ORDER BY ID").Array().At(0, 0).JoinEmpty(), "2.5");
    EXPECT_EQ(ReadAll(connection_, "SELECT Address+ID FROM tblAddress ORDER BY ID").Array().At(0, 1).JoinEmpty(), "9");
    AlterFile("CREATE TABLE tblAmounts (Whole INTEGER, Part REAL)");
    connection_.Execute("INSERT INTO tblAmounts VALUES (1, 0.5)");
    EXPECT_EQ(One(connection_, "SELECT Whole+Part FROM tblAmounts"), "1.5");
    EXPECT_EQ(One(connection_, "SELECT Part+'1' FROM tblAmounts"), "1.5");
}

}  // namespace
