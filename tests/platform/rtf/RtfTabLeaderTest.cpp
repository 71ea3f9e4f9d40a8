#include "RtfTestSupport.h"

#include "rtf/TabLeaders.h"

namespace orvane::rtf::test {
namespace {

class RtfTabLeaderTest : public RtfDocTest {
protected:
    // The leader of each tab of a paragraph, in order.
    std::vector<TabLeader> LeadersOf(int paragraph) const {
        std::vector<TabLeader> leaders;
        const QTextBlock block = doc.findBlockByNumber(paragraph);
        const QString text = block.text();
        for (int i = 0; i < text.size(); ++i)
            if (text[i] == u'\t') leaders.push_back(LeaderOf(At(block.position() + i)));
        return leaders;
    }
    QTextCharFormat TabFormat(int paragraph, int tab) const {
        const QTextBlock block = doc.findBlockByNumber(paragraph);
        int found = -1;
        const QString text = block.text();
        for (int i = 0; i < text.size(); ++i)
            if (text[i] == u'\t' && ++found == tab) return At(block.position() + i);
        ADD_FAILURE() << "no tab " << tab << " in paragraph " << paragraph;
        return {};
    }
};

using L = TabLeader;

// A table of contents as a word processor writes it: numbers at a plain
// stop, page numbers at a right stop with dots.
TEST_F(RtfTabLeaderTest, TableOfContentsLinesGetDotsBeforeTheirPageNumbers) {
    Read(R"({\rtf1\ansi\deff0{\fonttbl{\f0\froman\fcharset0 Times New Roman;}}
\pard\plain\s39\tqr\tldot\tx9350\f0\fs24 Introduction\tab 1\par
\pard\plain\s40\li240\tx660\tqr\tldot\tx9350\f0\fs24 1.1\tab Scope\tab 2\par
\pard\plain\s40\li240\tx660\tqr\tldot\tx9350\f0\fs24 A heading far longer than the number stop\tab 7\par
})");
    EXPECT_EQ(LeadersOf(0), std::vector<L>{L::Dots});
    EXPECT_EQ(LeadersOf(1), (std::vector<L>{L::None, L::Dots}));
    // The text passes the first stop, so its tab goes on to the dotted one.
    EXPECT_EQ(LeadersOf(2), std::vector<L>{L::Dots});
    // The dots are drawn along the tab's width.
    EXPECT_EQ(TabFormat(0, 0).underlineStyle(), QTextCharFormat::DotLine);
    EXPECT_EQ(TabFormat(1, 0).underlineStyle(), QTextCharFormat::NoUnderline);
    // Text after the tab is not touched.
    EXPECT_EQ(AtText(QStringLiteral("2")).underlineStyle(), QTextCharFormat::NoUnderline);
}

TEST_F(RtfTabLeaderTest, EachKindOfLeaderHasItsOwnLine) {
    Read(R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}
\pard\tx1000\tlhyph\tx2500\tlul\tx4000\tlth\tx5500\tleq\tx7000\tlmdot\tx8500\f0\fs20 a\tab b\tab c\tab d\tab e\tab f\tab g\par
})");
    EXPECT_EQ(LeadersOf(0), (std::vector<L>{L::None, L::Hyphens, L::Underline, L::ThickLine, L::Equals, L::MiddleDots}));
    EXPECT_EQ(TabFormat(0, 1).underlineStyle(), QTextCharFormat::DashUnderline);
    EXPECT_EQ(TabFormat(0, 2).underlineStyle(), QTextCharFormat::SingleUnderline);
    EXPECT_EQ(TabFormat(0, 3).underlineStyle(), QTextCharFormat::SingleUnderline);
    EXPECT_EQ(TabFormat(0, 3).fontWeight(), QFont::Bold);
    // Two lines for the equals sign: the underline and the line through.
    EXPECT_EQ(TabFormat(0, 4).underlineStyle(), QTextCharFormat::SingleUnderline);
    EXPECT_TRUE(TabFormat(0, 4).fontStrikeOut());
    EXPECT_EQ(TabFormat(0, 5).underlineStyle(), QTextCharFormat::DotLine);
}

TEST_F(RtfTabLeaderTest, LeadersBelongToTheirStopAndParagraph) {
    Read(R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}
\pard\tqr\tldot\tx9000\f0\fs20 Name\tab Page\par
\pard\tx9000 Plain\tab after a stop without leader\par
Beyond\tab the\tab stops\tab of\tab the\tab paragraph\tab get\tab none\par
\pard\tqr\tldot\tx9000 Several\line lines\tab 3\par
})");
    EXPECT_EQ(LeadersOf(0), std::vector<L>{L::Dots});
    EXPECT_EQ(LeadersOf(1), std::vector<L>{L::None});
    EXPECT_EQ(LeadersOf(2), std::vector<L>(7, L::None));
    // A tab after a line break is placed from the start of its line.
    EXPECT_EQ(LeadersOf(3), std::vector<L>{L::Dots});
}

TEST_F(RtfTabLeaderTest, WriterTableOfContentsShowsDots) {
    ReadDocument("writer-contents.rtf");
    int dotted = 0;
    for (const QTextBlock& b : Blocks()) {
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.text().contains(u'\t') && LeaderOf(f.charFormat()) == L::Dots) ++dotted;
        }
    }
    EXPECT_GE(dotted, 3);
}

}  // namespace
}  // namespace orvane::rtf::test
