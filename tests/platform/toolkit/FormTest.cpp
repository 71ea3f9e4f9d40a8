#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QGroupBox>
#include <QWidget>
#include <algorithm>

#include "SampleForm.h"
#include "core/Error.h"
#include "toolkit/Application.h"
#include "toolkit/MsgBox.h"
#include "toolkit/Screen.h"
#include "toolkit/Testing.h"

using namespace orvane;
using namespace orvane::toolkit;

namespace {

class FormTest : public ::testing::Test {
protected:
    void TearDown() override {
        SampleForm::Instance().onLoad = nullptr;
        Forms::UnloadAll();
        Screen::SetSizeForTesting(std::nullopt, std::nullopt);
        sim::ProcessEvents();
    }
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
}

TEST(TwipsTest, ScreenSizeIsTheWholeScreenUnlessFaked) {
    const QRect screen = QApplication::primaryScreen()->geometry();
    EXPECT_EQ(Screen::Width(), screen.width() * 15);
    EXPECT_EQ(Screen::Height(), screen.height() * 15);
    Screen::SetSizeForTesting(3000, 2000);
    EXPECT_EQ(Screen::Width(), 3000);
    EXPECT_EQ(Screen::Height(), 2000);
    Screen::SetSizeForTesting(std::nullopt, std::nullopt);
    EXPECT_EQ(Screen::Width(), screen.width() * 15);
}

TEST_F(FormTest, OneInstanceInitializedOnceLoadedEachTime) {
    SampleForm& form = SampleForm::Instance();
    EXPECT_EQ(&form, &Forms::Get<SampleForm>());
    EXPECT_EQ(form.initializeCount, 1);
    const int loads = form.loadCount;
    form.Show();
    form.Show();  // already loaded: only brought to the front
    EXPECT_EQ(form.loadCount, loads + 1);
    form.Unload();
    form.Show();
    EXPECT_EQ(form.loadCount, loads + 2);
    EXPECT_EQ(form.initializeCount, 1);
    EXPECT_EQ(&form, &SampleForm::Instance());
}

TEST_F(FormTest, LoadBuildsTheWindowWithCaptionAndClientSize) {
    SampleForm& form = SampleForm::Instance();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(form.Window(), nullptr);
    form.Load();
    ASSERT_TRUE(form.IsLoaded());
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(sim::WindowTitle(form), "Sample");
    EXPECT_EQ(form.Window()->width(), 400);
    EXPECT_EQ(form.Window()->height(), 300);
    EXPECT_EQ(form.Window()->minimumSize(), form.Window()->maximumSize());  // fixed size
    form.Show();
    EXPECT_TRUE(form.Visible());
}

TEST_F(FormTest, MovePlacesTheOuterCornerAndWidthIncludesTheFrame) {
    SampleForm& form = SampleForm::Instance();
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
    EXPECT_EQ(form.Window()->frameGeometry().topLeft(), QPoint(-100, 5));
    EXPECT_EQ(form.Left(), -1500);
    EXPECT_EQ(form.Top(), 75);
    // Size unchanged by a move.
    EXPECT_EQ(form.Window()->frameGeometry().size(), outer.size());
}

TEST_F(FormTest, FrameMarginsSeenOnAVisibleWindowServeHiddenOnes) {
    SampleForm& form = SampleForm::Instance();
    form.Show();
    sim::ProcessEvents();
    const std::int32_t shownWidth = form.Width();
    const std::int32_t shownHeight = form.Height();
    form.Unload();
    EXPECT_EQ(form.Width(), shownWidth);
    EXPECT_EQ(form.Height(), shownHeight);
}

TEST_F(FormTest, ControlsInCreationOrderWithTheirKinds) {
    SampleForm& form = SampleForm::Instance();
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
}

TEST_F(FormTest, PropertiesSetThroughTheBaseControl) {
    SampleForm& form = SampleForm::Instance();
    form.Load();
    for (Control* control : form.Controls()) {
        if (control->IsTextBox() || control->IsComboBox()) {
            control->Text("set");
            control->Enabled(false);
        }
    }
    EXPECT_EQ(form.txtFirst.Text(), "set");
    EXPECT_EQ(form.cboThird.Text(), "set");
    EXPECT_FALSE(form.txtSecond.Enabled());
    EXPECT_FALSE(form.cboThird.Enabled());
    EXPECT_TRUE(form.cmdLast.Enabled());
    try {
        form.lblName.Text("x");
        FAIL() << "a label has no Text";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 438);
    }
}

TEST_F(FormTest, ControlsInsideAFrameCountFromItsOuterCorner) {
    SampleForm& form = SampleForm::Instance();
    form.Show();
    QWidget* frame = form.fraBox.Widget();
    QWidget* label = form.lblName.Widget();
    EXPECT_EQ(frame->geometry(), QRect(8, 0, 200, 100));
    EXPECT_EQ(label->parentWidget(), frame);
    EXPECT_EQ(label->geometry().topLeft(), QPoint(16, 16));
    EXPECT_EQ(label->mapTo(form.Window(), QPoint(0, 0)), QPoint(24, 16));
    // Top 240 lies below the caption line.
    EXPECT_LE(frame->fontMetrics().height(), 16);
    EXPECT_EQ(form.fraBox.Caption(), "Box");
    EXPECT_EQ(form.fraList.Caption(), "");
}

TEST_F(FormTest, UnloadRemovesWindowAndControlsButKeepsTheInstance) {
    SampleForm& form = SampleForm::Instance();
    form.Show();
    form.txtFirst.Text("typed");
    form.lstItems.AddItem("one");
    form.Unload();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_TRUE(form.Controls().empty());
    EXPECT_FALSE(form.txtFirst.Exists());
    try {
        (void)form.txtFirst.Text();
        FAIL() << "control of an unloaded window used";
    } catch (const Error& e) {
        EXPECT_NE(e.Description().find("not loaded"), std::string::npos);
    }
    EXPECT_THROW(form.lstItems.AddItem("two"), Error);
    form.Show();  // a fresh window from the layout
    EXPECT_EQ(form.txtFirst.Text(), "");
    EXPECT_EQ(form.lstItems.ListCount(), 0);
}

TEST_F(FormTest, CloseBoxUnloadsAndTheLastUnloadEndsTheProgram) {
    SampleForm& form = SampleForm::Instance();
    form.Show();
    EXPECT_FALSE(Program::Ended());
    EXPECT_EQ(Forms::LoadedCount(), 1);
    sim::CloseBox(form);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(Forms::LoadedCount(), 0);
    EXPECT_TRUE(Program::Ended());
    form.Show();
    EXPECT_FALSE(Program::Ended());
}

TEST_F(FormTest, FailingFormLoadLeavesTheWindowUnloaded) {
    SampleForm& form = SampleForm::Instance();
    form.onLoad = [] { throw Error(53, "File not found: x"); };
    try {
        form.Show();
        FAIL() << "Show should pass the error on";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 53);
    }
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(form.Controls().empty());
}

TEST_F(FormTest, StartReportsAFailureAndShowsNothing) {
    SampleForm& form = SampleForm::Instance();
    form.onLoad = [] { throw Error(53, "File not found: Lists/Country.txt"); };
    MsgBoxTester messages;
    EXPECT_FALSE(Program::Start([]() -> Form& { return SampleForm::Instance(); }));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].prompt, "File not found: Lists/Country.txt");
    EXPECT_EQ(messages.Shown()[0].title, "Toolkit Test");
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(Program::Run([]() -> Form& { return SampleForm::Instance(); }), 1);

    form.onLoad = nullptr;
    EXPECT_TRUE(Program::Start([]() -> Form& { return SampleForm::Instance(); }));
    EXPECT_TRUE(form.Visible());
}

TEST_F(FormTest, TabOrderFollowsTabIndexAndSkipsDisabledControls) {
    SampleForm& form = SampleForm::Instance();
    form.Show();
    // The first control by tab index has the focus when the window opens.
    ASSERT_NE(form.ActiveControl(), nullptr);
    EXPECT_EQ(form.ActiveControl()->Name(), "txtFirst");
    std::vector<std::string> visited;
    for (int i = 0; i < 8; ++i) {
        sim::KeyTab(form);
        visited.push_back(form.ActiveControl() ? form.ActiveControl()->Name() : "?");
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"txtSecond", "cboThird", "lstItems", "cmdLast", "picShown",
                                                  "rtfText", "txtFirst", "txtSecond"}));
    form.cboThird.Enabled(false);
    form.cmdLast.Enabled(false);
    visited.clear();
    for (int i = 0; i < 3; ++i) {
        sim::KeyTab(form);
        visited.push_back(form.ActiveControl() ? form.ActiveControl()->Name() : "?");
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"lstItems", "picShown", "rtfText"}));
}

TEST_F(FormTest, FocusGoesToTheFirstEnabledControlOnOpenAndToSetFocus) {
    SampleForm& form = SampleForm::Instance();
    form.onLoad = [&form] { form.txtFirst.Enabled(false); };
    form.Show();
    ASSERT_NE(form.ActiveControl(), nullptr);
    EXPECT_EQ(form.ActiveControl()->Name(), "txtSecond");
    form.cboThird.SetFocus();
    EXPECT_EQ(form.ActiveControl()->Name(), "cboThird");
    EXPECT_THROW(form.txtFirst.SetFocus(), Error);  // disabled
}

}  // namespace
