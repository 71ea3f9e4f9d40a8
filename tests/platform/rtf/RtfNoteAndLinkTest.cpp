// Footnotes and endnotes, hyperlinks, and text boxes.
#include "RtfTestSupport.h"

namespace orvane::rtf::test {
namespace {

using RtfNotes = RtfDocTest;
using RtfLinks = RtfDocTest;

// The paragraphs' texts, without the empty ones at the end.
std::vector<QString> BlockTexts(const std::vector<QTextBlock>& blocks) {
    std::vector<QString> texts;
    for (const QTextBlock& b : blocks) texts.push_back(b.text());
    while (!texts.empty() && texts.back().isEmpty()) texts.pop_back();
    return texts;
}

TEST_F(RtfNotes, MarksAreNumberedAndTheNotesFollowTheTextInOrder) {
    Read("{\\rtf1 See note\\chftn{\\footnote\\pard{\\super\\chftn} The note.} here.}");
    auto blocks = BlockTexts(Blocks());
    ASSERT_GE(blocks.size(), 2u);
    EXPECT_EQ(blocks.front(), "See note1 here.");
    EXPECT_EQ(blocks.back(), "1 The note.");

    ReadDocument("word-notes.rtf");
    blocks = BlockTexts(Blocks());
    EXPECT_EQ(blocks[0], "See note1 here.");
    EXPECT_EQ(blocks[1], "A second2 and done.");
    EXPECT_EQ(AtText("note1").verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_EQ(At(static_cast<int>(Text().indexOf("note1")) + 4).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    // The notes, endnotes with them, after a rule, in the notes' own formatting.
    const std::vector<QString> notes(blocks.end() - 3, blocks.end());
    EXPECT_EQ(notes, (std::vector<QString>{"1 The note.", "2 An endnote", "with two paragraphs."}));
    EXPECT_DOUBLE_EQ(AtText("The note.").fontPointSize(), 10.0);
    EXPECT_FALSE(Text().left(static_cast<int>(Text().indexOf("A second")) + 20).contains("The note."));
}

TEST_F(RtfNotes, NotesFromLibreOffice) {
    ReadDocument("writer.rtf");
    const QString text = Text();
    EXPECT_TRUE(text.contains("See note1 and another2 here.")) << text.toStdString();
    const auto blocks = BlockTexts(Blocks());
    ASSERT_GE(blocks.size(), 2u);
    EXPECT_EQ(blocks[blocks.size() - 2], "1\tThe first note.");
    EXPECT_EQ(blocks.back(), "2\tThe second note.");
}

TEST_F(RtfLinks, HyperlinksAreLinksWithTheirTargetAsToolTip) {
    ReadDocument("writer.rtf");
    const QTextCharFormat site = AtText("the Orvane site");
    EXPECT_TRUE(site.isAnchor());
    EXPECT_EQ(site.anchorHref(), "https://example.org/orvane");
    EXPECT_EQ(site.toolTip(), "https://example.org/orvane");
    EXPECT_TRUE(site.fontUnderline());
    EXPECT_FALSE(AtText("today").isAnchor());

    ReadDocument("word-paragraphs.rtf");
    const QTextCharFormat inside = AtText("inside");
    EXPECT_EQ(inside.anchorHref(), "#part2");  // \l names a place in the document
    EXPECT_TRUE(inside.fontUnderline());         // a link with no formatting of its own looks like one
    EXPECT_EQ(inside.foreground().color(), QColor(5, 99, 193));
    const QTextCharFormat blue = AtText("blue");
    EXPECT_EQ(blue.anchorHref(), "http://example.com/a b");
    EXPECT_EQ(blue.foreground().color(), QColor(0, 0, 255));  // its own colour wins
    EXPECT_FALSE(AtText("after box").isAnchor());
}

TEST_F(RtfLinks, TextBoxTextShowsWhereItIsAnchoredOnce) {
    Read("{\\rtf1 before {\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt\\pard Text in a text box\\par}}} after}");
    EXPECT_TRUE(Text().contains("Text in a text box"));
    EXPECT_FALSE(Text().contains("202"));
    ReadDocument("word-paragraphs.rtf");
    EXPECT_EQ(Text().count("In a box"), 1);  // the shape's fallback is not shown again
    EXPECT_TRUE(Text().contains("after box"));
    ReadDocument("writer.rtf");
    EXPECT_TRUE(Text().contains("Text in a text box"));
    EXPECT_FALSE(Text().contains("Box"));  // the shape's name
}

}  // namespace
}  // namespace orvane::rtf::test
