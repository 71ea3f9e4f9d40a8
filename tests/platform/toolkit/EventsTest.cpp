#include <gtest/gtest.h>

#include <stdexcept>

#include "SampleForm.h"
#include "toolkit/Events.h"
#include "toolkit/MsgBox.h"

using namespace orvane;
using namespace orvane::toolkit;

namespace {

TEST(MsgBoxTest, TesterRecordsAndAnswers) {
    MsgBoxTester messages;
    messages.QueueAnswer(vbNo);
    EXPECT_EQ(MsgBox("Delete?", vbInformation + vbYesNo, "Address Book"), vbNo);
    // Without a queued answer: the style's first button.
    EXPECT_EQ(MsgBox("Delete?", vbInformation + vbYesNo, "Address Book"), vbYes);
    EXPECT_EQ(MsgBox("untitled"), vbOK);
    ASSERT_EQ(messages.Shown().size(), 3u);
    EXPECT_EQ(messages.Shown()[0].prompt, "Delete?");
    EXPECT_EQ(messages.Shown()[0].style, 68);
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    EXPECT_EQ(messages.Shown()[2].title, "Toolkit Test");  // the program's title
}

TEST(EventsTest, AnErrorEndsOnlyItsHandlerAndIsReported) {
    MsgBoxTester messages;
    bool after = false;
    Events::Raise([&] {
        EXPECT_TRUE(Events::InHandler());
        throw Error(3021, "Either BOF or EOF is True");
        after = true;
    });
    EXPECT_FALSE(after);
    EXPECT_FALSE(Events::InHandler());
    Events::Raise([] { throw std::runtime_error("plain failure"); });
    ASSERT_EQ(messages.Shown().size(), 2u);
    EXPECT_EQ(messages.Shown()[0].prompt, "Either BOF or EOF is True");
    EXPECT_EQ(messages.Shown()[0].style, vbCritical);
    EXPECT_EQ(messages.Shown()[0].title, "Toolkit Test");
    EXPECT_EQ(messages.Shown()[1].prompt, "plain failure");
    // The program goes on: the next handler runs.
    bool ran = false;
    Events::Raise([&] { ran = true; });
    EXPECT_TRUE(ran);
}

class NestedEventsTest : public SampleFormTest {
protected:
    void TearDown() override {
        form.lstItems.Click = savedClick;
        SampleFormTest::TearDown();
    }
    std::function<void()> savedClick = form.lstItems.Click;
};

TEST_F(NestedEventsTest, AnErrorInAnEventRaisedByCodeReachesTheHandlerThatCausedIt) {
    form.lstItems.AddItem("row");
    form.lstItems.Click = [] { throw Error(94, "Invalid use of Null"); };
    MsgBoxTester messages;
    std::vector<std::string> steps;
    Events::Raise([&] {
        steps.push_back("before");
        form.lstItems.ListIndex(0);
        steps.push_back("after");
    });
    EXPECT_EQ(steps, (std::vector<std::string>{"before"}));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].prompt, "Invalid use of Null");
    // A user's selection reports its own error.
    form.lstItems.ListIndex(-1);
    sim::MouseClickRow(form.lstItems, 0);
    EXPECT_EQ(form.lstItems.ListIndex(), 0);
    EXPECT_EQ(messages.Shown().size(), 2u);
}

}  // namespace
