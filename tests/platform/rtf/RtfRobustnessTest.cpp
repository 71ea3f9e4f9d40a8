// Files, text that is not RTF, and malformed input: read as well as it can
// be, never a crash, a hang or an exception other than "not RTF".
#include <QTemporaryDir>

#include <fstream>
#include <random>

#include "RtfTestSupport.h"

namespace orvane::rtf::test {
namespace {

using RtfRobustness = RtfDocTest;
using RtfFile = RtfDocTest;

TEST_F(RtfRobustness, MalformedInputIsReadAsWellAsItCanBe) {
    const std::string open(100000, '{'), close(100000, '}');
    struct Case {
        std::string rtf;
        const char* text;
        const char* bold = "";
    };
    const Case cases[] = {
        {"{\\rtf1 a{\\b b}}}} after the end}", "ab", "b"},
        {"{\\rtf1 never closed{\\b bold", "never closedbold", "bold"},
        // Nesting is capped, but the braces still count.
        {"{\\rtf1 a" + open + "\\b x" + close + "y}", "axy", "x"},
        {"{\\rtf1 " + open + "lost in here", "lost in here"},
        {"{\\rtf1\\uc2147483647\\u65? all of this is fallback}", "A"},
        {"{\\rtf1\\" + std::string(100000, 'x') + "7 a\\li-99999999999 b}", "ab"},
        // Braces and backslashes in \bin data are data; "binary" is no \bin; a delimiter other than a blank is text.
        {"{\\rtf1 a{\\pict\\pngblip\\bin3 {}\\}b\\binary1 cd\\b0x}", "abcdx"},
        {"{\\rtf1\\u99999999999?x\\u-99999999999?y\\cf99999999999 z\\f-5 w\\li99999999999\\sb-5 v\\'4}", "xyzwv"},
        {"{\\rtf1 a\\bin999999999 lost}", "a"},
        {"{\\rtf1 x\\", "x"},
    };
    for (const Case& c : cases) {
        Read(c.rtf);
        EXPECT_EQ(Text(), c.text) << c.rtf.substr(0, 80);
        EXPECT_EQ(Where(Bold), c.bold) << c.rtf.substr(0, 80);
    }
}

TEST_F(RtfRobustness, RandomBytesNeverThrow) {
    std::mt19937 random(20240229);
    const std::string alphabet = "{}\\\\\\'*;abcdefuinpbqrtl0123456789- \r\n\xe9\x80";
    for (int round = 0; round < 400; ++round) {
        std::string body;
        for (std::size_t i = random() % 3000; i > 0; --i)
            body += round % 2 ? alphabet[random() % alphabet.size()] : static_cast<char>(random() % 256);
        SCOPED_TRACE(round);
        EXPECT_NO_THROW(Read("{\\rtf1" + body));
        // Without the header: rejected, or read if it happens to be RTF.
        const int number = ErrorNumberOf([&] { Read(body); });
        EXPECT_TRUE(number == 0 || number == 321) << number;
    }
}

TEST_F(RtfFile, TextThatIsNotRtfIsRejectedAndTheDocumentKept) {
    doc.setPlainText("kept");
    for (std::string_view notRtf : {"", "   ", "hello", "{rtf1}", "{\\rtx1 a}", "\\rtf1 a", "<html>"}) {
        std::string description;
        EXPECT_EQ(ErrorNumberOf([&] { Read(notRtf); }, &description), 321) << notRtf;
        EXPECT_NE(description.find("RTF"), std::string::npos);
    }
    EXPECT_EQ(Text(), "kept");

    Read(" \r\n\t{\\rtf1 blanks first}");
    EXPECT_EQ(Text(), "blanks first");
    Read("\xEF\xBB\xBF{\\rtf1 after a BOM}");
    EXPECT_EQ(Text(), "after a BOM");
}

TEST_F(RtfFile, LoadsAFileNamedWithBackslashesAndErrorsNameThePath) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    std::ofstream(root + "/Test.rtf", std::ios::binary) << "{\\rtf1\\ansi {\\b Hello} caf\\'e9\\par}";
    LoadRtfFile(root + "\\Test.rtf", doc);
    EXPECT_EQ(Text(), QString::fromUtf8("Hello café"));
    EXPECT_EQ(Where(Bold), "Hello");

    std::ofstream(root + "/Plain.rtf", std::ios::binary) << "just some text\r\n";
    const std::pair<std::string, int> failures[] = {{root + "\\Missing.rtf", 53}, {root, 75}, {root + "/Plain.rtf", 321}};
    for (const auto& [path, number] : failures) {
        std::string description;
        EXPECT_EQ(ErrorNumberOf([&] { LoadRtfFile(path, doc); }, &description), number) << path;
        EXPECT_NE(description.find(path), std::string::npos) << description;
    }
}

TEST_F(RtfFile, TheDescriptionDocument) {
    QFont font("MS Sans Serif");
    font.setPointSize(12);
    doc.setDefaultFont(font);
    LoadRtfFile(std::string(ORVANE_SOURCE_DIR) + "/app/Documents/Orvane.rtf", doc);

    const QString text = Text();
    auto blocks = Blocks();
    ASSERT_GT(blocks.size(), 10u);
    EXPECT_TRUE(blocks[0].text().contains("Orvane")) << blocks[0].text().toStdString();
    EXPECT_EQ(blocks[0].blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_TRUE(Bold(At(0)));
    for (const char* phrase : {"frmOrvane", "CBusinessTier", "CDataDBTier", "CDataTier", "SaveAddress",
                               "UpdateAddress", "View Diagram", "View Description", "View Program", "Close"}) {
        EXPECT_TRUE(text.contains(phrase)) << phrase;
    }
    EXPECT_TRUE(text.contains(QChar(0x2022)));  // the bullets
    EXPECT_TRUE(text.contains(QChar(0x00E9)));  // é
    EXPECT_FALSE(text.contains("Times New Roman"));  // the font table is no text
    int boldRuns = 0;
    for (int i = 0; i < text.size(); ++i) boldRuns += Bold(At(i)) && (i == 0 || !Bold(At(i - 1)));
    EXPECT_GE(boldRuns, 4);
    EXPECT_FALSE(Where(&QTextCharFormat::fontItalic).isEmpty());
}

}  // namespace
}  // namespace orvane::rtf::test
