#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>

#include "ErrorOf.h"
#include "adodb/ErrorNumbers.h"
#include "adodb/SqlDialect.h"

using orvane::adodb::SqlTokenKind;
using orvane::adodb::TokenizeSql;
using orvane::adodb::TranslateSql;
using orvane::test::ErrorOf;
namespace aderr = orvane::adodb::aderr;

namespace {

using orvane::adodb::SqlType;

// The address table's columns, as the schema would report them.
SqlType AddressType(std::string_view column) {
    static const std::set<std::string, std::less<>> text{"FirstName", "LastName", "First Name", "Say \"Hi\""};
    if (text.count(column) > 0) return SqlType::Text;
    return column == "ID" ? SqlType::Number : SqlType::Unknown;
}

std::string Translate(std::string_view sql) { return TranslateSql(sql, AddressType); }

std::string Rejoined(std::string_view sql) {
    std::string joined;
    for (const auto& token : TokenizeSql(sql)) joined += token.text;
    return joined;
}

}  // namespace

TEST(SqlDialect, PlusJoinsTextAddsNumbersAndIsDecidedAtRunTimeOtherwise) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"SELECT ID, FirstName+', '+LastName FROM tblAddress", "SELECT ID, FirstName||', '||LastName FROM tblAddress"},
        {"SELECT t.FirstName+' '+t . LastName FROM tblAddress t", "SELECT t.FirstName||' '||t . LastName FROM tblAddress t"},
        {"SELECT [First Name]+[LastName] FROM t", "SELECT \"First Name\"||\"LastName\" FROM t"},
        {"SELECT Trim(FirstName)+Trim(LastName), (FirstName)+(LastName) FROM t",
         "SELECT Trim(FirstName)||Trim(LastName), (FirstName)||(LastName) FROM t"},
        {"SELECT ID + 1, -ID+2, +'5', FirstName + NULL FROM t", "SELECT ID + 1, -ID+2, +'5', FirstName || NULL FROM t"},
        {"SELECT 'a'+1, Address + ID, ?1+?2 FROM t", "SELECT orvane_plus('a',1), orvane_plus(Address , ID), orvane_plus(?1,?2) FROM t"},
        // Jet's "+" binds looser than "*"; "||" binds tighter, so operands are grouped.
        {"SELECT ID*2+FirstName, FirstName+ID*2 FROM t", "SELECT orvane_plus(ID*2,FirstName), orvane_plus(FirstName,ID*2) FROM t"},
        {"SELECT 'x'+FirstName||'y' FROM t", "SELECT 'x'||FirstName||'y' FROM t"},
        // A name the statement defines itself says nothing about its type.
        {"WITH c(FirstName) AS (SELECT 5) SELECT FirstName+'x' FROM c",
         "WITH c(FirstName) AS (SELECT 5) SELECT orvane_plus(FirstName,'x') FROM c"},
        {"SELECT x.LastName+'a' FROM (SELECT 5 AS LastName) x", "SELECT orvane_plus(x.LastName,'a') FROM (SELECT 5 AS LastName) x"},
        {"SELECT FirstName -- it's +\n+ 'x' /* don't + */ FROM t", "SELECT FirstName -- it's +\n|| 'x' /* don't + */ FROM t"},
        {"SELECT a FROM t WHERE a = b < c", "SELECT a FROM t WHERE (a = b) < c"},
    };
    for (const auto& [sql, expected] : cases) EXPECT_EQ(Translate(sql), expected) << sql;
}

TEST(SqlDialect, DeletesLoseTheirStarAndQuotesMeanWhatTheDialectSays) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"DELETE * FROM tblAddress WHERE ID= 42", "DELETE  FROM tblAddress WHERE ID= 42"},
        {"delete*from t", "delete from t"},
        {"Delete *FROM t", "Delete FROM t"},
        {"DELETE /* all */ * FROM t", "DELETE /* all */  FROM t"},
        // "..." is text; [..] a name; `..` stays a name.
        {"SELECT \"FirstName\", \"It's \"\"x\"\"\" FROM t", "SELECT 'FirstName', 'It''s \"x\"' FROM t"},
        {"SELECT [x\"y] FROM [tbl Address]", "SELECT \"x\"\"y\" FROM \"tbl Address\""},
        {"CREATE TABLE [tbl Odd] ([First Name] TEXT, [n] INTEGER)", "CREATE TABLE \"tbl Odd\" (\"First Name\" TEXT, \"n\" INTEGER)"},
    };
    for (const auto& [sql, expected] : cases) EXPECT_EQ(Translate(sql), expected) << sql;
}

TEST(SqlDialect, NumbersCallsLiteralsAndUnterminatedTokensAreLeftAsTheyStand) {
    for (std::string_view sql : {"SELECT *FROM tblAddress  WHERE ID =-3", "SELECT COUNT(*), 2 * 3 FROM t",
                                 "SELECT Deleted * 2 FROM t", "SELECT ID + 1, -ID + 2 FROM t",
                                 "SELECT 'It''s 1+2; DELETE * FROM t' FROM t WHERE x = 'a''+''b'",
                                 "SELECT `a+b`, `DELETE * FROM` FROM t", "SELECT 1.5e3+.5, 0x1F+1 FROM t",
                                 "SELECT 'abc + d", "SELECT [First Name + 'x'", "SELECT \"a + 'x'", "SELECT 1 /* + 'x'",
                                 "INSERT INTO tblAddress (ID, FirstName) VALUES (1, 'a'), (2, NULL)",
                                 "SELECT CASE WHEN ID IN (1, 2) THEN 1 ELSE 0 END FROM t WHERE ID BETWEEN 1 AND 3",
                                 "SELECT ID FROM t WHERE ID IN", "'", "[", "\"", "/*", ""}) {
        EXPECT_EQ(Translate(sql), sql);
        EXPECT_EQ(Rejoined(sql), sql);
    }
    EXPECT_EQ(TokenizeSql("SELECT 'abc").back().kind, SqlTokenKind::String);
    EXPECT_FALSE(TokenizeSql("SELECT 'abc").back().terminated);
    EXPECT_TRUE(TokenizeSql("SELECT 'a''b'").back().terminated);
}

TEST(SqlDialect, AnOperatorWithoutOperandsIsRefused) {
    for (std::string_view sql : {"+", "'x'+", "SELECT 1 + FROM t", "SELECT & x", "SELECT a & FROM t"})
        EXPECT_EQ(ErrorOf([&] { Translate(sql); }).Number(), aderr::ErrorsInCommand) << sql;
    // Nesting deeper than any statement needs is refused, not followed.
    const std::string deep = "SELECT " + std::string(5000, '(') + "1+1" + std::string(5000, ')');
    EXPECT_EQ(ErrorOf([&] { Translate(deep); }).Number(), aderr::ErrorsInCommand);
}

// Random SQL-like text: the tokens always give back the input, and text
// with nothing to translate comes back unchanged.
TEST(SqlDialect, RandomInputKeepsEveryByte) {
    static constexpr std::string_view pieces[] = {
        "SELECT", " ", "FirstName", "ID", "'", "''", "\"", "[", "]", "--", "\n", "/*", "*/", "(", ")", ",", "1",
        ".5", "e", "?", ":a", "=", "<>", "|", "\t", "\xc3\xa9", "\x01", ";", "-", "`", "DELETE", "*", "+", "[a b]"};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 3000; ++round) {
        std::string sql;
        for (int n = length(random); n > 0; --n) sql += pieces[pick(random)];
        ASSERT_EQ(Rejoined(sql), sql);
        if (sql.find_first_of("+*[\"&") == std::string::npos) {
            ASSERT_EQ(Translate(sql), sql);
        }
    }
}
