// Tabs of every kind, raised text, hanging labels, generated list labels,
// contextual spacing and the less common underlines.
#include "RtfTestSupport.h"

namespace orvane::rtf::test {
namespace {

using RtfParagraph = RtfDocTest;

QTextBlock BlockWith(const std::vector<QTextBlock>& blocks, const QString& text) {
    for (const QTextBlock& b : blocks)
        if (b.text().contains(text)) return b;
    ADD_FAILURE() << text.toStdString() << " is in no paragraph";
    return {};
}

TEST_F(RtfParagraph, TabStopsOfEveryKindAndTheDocumentsDefaultStop) {
    Read("{\\rtf1 a\\tab b}");
    EXPECT_DOUBLE_EQ(doc.defaultTextOption().tabStopDistance(), 48.0);  // 720 twips when the document gives none
    ReadDocument("word-paragraphs.rtf");
    EXPECT_DOUBLE_EQ(doc.defaultTextOption().tabStopDistance(), 24.0);  // \deftab360
    const auto tabs = BlockWith(Blocks(), "Contents").blockFormat().tabPositions();
    ASSERT_EQ(tabs.size(), 4);
    const QTextOption::TabType types[] = {QTextOption::LeftTab, QTextOption::CenterTab, QTextOption::DelimiterTab,
                                          QTextOption::RightTab};
    const double positions[] = {2000 / 15.0, 4000 / 15.0, 400, 8000 / 15.0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs[i].type, types[i]) << i;
        EXPECT_DOUBLE_EQ(tabs[i].position, positions[i]) << i;
    }
    EXPECT_EQ(tabs[2].delimiter, QChar(u'.'));

    ReadDocument("writer.rtf");
    const auto toc = BlockWith(Blocks(), "Chapter").blockFormat().tabPositions();
    ASSERT_EQ(toc.size(), 2);
    EXPECT_EQ(toc[0].type, QTextOption::CenterTab);
    EXPECT_EQ(toc[1].type, QTextOption::RightTab);
    EXPECT_DOUBLE_EQ(toc[1].position, 384.0);
    EXPECT_EQ(BlockWith(Blocks(), "Amount").blockFormat().tabPositions().value(0).type, QTextOption::DelimiterTab);
}

TEST_F(RtfParagraph, RaisedAndLoweredText) {
    ReadDocument("word-paragraphs.rtf");
    const int h2o = static_cast<int>(Text().indexOf("H2O"));
    const int mc2 = static_cast<int>(Text().indexOf("mc2"));
    EXPECT_NEAR(At(h2o + 1).baselineOffset(), -100.0 * 2 / 12, 0.01);  // \dn4: 2 points of 12
    EXPECT_NEAR(At(mc2 + 2).baselineOffset(), 100.0 * 3 / 12, 0.01);
    EXPECT_DOUBLE_EQ(At(h2o + 2).baselineOffset(), 0.0);

    ReadDocument("writer.rtf");
    EXPECT_EQ(At(static_cast<int>(Text().indexOf("H2O")) + 1).verticalAlignment(), QTextCharFormat::AlignSubScript);
}

TEST_F(RtfParagraph, AHangingLabelIsShiftedIntoView) {
    ReadDocument("word-paragraphs.rtf");
    const QTextBlockFormat f = BlockWith(Blocks(), "Outdented").blockFormat();
    EXPECT_EQ(BlockWith(Blocks(), "Outdented").text(), "1.\tOutdented");
    EXPECT_DOUBLE_EQ(f.leftMargin() + f.textIndent(), 0.0);  // the label starts at the edge
    EXPECT_DOUBLE_EQ(f.leftMargin(), 24.0);
}

TEST_F(RtfParagraph, ListLabelsFromParagraphNumberingAndSymbolFonts) {
    Read("{\\rtf1{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\fi-360\\li720 item\\par}");
    EXPECT_EQ(Blocks()[0].text(), QString::fromUtf8("•\titem"));

    ReadDocument("word-paragraphs.rtf");
    const auto blocks = Blocks();
    EXPECT_EQ(BlockWith(blocks, "bullet one").text(), QString::fromUtf8("•\tbullet one"));
    EXPECT_EQ(BlockWith(blocks, "three").text(), "3.\tthree");
    EXPECT_EQ(BlockWith(blocks, "four").text(), "4.\tfour");  // numbering goes on from paragraph to paragraph
    // A one-byte label in a font declared double-byte still shows.
    EXPECT_EQ(BlockWith(blocks, "symbol label").text(), QString::fromUtf8("·\tsymbol label"));

    ReadDocument("writer.rtf");
    // As written: "\plain" and a blank, then the label's own blank and its bullet.
    EXPECT_EQ(BlockWith(Blocks(), "First item").text(), QString::fromUtf8(" •\tFirst item"));
}

TEST_F(RtfParagraph, ListLabelsFromTheListTableWhenTheDocumentWritesNone) {
    ReadDocument("converter-lists.rtf");
    std::vector<QString> texts;
    for (const QTextBlock& b : Blocks()) texts.push_back(b.text());
    EXPECT_EQ(texts, (std::vector<QString>{"1.\tone", "1.a)\tsub", "1.b)\tsub two", "2.\ttwo",
                                            QString::fromUtf8("•\tdot"), "iv)\troman", "7.\twritten", "plain"}));
}

TEST_F(RtfParagraph, ContextualSpacingUnderlinesAndExpandedText) {
    ReadDocument("word-paragraphs.rtf");
    const auto blocks = Blocks();
    EXPECT_DOUBLE_EQ(BlockWith(blocks, "one").blockFormat().bottomMargin(), 0.0);
    EXPECT_DOUBLE_EQ(BlockWith(blocks, "two").blockFormat().topMargin(), 0.0);
    EXPECT_DOUBLE_EQ(BlockWith(blocks, "two").blockFormat().bottomMargin(), 16.0);
    EXPECT_EQ(AtText("wavy").underlineStyle(), QTextCharFormat::WaveUnderline);
    EXPECT_TRUE(AtText("double").fontUnderline());
    EXPECT_EQ(AtText("wide").fontLetterSpacingType(), QFont::AbsoluteSpacing);
    EXPECT_NEAR(AtText("wide").fontLetterSpacing(), 40 / 15.0, 1e-9);

    ReadDocument("writer.rtf");
    EXPECT_EQ(AtText("wavy").underlineStyle(), QTextCharFormat::WaveUnderline);
    EXPECT_TRUE(AtText("double").fontUnderline());
    EXPECT_GT(AtText("wide").fontLetterSpacing(), 0.0);
}

}  // namespace
}  // namespace orvane::rtf::test
