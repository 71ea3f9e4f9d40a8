// Characters and their formatting, paragraphs and destinations.
#include <QBrush>

#include "RtfTestSupport.h"
#include "rtf/DoubleUnderline.h"

namespace orvane::rtf::test {
namespace {

using RtfText = RtfDocTest;
using RtfFormatting = RtfDocTest;

std::string WithTables(std::string_view body) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0"
           "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fmodern Courier New;}}"
           "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}" +
           std::string(body) + "}";
}

TEST_F(RtfFormatting, TogglesApplyToExactRunsGroupsRestoreAndPlainResets) {
    Read("{\\rtf1 a\\b B\\b0 c\\i I\\i0 d\\ul U\\ulnone e\\ul V\\ul0 f\\strike S\\strike0 g\\b1 H}");
    ASSERT_EQ(Text(), "aBcIdUeVfSgH");
    EXPECT_EQ(Where(Bold), "BH");
    EXPECT_EQ(Where(&QTextCharFormat::fontItalic), "I");
    EXPECT_EQ(Where(&QTextCharFormat::fontUnderline), "UV");
    EXPECT_EQ(Where(&QTextCharFormat::fontStrikeOut), "S");

    // Groups restore what was in force; \plain resets.
    Read("{\\rtf1\\b x{\\i y{\\plain z}q}w}");
    ASSERT_EQ(Text(), "xyzqw");
    EXPECT_EQ(Where(Bold), "xyqw");
    EXPECT_EQ(Where(&QTextCharFormat::fontItalic), "yq");  // back from the \plain group
}

TEST_F(RtfFormatting, DoubleUnderlineIsMarkedForTheSecondLineBesidesTheOneQtDraws) {
    Read("{\\rtf1 a {\\uldb double} b {\\ul one} c {\\ulw words}}");
    ASSERT_EQ(Text(), "a double b one c words");
    const auto doubled = [](const QTextCharFormat& f) { return f.boolProperty(kDoubleUnderlineProperty); };
    EXPECT_EQ(Where(doubled), "double");
    EXPECT_EQ(Where(&QTextCharFormat::fontUnderline), "doubleonewords");
}

TEST_F(RtfFormatting, FontFamiliesAndSizesAndTheDefaultFont) {
    Read(WithTables("dflt \\f1\\fs36 big{\\f2\\fs20 mono}\\fs back\\f7 same\\fs99999999999999 huge\\fs1 tiny"));
    // \deff0 names Arial for text with no \f of its own.
    EXPECT_EQ(AtText("dflt").fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_FALSE(AtText("dflt").hasProperty(QTextFormat::FontPointSize));
    EXPECT_EQ(AtText("big").fontFamilies().toStringList(), QStringList{"Times New Roman"});
    EXPECT_EQ(AtText("mono").fontFamilies().toStringList(), QStringList{"Courier New"});
    EXPECT_EQ(AtText("same").fontFamilies().toStringList(), QStringList{"Times New Roman"});  // no font 7
    // Half-points; \fs alone is 24.
    const std::pair<const char*, double> sizes[] = {{"big", 18}, {"mono", 10}, {"back", 12}, {"huge", 1638}, {"tiny", 1}};
    for (const auto& [word, points] : sizes) EXPECT_DOUBLE_EQ(AtText(word).fontPointSize(), points) << word;

    // Without a font table the document's default font stays in charge.
    QFont font("MS Sans Serif");
    font.setPointSize(12);
    doc.setDefaultFont(font);
    Read("{\\rtf1\\ansi plain words\\par}");
    EXPECT_EQ(doc.defaultFont(), font);
    EXPECT_FALSE(AtText("plain").hasProperty(QTextFormat::FontFamilies));
    EXPECT_FALSE(AtText("plain").hasProperty(QTextFormat::FontPointSize));
}

TEST_F(RtfFormatting, ColoursScriptsCapsAndHiddenText) {
    Read(WithTables("\\cf1 red\\cf2 blue\\cf9 stillblue\\cf0 auto{\\highlight2 marked}\\cb1 shaded\\cb0 none"));
    EXPECT_EQ(AtText("red").foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(AtText("blue").foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(AtText("stillblue").foreground().color(), QColor(0, 0, 255));  // index out of range: ignored
    EXPECT_FALSE(AtText("auto").hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(AtText("marked").background().color(), QColor(0, 0, 255));
    EXPECT_EQ(AtText("shaded").background().color(), QColor(255, 0, 0));
    EXPECT_FALSE(AtText("none").hasProperty(QTextFormat::BackgroundBrush));

    Read("{\\rtf1 x{\\super 2}y{\\sub i}z{\\caps up}{\\v secret}end}");
    EXPECT_EQ(Text(), "x2yizupend");
    EXPECT_EQ(AtText("2").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(AtText("i").verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_EQ(AtText("z").verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_EQ(AtText("up").fontCapitalization(), QFont::AllUppercase);
}

TEST_F(RtfText, CodePageBytesUnicodeAndItsFallback) {
    const std::pair<std::string_view, const char*> cases[] = {
        {"{\\rtf1\\ansi\\ansicpg1252 caf\\'e9 \\'80 \\'93q\\'94 \xe9}", "café € “q” é"},
        {"{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'c1}", "АБ"},
        // A Cyrillic font in a Western document decodes its bytes as Cyrillic.
        {"{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}}\\f0\\'c0{\\f1\\'c0}}", "ÀА"},
        {"{\\rtf1 a\\u8364?b}", "a€b"},
        {"{\\rtf1\\uc0\\u8364 b}", "€b"},
        {"{\\rtf1\\uc2\\u8364\\'80\\'80b}", "€b"},             // \'hh counts as one character
        {"{\\rtf1\\u-1279?}", "\xEF\xAC\x81"},                  // 64257 written as a signed 16-bit number
        {"{\\rtf1\\u-10179?\\u-8704?}", "\xF0\x9F\x98\x80"},    // a surrogate pair
        {"{\\rtf1{\\uc5\\u8364 ab}cd}", "€cd"},                 // the skip ends with the group
        {"{\\rtf1{\\uc3 x}\\u8364?y}", "x€y"},                  // \uc belongs to its group
    };
    for (const auto& [rtf, text] : cases) {
        Read(rtf);
        EXPECT_EQ(Text(), QString::fromUtf8(text)) << rtf;
    }
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
    EXPECT_EQ(blocks[3].text(), "just");
    // The format in force at \par is the paragraph's.
    const Qt::Alignment expected[] = {Qt::AlignHCenter, Qt::AlignRight, Qt::AlignLeft, Qt::AlignJustify};
    for (std::size_t i = 0; i < blocks.size(); ++i)
        EXPECT_EQ(blocks[i].blockFormat().alignment() & Qt::AlignHorizontal_Mask, expected[i]) << "paragraph " << i;
}

// Left, right, first-line, before and after, then the tab stops, in pixels.
std::vector<double> Geometry(const QTextBlock& block) {
    const QTextBlockFormat f = block.blockFormat();
    std::vector<double> g{f.leftMargin(), f.rightMargin(), f.textIndent(), f.topMargin(), f.bottomMargin()};
    for (const QTextOption::Tab& tab : f.tabPositions()) g.push_back(tab.position);
    return g;
}

TEST_F(RtfText, IndentsSpacingAndTabStopsInPixels) {
    Read("{\\rtf1\\pard\\li720\\ri360\\fi-360\\sb120\\sa240 \\bullet\\tab one\\par two\\par\\pard\\tx1440\\tx720 a\\tab b\\par}");
    auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 3u);
    // A hanging first line stops at the left indent: 360 twips past its start.
    EXPECT_EQ(Geometry(blocks[0]), (std::vector<double>{48, 24, -24, 8, 16, 24}));
    EXPECT_EQ(Geometry(blocks[1]), Geometry(blocks[0]));  // formatting holds across \par until \pard
    EXPECT_EQ(Geometry(blocks[2]), (std::vector<double>{0, 0, 0, 0, 0, 48, 96}));
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
         "{\\header head}{\\footer foot}{\\*\\unknownthing hidden}"
         "shown {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}"
         "{\\pntext\\bullet\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb x}}item}");
    EXPECT_EQ(Text(), QString::fromUtf8("shown link•\titem"));
}

}  // namespace
}  // namespace orvane::rtf::test
