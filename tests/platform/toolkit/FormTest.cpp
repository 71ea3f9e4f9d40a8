#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include "SampleForm.h"
#include "toolkit/Application.h"
#include "toolkit/MsgBox.h"
#include "toolkit/Screen.h"

using namespace orvane;
using namespace orvane::toolkit;

namespace {

// Starts with the sample window unloaded.
class FormTest : public SampleFormTest {
protected:
    void SetUp() override {}
};

TEST(TwipsTest, FifteenTwipsPerPixelAt96Dpi) {
    ASSERT_DOUBLE_EQ(QApplication::primaryScreen()->logicalDotsPerInchX(), 96.0);
    EXPECT_DOUBLE_EQ(Screen::TwipsPerPixelX(), 15.0);
    EXPECT_DOUBLE_EQ(Screen::TwipsPerPixelY(), 15.0);
    EXPECT_EQ(Screen::TwipsToPixelsX(1455), 97);
    EXPECT_EQ(Screen::TwipsToPixelsY(375), 25);
    EXPECT_EQ(Screen::TwipsToPixelsX(7), 0);
    EXPECT_EQ(Screen::TwipsToPixelsX(8), 1);
    EXPECT_EQ(Screen::TwipsToPixelsX(-1087), -72);
    EXPECT_EQ(Screen::PixelsToTwipsX(513), 7695);
    EXPECT_EQ(Screen::PixelsToTwipsY(-3), -45);
    const QRect screen = QApplication::primaryScreen()->geometry();
    EXPECT_EQ(Screen::Width(), screen.width() * 15);
    EXPECT_EQ(Screen::Height(), screen.height() * 15);
}

TEST_F(FormTest, LoadBuildsAHiddenFixedSizeWindowAndUnloadTakesItsControlsAway) {
    form.Load();
    ASSERT_TRUE(form.IsLoaded());
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(sim::WindowTitle(form), "Sample");
    EXPECT_EQ(form.Window()->size(), QSize(400, 300));
    EXPECT_EQ(form.Window()->minimumSize(), form.Window()->maximumSize());
    form.txtFirst.Text("typed");
    form.lstItems.AddItem("one");
    form.Unload();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_TRUE(form.Controls().empty());
    EXPECT_FALSE(form.txtFirst.Exists());
    EXPECT_NE(ErrorOf([&] { (void)form.txtFirst.Text(); }).Description().find("not loaded"), std::string::npos);
    EXPECT_EQ(ErrorOf([&] { form.lstItems.AddItem("two"); }).Number(), 5);
    form.Show();  // a fresh window from the layout
    EXPECT_EQ(form.txtFirst.Text(), "");
    EXPECT_EQ(form.lstItems.ListCount(), 0);
}

TEST_F(FormTest, MovePlacesTheOuterCornerAndWidthIncludesTheFrame) {
    form.Move(300, 450);  // unloaded: kept for the next load
    EXPECT_EQ(form.Left(), 300);
    EXPECT_EQ(form.Top(), 450);
    EXPECT_GT(form.Width(), form.ScaleWidth());
    EXPECT_GT(form.Height(), form.ScaleHeight());

    form.Show();
    sim::ProcessEvents();
    const QRect outer = form.Window()->frameGeometry();
    EXPECT_EQ(outer.topLeft(), QPoint(20, 30));
    EXPECT_EQ(form.Width(), outer.width() * 15);
    EXPECT_EQ(form.Height(), outer.height() * 15);
    EXPECT_EQ(form.ScaleWidth(), 6000);

    form.Move(-1500, 75);
    EXPECT_EQ(form.Window()->frameGeometry(), QRect(QPoint(-100, 5), outer.size()));  // size unchanged
    EXPECT_EQ(form.Left(), -1500);
    EXPECT_EQ(form.Top(), 75);

    // The frame margins seen on the shown window serve it unloaded too.
    form.Unload();
    EXPECT_EQ(form.Width(), outer.width() * 15);
    EXPECT_EQ(form.Height(), outer.height() * 15);
}

TEST_F(FormTest, ControlsInCreationOrderWithTheirKinds) {
    form.Load();
    std::vector<std::string> names;
    std::vector<std::string> textBoxes;
    std::vector<std::string> comboBoxes;
    for (Control* control : form.Controls()) {
        names.push_back(control->Name());
        if (control->IsTextBox()) textBoxes.push_back(control->Name());
        if (control->IsComboBox()) comboBoxes.push_back(control->Name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"cmdLast", "fraBox", "txtSecond", "cboThird", "lblName", "txtFirst",
                                                "fraList", "lstItems", "picShown", "rtfText"}));
    // The combo box's own line edit is part of the combo box, not a text box.
    EXPECT_EQ(textBoxes, (std::vector<std::string>{"txtSecond", "txtFirst"}));
    EXPECT_EQ(comboBoxes, (std::vector<std::string>{"cboThird"}));
    EXPECT_EQ(ErrorOf([&] { form.lblName.Text("x"); }).Number(), 438);  // a label has no Text
}

TEST_F(FormTest, ControlsInsideAFrameCountFromItsOuterCorner) {
    form.Show();
    QWidget* frame = form.fraBox.Widget();
    QWidget* label = form.lblName.Widget();
    EXPECT_EQ(frame->geometry(), QRect(8, 0, 200, 100));
    EXPECT_EQ(label->parentWidget(), frame);
    EXPECT_EQ(label->geometry().topLeft(), QPoint(16, 16));
    EXPECT_EQ(label->mapTo(form.Window(), QPoint(0, 0)), QPoint(24, 16));
    EXPECT_LE(frame->fontMetrics().height(), 16);  // top 240 lies below the caption line
}

TEST_F(FormTest, StartReportsAFailingLoadShowsNothingAndRunGivesOne) {
    form.onLoad = [] { throw Error(53, "File not found: Lists/Country.txt"); };
    const auto startForm = []() -> Form& { return SampleForm::Instance(); };
    MsgBoxTester messages;
    EXPECT_FALSE(Program::Start(startForm));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].prompt, "File not found: Lists/Country.txt");
    EXPECT_EQ(messages.Shown()[0].title, "Toolkit Test");
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(form.Controls().empty());
    EXPECT_EQ(Program::Run(startForm), 1);

    form.onLoad = nullptr;
    EXPECT_TRUE(Program::Start(startForm));
    EXPECT_TRUE(form.Visible());
}

TEST_F(FormTest, FocusAndTabFollowTheTabIndexOfTheEnabledControls) {
    form.onLoad = [this] { form.txtFirst.Enabled(false); };
    form.Show();
    // The first enabled control by tab index has the focus when the window opens.
    ASSERT_NE(form.ActiveControl(), nullptr);
    EXPECT_EQ(form.ActiveControl()->Name(), "txtSecond");
    EXPECT_EQ(TabCycle(form, 6),
              (std::vector<std::string>{"cboThird", "lstItems", "cmdLast", "picShown", "rtfText", "txtSecond"}));
    form.cmdLast.Enabled(false);
    form.txtFirst.Enabled(true);
    EXPECT_EQ(TabCycle(form, 6),
              (std::vector<std::string>{"cboThird", "lstItems", "picShown", "rtfText", "txtFirst", "txtSecond"}));
    form.cboThird.SetFocus();
    EXPECT_EQ(form.ActiveControl()->Name(), "cboThird");
    EXPECT_EQ(ErrorOf([&] { form.cmdLast.SetFocus(); }).Number(), 5);  // disabled
}

}  // namespace
