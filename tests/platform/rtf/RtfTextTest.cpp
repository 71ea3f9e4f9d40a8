// Characters, paragraphs and destinations.
#include "RtfTestSupport.h"

namespace orvane::rtf::test {
namespace {

using RtfText = RtfDocTest;

TEST_F(RtfText, CodePageBytes) {
    Read("{\\rtf1\\ansi\\ansicpg1252 caf\\'e9 \\'80 \\'93q\\'94 \xe9}");
    EXPECT_EQ(Text(), QString::fromUtf8("café € “q” é"));

    Read("{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'c1}");
    EXPECT_EQ(Text(), QString::fromUtf8("АБ"));

    // A Cyrillic font in a Western document decodes its bytes as Cyrillic.
    Read("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}}\\f0\\'c0{\\f1\\'c0}}");
    EXPECT_EQ(Text(), QString::fromUtf8("ÀА"));
}

TEST_F(RtfText, UnicodeAndItsFallback) {
    Read("{\\rtf1 a\\u8364?b}");
    EXPECT_EQ(Text(), QString::fromUtf8("a€b"));
    Read("{\\rtf1\\uc0\\u8364 b}");
    EXPECT_EQ(Text(), QString::fromUtf8("€b"));
    Read("{\\rtf1\\uc2\\u8364\\'80\\'80b}");  // \'hh counts as one character
    EXPECT_EQ(Text(), QString::fromUtf8("€b"));
    Read("{\\rtf1\\u-1279?}");  // 64257 written as a signed 16-bit number
    EXPECT_EQ(Text(), QString(QChar(0xFB01)));
    Read("{\\rtf1\\u-10179?\\u-8704?}");  // a surrogate pair
    EXPECT_EQ(Text(), QString::fromUtf8("\xF0\x9F\x98\x80"));
    Read("{\\rtf1{\\uc5\\u8364 ab}cd}");  // the skip ends with the group
    EXPECT_EQ(Text(), QString::fromUtf8("€cd"));
    Read("{\\rtf1{\\uc3 x}\\u8364?y}");  // \uc belongs to its group
    EXPECT_EQ(Text(), QString::fromUtf8("x€y"));
}

TEST_F(RtfText, NamedCharactersAndEscapes) {
    Read("{\\rtf1 \\bullet\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote|\\~|\\-|\\_|\\\\\\{\\}\\tab|}");
    EXPECT_EQ(Text(), QString::fromUtf8("•—–‘’“”|\u00A0|\u00AD|\u2011|\\{}\t|"));
}

TEST_F(RtfText, ParagraphsAndAlignment) {
    Read("{\\rtf1\\pard\\qc centred\\par right?\\qr\\par\\pard left\\par\\qj just}");
    auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks[0].text(), "centred");
    EXPECT_EQ(blocks[0].blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    // The format in force at \par is the paragraph's.
    EXPECT_EQ(blocks[1].blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(blocks[2].blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(blocks[3].text(), "just");
    EXPECT_EQ(blocks[3].blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
}

TEST_F(RtfText, IndentsAndSpacingInPixels) {
    Read("{\\rtf1\\pard\\li720\\ri360\\fi-360\\sb120\\sa240 one\\par two\\par\\pard three\\par}");
    auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 3u);
    for (int i = 0; i < 2; ++i) {  // formatting holds across \par until \pard
        QTextBlockFormat f = blocks[i].blockFormat();
        EXPECT_DOUBLE_EQ(f.leftMargin(), 48.0);
        EXPECT_DOUBLE_EQ(f.rightMargin(), 24.0);
        EXPECT_DOUBLE_EQ(f.textIndent(), -24.0);
        EXPECT_DOUBLE_EQ(f.topMargin(), 8.0);
        EXPECT_DOUBLE_EQ(f.bottomMargin(), 16.0);
    }
    EXPECT_DOUBLE_EQ(blocks[2].blockFormat().leftMargin(), 0.0);
    EXPECT_DOUBLE_EQ(blocks[2].blockFormat().textIndent(), 0.0);
}

TEST_F(RtfText, TabStops) {
    Read("{\\rtf1\\pard\\li720\\fi-360 \\bullet\\tab hanging\\par\\pard\\tx1440\\tx720 a\\tab b\\par}");
    auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 2u);
    // A hanging first line stops at the left indent: 360 twips past its start.
    auto hanging = blocks[0].blockFormat().tabPositions();
    ASSERT_EQ(hanging.size(), 1);
    EXPECT_DOUBLE_EQ(hanging[0].position, 24.0);
    auto set = blocks[1].blockFormat().tabPositions();
    ASSERT_EQ(set.size(), 2);
    EXPECT_DOUBLE_EQ(set[0].position, 48.0);
    EXPECT_DOUBLE_EQ(set[1].position, 96.0);
}

TEST_F(RtfText, LineBreaksAndParagraphMarks) {
    Read("{\\rtf1 a\\line b\\par c\\\nd\\par}");
    auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 3u);  // the closing \par adds no empty paragraph
    EXPECT_EQ(blocks[0].text(), QString("a") + QChar(QChar::LineSeparator) + "b");
    EXPECT_EQ(blocks[1].text(), "c");  // backslash before a line end is \par
    EXPECT_EQ(blocks[2].text(), "d");

    Read("{\\rtf1 a\\par\\par}");
    EXPECT_EQ(Blocks().size(), 2u);

    Read("{\\rtf1 line\r\nends\rare\nignored}");
    EXPECT_EQ(Text(), "lineendsareignored");
}

TEST_F(RtfText, DestinationsThatAreNotText) {
    Read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil{\\*\\panose 020b0604020202020204}Arial;}}"
         "{\\colortbl;\\red1\\green2\\blue3;}{\\stylesheet{\\s0 Normal;}}"
         "{\\info{\\title Secret title}{\\author Someone}}{\\*\\generator Writer 1.0;}"
         "{\\header head}{\\footer foot}{\\*\\unknownthing hidden}{\\*\\pn\\pnlvlblt{\\pntxtb x}}"
         "shown {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}"
         "{\\pntext\\bullet\\tab}item}");
    EXPECT_EQ(Text(), QString::fromUtf8("shown link•\titem"));
}

TEST_F(RtfText, ReplacesWhatTheDocumentHeld) {
    doc.setPlainText("old text\nmore");
    Read("{\\rtf1 new}");
    EXPECT_EQ(Text(), "new");
    EXPECT_EQ(doc.blockCount(), 1);
}

}  // namespace
}  // namespace orvane::rtf::test
