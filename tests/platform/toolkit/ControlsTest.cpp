#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <filesystem>
#include <fstream>

#include "SampleForm.h"
#include "core/Error.h"
#include "toolkit/Testing.h"

using namespace orvane;
using namespace orvane::toolkit;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("toolkit-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        form().Show();
        form().clicks.clear();
    }
    void TearDown() override {
        Forms::UnloadAll();
        sim::ProcessEvents();
        std::filesystem::remove_all(dir_);
    }
    static SampleForm& form() { return SampleForm::Instance(); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return (dir_ / name).string();
    }
    std::filesystem::path dir_;
};

TEST_F(ControlsTest, TextBoxHoldsAnyLengthAndTypedText) {
    TextBox& box = form().txtFirst;
    EXPECT_EQ(box.Text(), "");
    const std::string longText(100000, 'x');
    box.Text(longText);
    EXPECT_EQ(box.Text(), longText);
    box.Text("Zoë ");
    sim::TypeText(box, "Ann");
    EXPECT_EQ(box.Text(), "Zoë Ann");
    box.Enabled(false);
    sim::TypeText(box, "zzz");  // a disabled box takes no keys
    EXPECT_EQ(box.Text(), "Zoë Ann");
}

TEST_F(ControlsTest, ComboBoxTextIsNotAnEntry) {
    ComboBox& box = form().cboThird;
    box.Text("typed before");
    box.AddItem("Alpha");  // the first entry does not take over the text
    box.AddItem("Beta");
    EXPECT_EQ(box.Text(), "typed before");
    EXPECT_EQ(box.ListCount(), 2);
    EXPECT_EQ(box.List(0), "Alpha");
    EXPECT_EQ(box.List(1), "Beta");
    EXPECT_EQ(box.ListIndex(), -1);

    box.Text("Beta");
    EXPECT_EQ(box.ListIndex(), 1);
    box.Text("Gamma");  // not in the list: shown all the same
    EXPECT_EQ(box.Text(), "Gamma");
    EXPECT_EQ(box.ListIndex(), -1);

    box.Clear();
    EXPECT_EQ(box.ListCount(), 0);
    EXPECT_EQ(box.Text(), "Gamma");
    box.Text("");
    box.AddItem("");  // an empty entry is an entry
    EXPECT_EQ(box.ListCount(), 1);
    EXPECT_EQ(box.Text(), "");
}

TEST_F(ControlsTest, ComboBoxKeepsTypedTextWithoutCompleting) {
    ComboBox& box = form().cboThird;
    box.AddItem("United Kingdom");
    box.AddItem("United States");
    box.Text("");
    sim::TypeText(box, "Unit");
    EXPECT_EQ(box.Text(), "Unit");
    EXPECT_EQ(box.ListCount(), 2);
}

TEST_F(ControlsTest, CommandButtonClicksOnlyWhenEnabled) {
    CommandButton& button = form().cmdLast;
    EXPECT_EQ(button.Caption(), "Last");
    button.Value(true);
    sim::MouseClick(button);
    EXPECT_EQ(form().clicks, (std::vector<std::string>{"cmdLast", "cmdLast"}));
    button.Enabled(false);
    button.Value(true);
    sim::MouseClick(button);
    EXPECT_EQ(form().clicks.size(), 2u);
    button.Enabled(true);
    sim::MouseClick(button);
    EXPECT_EQ(form().clicks.size(), 3u);
}

TEST_F(ControlsTest, PictureBoxShowsThePictureUnscaledInsideItsBorder) {
    PictureBox& box = form().picShown;
    QImage image(300, 50, QImage::Format_RGB32);
    image.fill(Qt::red);
    const std::string path = (dir_ / "pic.png").string();
    ASSERT_TRUE(image.save(QString::fromStdString(path)));
    box.Picture(path);
    EXPECT_EQ(box.PictureWidth(), 300);
    EXPECT_EQ(box.PictureHeight(), 50);
    // 1500 x 1200 twips is 100 x 80 pixels, less a 2-pixel border each side.
    EXPECT_EQ(box.InnerWidth(), 96);
    EXPECT_EQ(box.InnerHeight(), 76);

    const QImage shown = box.Widget()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(2, 2), QColor(Qt::red));        // top-left of the inner area
    EXPECT_EQ(shown.pixelColor(97, 40), QColor(Qt::red));      // clipped at the right edge, not shrunk
    EXPECT_NE(shown.pixelColor(50, 60), QColor(Qt::red));      // below the picture
    EXPECT_NE(shown.pixelColor(99, 40), QColor(Qt::red));      // the border stays

    try {
        box.Picture((dir_ / "missing.bmp").string());
        FAIL() << "missing picture accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 481);
    }
}

TEST_F(ControlsTest, RichTextBoxLoadsRtfAndHasAFontOfItsOwn) {
    RichTextBox& box = form().rtfText;
    EXPECT_EQ(box.FontName(), "MS Sans Serif");
    EXPECT_DOUBLE_EQ(box.FontSize(), 12.0);
    box.Text("old text");
    box.LoadFile(Write("doc.rtf", "{\\rtf1\\ansi Hello {\\b bold} world\\par}"), rtfRTF);
    EXPECT_EQ(box.Text().substr(0, 21), "Hello bold world");
    EXPECT_EQ(box.Text().find("old text"), std::string::npos);

    box.LoadFile(Write("plain.txt", "line 1\r\nline 2\r\n"), rtfText);
    EXPECT_EQ(box.Text(), "line 1\nline 2");

    EXPECT_THROW(box.LoadFile((dir_ / "missing.rtf").string(), rtfRTF), Error);
    EXPECT_THROW(box.LoadFile(Write("not.rtf", "plain words"), rtfRTF), Error);
}

}  // namespace
