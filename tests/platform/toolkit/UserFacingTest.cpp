#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "SampleForm.h"
#include "toolkit/MsgBox.h"

using namespace orvane;
using namespace orvane::toolkit;

namespace {

using Names = std::vector<std::string>;

TEST(MsgBoxDialogTest, TheRealDialogShowsPromptAndTitleAsPlainText) {
    for (const std::string prompt : {"O'Brien \"Q\" <b>x</b> & Co", "Smith <CEO>", "&lt;tag&gt; &amp;"}) {
        std::int32_t answer = 0;
        const sim::ShownMessage shown =
            sim::AnswerMessageBox(vbNo, [&] { answer = MsgBox(prompt, vbInformation + vbYesNo, "<i>Book</i>"); });
        EXPECT_EQ(shown.text, prompt);
        EXPECT_EQ(shown.title, "<i>Book</i>");
        EXPECT_EQ(answer, vbNo);
    }
}

using AccessibilityTest = SampleFormTest;

TEST_F(AccessibilityTest, FieldsAreNamedByTheirLabelAndCombosKeepNameAndValueApart) {
    form.lblName.LabelFor(form.txtFirst);
    const sim::AccessibleControl text = sim::Accessible(form.txtFirst);
    EXPECT_EQ(text.role, "EditableText");
    EXPECT_EQ(text.name, "Name");
    EXPECT_EQ(text.labelledBy, Names{"lblName"});
    EXPECT_EQ(sim::Accessible(form.lblName).labels, Names{"txtFirst"});
    EXPECT_EQ(form.lblName.Caption(), "Name");  // no access key added

    form.lblName.LabelFor(form.cboThird);
    form.cboThird.AddItem("Ontario");
    form.cboThird.Text("Ontario");
    sim::AccessibleControl combo = sim::Accessible(form.cboThird);
    EXPECT_EQ(combo.role, "ComboBox");
    EXPECT_EQ(combo.name, "Name");
    EXPECT_EQ(combo.value, "Ontario");
    EXPECT_EQ(combo.labelledBy, Names{"lblName"});
    EXPECT_TRUE(combo.editable);
    EXPECT_TRUE(combo.focusable);
    form.cboThird.Text("Texas");  // typed text, no entry
    form.cboThird.Enabled(false);
    combo = sim::Accessible(form.cboThird);
    EXPECT_EQ(combo.name, "Name");
    EXPECT_EQ(combo.value, "Texas");
    EXPECT_TRUE(combo.disabled);
    // The caption follows a later change of the label.
    form.lblName.Caption("Province");
    EXPECT_EQ(sim::Accessible(form.cboThird).name, "Province");
}

TEST_F(AccessibilityTest, FramesAreCaptionedGroupsAndPicturesCarryADescription) {
    const sim::AccessibleControl box = sim::Accessible(form.fraBox);
    EXPECT_EQ(box.role, "Grouping");
    EXPECT_EQ(box.name, "Box");
    EXPECT_EQ(sim::Accessible(form.fraList).name, "");
    form.fraList.Caption("Items");
    EXPECT_EQ(sim::Accessible(form.fraList).name, "Items");

    form.picShown.AccessibleName("Plan");
    form.picShown.AccessibleDescription("A plan of the house.");
    const sim::AccessibleControl picture = sim::Accessible(form.picShown);
    EXPECT_EQ(picture.role, "Graphic");
    EXPECT_EQ(picture.name, "Plan");
    EXPECT_EQ(picture.description, "A plan of the house.");

    form.lstItems.AccessibleName("Items");
    EXPECT_EQ(sim::Accessible(form.lstItems).role, "List");
    EXPECT_EQ(sim::Accessible(form.lstItems).name, "Items");
}

class AppearanceTest : public SampleFormTest {
protected:
    void SetUp() override {}  // each test shows the window itself
};

TEST_F(AppearanceTest, ALargeThemeFontLeavesTheLayoutFontAndEveryCaptionFits) {
    const sim::ThemeFont theme("DejaVu Sans", 14);
    form.Show();
    for (Control* control : {static_cast<Control*>(&form.lblName), static_cast<Control*>(&form.cmdLast),
                             static_cast<Control*>(&form.fraBox)})
        EXPECT_TRUE(sim::CaptionFits(*control)) << control->Name();
}

TEST_F(AppearanceTest, UnderADarkPaletteTheRichTextBoxStaysAWhitePageWithBlackText) {
    const sim::DarkPalette dark;
    form.Show();
    form.rtfText.Text("Plain words");
    EXPECT_EQ(sim::ColourAt(form.rtfText, 40, 50), "#ffffff");
    EXPECT_EQ(sim::DarkestColour(form.rtfText), "#000000");
    EXPECT_EQ(sim::ColourAt(form, 2, 295), "#353535");  // the window follows the palette
}

TEST_F(AppearanceTest, TheWindowIconIsDrawnFromAnSvgAtTheUsualSizes) {
    QTemporaryDir dir;
    const std::string drawing = dir.filePath("icon.svg").toStdString();
    std::ofstream(drawing) << R"(<svg xmlns="http://www.w3.org/2000/svg" width="8" height="8">)"
                              R"(<rect width="8" height="8" fill="#1f4e8c"/></svg>)";
    form.Icon(drawing);
    form.Show();
    const std::vector<int> sizes = sim::IconSizes(form);
    for (const int size : {16, 32, 48, 256}) EXPECT_NE(std::find(sizes.begin(), sizes.end(), size), sizes.end());
    form.Unload();
    form.Icon(dir.filePath("missing.svg").toStdString());
    EXPECT_EQ(ErrorOf([&] { form.Show(); }).Number(), 481);
    EXPECT_FALSE(form.IsLoaded());
    form.Icon("");
}

}  // namespace
