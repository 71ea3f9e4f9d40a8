// Character formatting: runs, group restore, fonts, sizes and colours.
#include <QBrush>
#include <QFont>

#include "RtfTestSupport.h"

namespace orvane::rtf::test {
namespace {

using RtfFormatting = RtfDocTest;

constexpr std::string_view kTables =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0"
    "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fmodern Courier New;}}"
    "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";

std::string WithTables(std::string_view body) { return std::string(kTables) + std::string(body) + "}"; }

TEST_F(RtfFormatting, TogglesApplyToExactRuns) {
    Read("{\\rtf1 a\\b B\\b0 c\\i I\\i0 d\\ul U\\ulnone e\\ul V\\ul0 f\\strike S\\strike0 g\\b1 H}");
    ASSERT_EQ(Text(), "aBcIdUeVfSgH");
    const QString text = Text();
    for (int i = 0; i < text.size(); ++i) {
        QTextCharFormat f = At(i);
        QChar ch = text[i];
        SCOPED_TRACE(QString(ch).toStdString());
        EXPECT_EQ(f.fontWeight() == QFont::Bold, ch == 'B' || ch == 'H');
        EXPECT_EQ(f.fontItalic(), ch == 'I');
        EXPECT_EQ(f.fontUnderline(), ch == 'U' || ch == 'V');
        EXPECT_EQ(f.fontStrikeOut(), ch == 'S');
    }
}

TEST_F(RtfFormatting, GroupsRestoreAndPlainResets) {
    Read("{\\rtf1\\b x{\\i y{\\plain z}q}w}");
    ASSERT_EQ(Text(), "xyzqw");
    EXPECT_EQ(AtText("x").fontWeight(), QFont::Bold);
    EXPECT_FALSE(AtText("x").fontItalic());
    EXPECT_EQ(AtText("y").fontWeight(), QFont::Bold);
    EXPECT_TRUE(AtText("y").fontItalic());
    EXPECT_NE(AtText("z").fontWeight(), QFont::Bold);
    EXPECT_FALSE(AtText("z").fontItalic());
    EXPECT_TRUE(AtText("q").fontItalic());  // back from the \plain group
    EXPECT_EQ(AtText("w").fontWeight(), QFont::Bold);
    EXPECT_FALSE(AtText("w").fontItalic());
}

TEST_F(RtfFormatting, FontFamiliesAndSizes) {
    Read(WithTables("dflt \\f1\\fs36 big{\\f2\\fs20 mono}\\fs back\\f7 same\\fs99999999999999 huge\\fs1 tiny"));
    // \deff0 names Arial for text with no \f of its own.
    EXPECT_EQ(AtText("dflt").fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_FALSE(AtText("dflt").hasProperty(QTextFormat::FontPointSize));
    EXPECT_EQ(AtText("big").fontFamilies().toStringList(), QStringList{"Times New Roman"});
    EXPECT_DOUBLE_EQ(AtText("big").fontPointSize(), 18.0);
    EXPECT_EQ(AtText("mono").fontFamilies().toStringList(), QStringList{"Courier New"});
    EXPECT_DOUBLE_EQ(AtText("mono").fontPointSize(), 10.0);
    EXPECT_DOUBLE_EQ(AtText("back").fontPointSize(), 12.0);  // \fs alone is 24 half-points
    EXPECT_EQ(AtText("same").fontFamilies().toStringList(), QStringList{"Times New Roman"});  // no font 7
    EXPECT_DOUBLE_EQ(AtText("huge").fontPointSize(), 1638.0);
    EXPECT_DOUBLE_EQ(AtText("tiny").fontPointSize(), 1.0);
}

TEST_F(RtfFormatting, LeavesTheDefaultFontAloneWhenNoneIsSet) {
    QFont font("MS Sans Serif");
    font.setPointSize(12);
    doc.setDefaultFont(font);
    Read("{\\rtf1\\ansi plain words\\par}");
    EXPECT_EQ(doc.defaultFont(), font);
    QTextCharFormat f = AtText("plain");
    EXPECT_FALSE(f.hasProperty(QTextFormat::FontFamilies));
    EXPECT_FALSE(f.hasProperty(QTextFormat::FontPointSize));
}

TEST_F(RtfFormatting, ColoursFromTheTable) {
    Read(WithTables("\\cf1 red\\cf2 blue\\cf9 stillblue\\cf0 auto{\\highlight2 marked}\\cb1 shaded\\cb0 none"));
    EXPECT_EQ(AtText("red").foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(AtText("blue").foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(AtText("stillblue").foreground().color(), QColor(0, 0, 255));  // index out of range: ignored
    EXPECT_FALSE(AtText("auto").hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(AtText("marked").background().color(), QColor(0, 0, 255));
    EXPECT_EQ(AtText("shaded").background().color(), QColor(255, 0, 0));
    EXPECT_FALSE(AtText("none").hasProperty(QTextFormat::BackgroundBrush));
}

TEST_F(RtfFormatting, SuperscriptSubscriptCapsAndHiddenText) {
    Read("{\\rtf1 x{\\super 2}y{\\sub i}z{\\caps up}{\\v secret}end}");
    EXPECT_EQ(Text(), "x2yizupend");
    EXPECT_EQ(AtText("2").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(AtText("i").verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_EQ(AtText("z").verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_EQ(AtText("up").fontCapitalization(), QFont::AllUppercase);
}

}  // namespace
}  // namespace orvane::rtf::test
