// Reading files, rejecting what is not RTF, and the program's own description document.
#include <QFont>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <fstream>

#include "RtfTestSupport.h"
#include "core/Error.h"

namespace orvane::rtf::test {
namespace {

namespace fs = std::filesystem;

class RtfFile : public RtfDocTest {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("orvane-rtf-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root / "Documents");
    }
    void TearDown() override { fs::remove_all(root); }

    std::string Write(const std::string& relative, const std::string& bytes) {
        fs::path file = root / relative;
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

    static int ErrorNumberOf(const std::function<void()>& action, std::string* description = nullptr) {
        try {
            action();
        } catch (const Error& e) {
            if (description) *description = e.Description();
            return e.Number();
        }
        return 0;
    }

    fs::path root;
};

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

TEST_F(RtfFile, LoadsAFileNamedWithBackslashes) {
    Write("Documents/Test.rtf", "{\\rtf1\\ansi {\\b Hello} caf\\'e9\\par}");
    LoadRtfFile(root.string() + "\\Documents\\Test.rtf", doc);
    EXPECT_EQ(Text(), QString::fromUtf8("Hello café"));
    EXPECT_EQ(AtText("Hello").fontWeight(), QFont::Bold);
}

TEST_F(RtfFile, FileErrorsNameThePath) {
    std::string description;
    const std::string missing = root.string() + "\\Documents\\Missing.rtf";
    EXPECT_EQ(ErrorNumberOf([&] { LoadRtfFile(missing, doc); }, &description), 53);
    EXPECT_NE(description.find(missing), std::string::npos);

    const std::string folder = (root / "Documents").string();
    EXPECT_EQ(ErrorNumberOf([&] { LoadRtfFile(folder, doc); }, &description), 75);
    EXPECT_NE(description.find(folder), std::string::npos);

    const std::string plain = Write("Documents/Plain.rtf", "just some text\r\n");
    EXPECT_EQ(ErrorNumberOf([&] { LoadRtfFile(plain, doc); }, &description), 321);
    EXPECT_NE(description.find(plain), std::string::npos);
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
    EXPECT_EQ(At(0).fontWeight(), QFont::Bold);
    for (const char* phrase : {"frmOrvane", "CBusinessTier", "CDataDBTier", "CDataTier", "SaveAddress",
                               "UpdateAddress", "View Diagram", "View Description", "View Program", "Close"}) {
        EXPECT_TRUE(text.contains(phrase)) << phrase;
    }
    EXPECT_TRUE(text.contains(QChar(0x2022)));  // the bullets
    EXPECT_TRUE(text.contains(QChar(0x00E9)));  // é
    EXPECT_FALSE(text.contains("Times New Roman"));  // the font table is no text

    int bold = 0, italic = 0;
    for (const QTextBlock& b : blocks) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            bold += it.fragment().charFormat().fontWeight() == QFont::Bold;
            italic += it.fragment().charFormat().fontItalic();
        }
    }
    EXPECT_GE(bold, 4);
    EXPECT_GE(italic, 1);
}

}  // namespace
}  // namespace orvane::rtf::test
