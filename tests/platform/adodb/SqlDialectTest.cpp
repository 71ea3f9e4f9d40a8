#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>

#include "adodb/SqlDialect.h"

using orvane::adodb::SqlTokenKind;
using orvane::adodb::TokenizeSql;
using orvane::adodb::TranslateSql;

namespace {

// The address table's text columns, as the schema would report them.
bool AddressText(std::string_view column) {
    static const std::set<std::string, std::less<>> text{"FirstName", "LastName", "First Name", "Say \"Hi\""};
    return text.count(column) > 0;
}

std::string Translate(std::string_view sql) { return TranslateSql(sql, AddressText); }

std::string Rejoined(std::string_view sql) {
    std::string joined;
    for (const auto& token : TokenizeSql(sql)) joined += token.text;
    return joined;
}

}  // namespace

TEST(SqlDialect, PlusNextToTextJoinsAndDeletesLoseTheirStar) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"DELETE * FROM tblAddress WHERE ID= 42", "DELETE  FROM tblAddress WHERE ID= 42"},
        {"delete*from t", "delete from t"},
        {"Delete *FROM t", "Delete FROM t"},
        {"DELETE /* all */ * FROM t", "DELETE /* all */  FROM t"},
        {"SELECT 'a'+1, 1+'b', LastName + ID FROM t", "SELECT 'a'||1, 1||'b', LastName || ID FROM t"},
        {"SELECT t.FirstName+' '+t . LastName FROM tblAddress t", "SELECT t.FirstName||' '||t . LastName FROM tblAddress t"},
        {"SELECT [First Name]+[LastName], \"Say \"\"Hi\"\"\"+ID FROM t",
         "SELECT \"First Name\"||\"LastName\", \"Say \"\"Hi\"\"\"||ID FROM t"},
        // The quote inside the comment does not open a literal.
        {"SELECT FirstName -- it's +\n+ 'x' /* don't + */ FROM t", "SELECT FirstName -- it's +\n|| 'x' /* don't + */ FROM t"},
        {"SELECT [x\"y] FROM [tbl Address]", "SELECT \"x\"\"y\" FROM \"tbl Address\""},
        {"'x'+", "'x'||"},
    };
    for (const auto& [sql, expected] : cases) EXPECT_EQ(Translate(sql), expected) << sql;
    EXPECT_EQ(TranslateSql("SELECT FirstName+LastName FROM t", {}), "SELECT FirstName+LastName FROM t");
}

TEST(SqlDialect, NumbersCallsLiteralsAndUnterminatedTokensAreLeftAsTheyStand) {
    for (std::string_view sql : {"SELECT *FROM tblAddress  WHERE ID =-3", "SELECT COUNT(*), 2 * 3 FROM t",
                                 "SELECT Deleted * 2 FROM t", "SELECT A+B, ID + 1, -ID+2 FROM t",
                                 "SELECT LastName(1)+2, ID+FirstName (3) FROM t",  // a name before "(" is a call
                                 "SELECT 'It''s 1+2; DELETE * FROM t' FROM t WHERE x = 'a''+''b'",
                                 "SELECT \"a+b\", `DELETE * FROM` FROM t", "SELECT ?1+?2, :a+@b, 1.5e3+.5, 0x1F+1 FROM t",
                                 "SELECT 'abc + d", "SELECT [First Name + 'x'", "SELECT \"a + 'x'", "SELECT 1 /* + 'x'",
                                 "'", "[", "\"", "/*", "+", ""}) {
        EXPECT_EQ(Translate(sql), sql);
        EXPECT_EQ(Rejoined(sql), sql);
    }
    for (std::string_view sql : {"DELETE *", "'x'+"}) EXPECT_EQ(Rejoined(sql), sql);
    EXPECT_EQ(TokenizeSql("SELECT 'abc").back().kind, SqlTokenKind::String);
    EXPECT_FALSE(TokenizeSql("SELECT 'abc").back().terminated);
    EXPECT_TRUE(TokenizeSql("SELECT 'a''b'").back().terminated);
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
        if (sql.find_first_of("+*[") == std::string::npos) {
            ASSERT_EQ(Translate(sql), sql);
        }
    }
}
