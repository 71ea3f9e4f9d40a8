// What the reader does so that hostile documents lay out quickly, without
// losing any of their text: break opportunities in endless words, long
// paragraphs kept in blocks, a bound on font families, deep nesting.
#include "RtfTestSupport.h"

namespace orvane::rtf::test {
namespace {

using RtfShaping = RtfDocTest;

constexpr QChar kBreak(0x200B);

QString Without(QString text, QChar c) { return text.remove(c); }

// The longest run of characters with no break opportunity.
int LongestWord(const QString& text) {
    int longest = 0, run = 0;
    for (QChar x : text) {
        run = x == kBreak || x == u' ' ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

TEST_F(RtfShaping, AnEndlessWordGetsBreakOpportunitiesAndKeepsItsLetters) {
    const std::string word(5000, 'x');
    Read("{\\rtf1 " + word + " {\\b " + word + "}\\par}");
    const QString text = Text();
    EXPECT_EQ(Without(text, kBreak).remove(QChar::ParagraphSeparator), QString::fromStdString(word + " " + word));
    EXPECT_LE(LongestWord(Without(text, QChar::ParagraphSeparator)), 200 + 16);
    EXPECT_EQ(Where(Bold).remove(kBreak).remove(QChar::ParagraphSeparator), QString::fromStdString(word));

    // Words of real documents stay as they are, whatever their formatting.
    const std::string url = "http://example.com/" + std::string(150, 'a');
    Read("{\\rtf1 " + url + " a{\\b b}{\\i c}d\\par}");
    EXPECT_FALSE(Text().contains(kBreak));
}

TEST_F(RtfShaping, ALongParagraphIsKeptInBlocksThatJoinWithoutSpace) {
    std::string words;
    for (int i = 0; i < 6000; ++i) words += "word" + std::to_string(i) + " ";
    Read("{\\rtf1\\pard\\qc\\sb120\\sa240\\fi360 " + words + "\\par\\pard next\\par}");
    auto blocks = Blocks();
    ASSERT_GT(blocks.size(), 3u);
    QString joined;
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) {
        const QTextBlockFormat f = blocks[i].blockFormat();
        EXPECT_LE(blocks[i].length(), 8100);
        EXPECT_EQ(f.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        EXPECT_DOUBLE_EQ(f.topMargin(), i == 0 ? 8.0 : 0.0);
        EXPECT_DOUBLE_EQ(f.textIndent(), i == 0 ? 24.0 : 0.0);
        EXPECT_DOUBLE_EQ(f.bottomMargin(), i + 2 == blocks.size() ? 16.0 : 0.0);
        joined += blocks[i].text();
    }
    EXPECT_EQ(joined, QString::fromStdString(words));
    EXPECT_EQ(blocks.back().text(), "next");
    EXPECT_DOUBLE_EQ(blocks.back().blockFormat().topMargin(), 0.0);
}

TEST_F(RtfShaping, ThousandsOfFontsShowInAFewFamiliesWithAllTheirText) {
    std::string table, body;
    for (int i = 0; i < 300; ++i) {
        table += "{\\f" + std::to_string(i) + (i % 2 ? "\\froman" : "\\fmodern") + " Font" + std::to_string(i) + ";}";
        body += "\\f" + std::to_string(i) + " w" + std::to_string(i) + " ";
    }
    Read("{\\rtf1{\\fonttbl" + table + "}" + body + "}");
    QSet<QString> families;
    const auto familyOf = [&](int i) {
        return At(static_cast<int>(Text().indexOf(" w" + QString::number(i) + " ")) + 1).fontFamilies().toStringList();
    };
    for (int i = 0; i < 300; ++i) families.insert(familyOf(i).value(0));
    EXPECT_EQ(familyOf(3), QStringList{"Font3"});
    EXPECT_EQ(familyOf(299), QStringList{"serif"});
    EXPECT_EQ(familyOf(298), QStringList{"monospace"});
    EXPECT_LE(families.size(), 66);
    EXPECT_TRUE(Text().contains("w0 ") && Text().contains("w299"));
}

TEST_F(RtfShaping, TextAfterHiddenAndSkippedGroupsDeeperThanAThousandLevelsIsKept) {
    const std::string open(1500, '{'), close(1500, '}');
    Read("{\\rtf1 a" + open + "{\\v hidden}{\\*\\unknown gone}{\\fldinst x}b{\\b c}" + close + " after\\par}");
    EXPECT_EQ(Text(), "abc after");
    EXPECT_EQ(Where(Bold), "c");

    Read("{\\rtf1 x" + open + "{\\field{\\*\\fldinst HYPERLINK \"http://a\"}{\\fldrslt link}}"
         "\\chftn{\\footnote\\pard\\chftn note}" + close + " tail\\par}");
    EXPECT_TRUE(Text().startsWith("xlink1 tail")) << Text().toStdString();
    EXPECT_FALSE(AtText("tail").isAnchor());
    EXPECT_TRUE(Text().endsWith("1note"));
}

}  // namespace
}  // namespace orvane::rtf::test
