// Malformed input: read as well as it can be, never a crash, a hang or an
// exception other than "not RTF".
#include <random>

#include "RtfTestSupport.h"
#include "core/Error.h"
#include "rtf/RtfTokenizer.h"

namespace orvane::rtf::test {
namespace {

using RtfRobustness = RtfDocTest;

TEST(RtfTokenizerTest, ClampsAndCutsMalformedControls) {
    std::string longName(40, 'x');
    const std::string input = "\\" + longName + "7 \\fs99999999999999 \\li-99999999999\\'4";
    RtfTokenizer t(input);
    Token word = t.Next();
    EXPECT_EQ(word.kind, TokenKind::Word);
    EXPECT_EQ(word.text, std::string(32, 'x'));
    EXPECT_EQ(word.param, 7);
    Token size = t.Next();
    EXPECT_EQ(size.text, "fs");
    EXPECT_EQ(size.param, 2147483647);
    Token indent = t.Next();
    EXPECT_EQ(indent.text, "li");
    EXPECT_EQ(indent.param, -2147483647 - 1);
    EXPECT_EQ(t.Next().kind, TokenKind::End);  // the broken \'4 is dropped
}

TEST(RtfTokenizerTest, BinaryDataAndDelimiters) {
    RtfTokenizer t("\\bin3 {}\\x\\b0x\\binary1 \\bin99 ab");
    Token bin = t.Next();
    EXPECT_EQ(bin.kind, TokenKind::Binary);
    EXPECT_EQ(bin.text, "{}\\");  // braces and backslashes inside are data
    Token after = t.Next();
    EXPECT_EQ(after.kind, TokenKind::Text);  // "x" after the data
    EXPECT_EQ(after.text, "x");
    Token b0 = t.Next();
    EXPECT_EQ(b0.text, "b");
    EXPECT_TRUE(b0.hasParam);
    EXPECT_EQ(t.Next().text, "x");  // a non-space delimiter stays text
    Token binary = t.Next();
    EXPECT_EQ(binary.kind, TokenKind::Word);  // "binary" is not \bin
    Token rest = t.Next();
    EXPECT_EQ(rest.kind, TokenKind::Binary);
    EXPECT_EQ(rest.text, "ab");  // the count is cut to what is left
    EXPECT_EQ(t.Next().kind, TokenKind::End);
}

TEST_F(RtfRobustness, UnbalancedBraces) {
    Read("{\\rtf1 a{\\b b}}}} after the end}");
    EXPECT_EQ(Text(), "ab");
    Read("{\\rtf1 never closed{\\b bold");
    EXPECT_EQ(Text(), "never closedbold");
    EXPECT_EQ(AtText("bold").fontWeight(), QFont::Bold);
}

TEST_F(RtfRobustness, DeepNestingIsCappedButBracesStillCount) {
    std::string deep = "{\\rtf1 a" + std::string(100000, '{') + "\\b x" + std::string(100000, '}') + "y}";
    Read(deep);
    EXPECT_EQ(Text(), "axy");
    EXPECT_EQ(AtText("x").fontWeight(), QFont::Bold);
    EXPECT_NE(AtText("y").fontWeight(), QFont::Bold);

    Read("{\\rtf1 " + std::string(100000, '{') + "lost in here");
    EXPECT_EQ(Text(), "lost in here");
}

TEST_F(RtfRobustness, HugeAndBrokenControls) {
    Read("{\\rtf1\\uc2147483647\\u65? all of this is fallback}");
    EXPECT_EQ(Text(), "A");
    Read("{\\rtf1\\u99999999999?x\\u-99999999999?y\\cf99999999999 z\\f-5 w\\li99999999999\\sb-5 v\\'4}");
    EXPECT_EQ(Text(), "xyzwv");
    Read("{\\rtf1 a\\bin999999999 lost}");
    EXPECT_EQ(Text(), "a");
    Read("{\\rtf1 x\\");
    EXPECT_EQ(Text(), "x");
}

TEST_F(RtfRobustness, RandomBytesNeverThrow) {
    std::mt19937 random(20240229);
    const std::string alphabet = "{}\\\\\\'*;abcdefuinpbqrtl0123456789- \r\n\xe9\x80";
    for (int round = 0; round < 400; ++round) {
        std::string body;
        std::size_t length = random() % 3000;
        for (std::size_t i = 0; i < length; ++i) {
            body += round % 2 ? alphabet[random() % alphabet.size()] : static_cast<char>(random() % 256);
        }
        SCOPED_TRACE(round);
        EXPECT_NO_THROW(Read("{\\rtf1" + body));
        try {
            Read(body);  // without the header: rejected, or read if it happens to be RTF
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), 321);
        }
    }
}

}  // namespace
}  // namespace orvane::rtf::test
