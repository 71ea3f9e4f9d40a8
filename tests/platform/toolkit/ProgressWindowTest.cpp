// The modeless progress window: what it shows, its Cancel and Close, and
// closing by itself after a run that needs nothing.

#include <gtest/gtest.h>

#include "toolkit/ProgressWindow.h"
#include "toolkit/TestingKeys.h"

using namespace orvane::toolkit;

namespace {

TEST(ProgressWindowTest, ItBlocksNothingNamesItsBarCancelsAndThenCloses) {
    ProgressWindow window("Working", "Work progress");
    int cancels = 0, closes = 0;
    window.CancelRequested = [&] { ++cancels; };
    window.Closed = [&] { ++closes; };
    window.Show();
    auto shown = sim::ShownProgressWindow();
    ASSERT_TRUE(shown);
    EXPECT_FALSE(sim::IsModal(*shown));
    EXPECT_EQ(shown->Title(), "Working");
    EXPECT_EQ(sim::ProgressBarName(*shown), "Work progress");
    window.Text("Sending Ann Lee…");
    window.Progress(1, 4);
    EXPECT_EQ(shown->Texts().at(0), "Sending Ann Lee…");
    EXPECT_EQ(shown->ProgressDone(), 1);

    // Cancel asks once and stays until the work has ended.
    shown->Click("Cancel");
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return cancels == 1; }));
    EXPECT_FALSE(shown->ButtonEnabled("Cancel"));
    EXPECT_TRUE(window.Visible());
    window.Finish("Stopped.", 0);
    EXPECT_EQ(shown->Texts().at(0), "Stopped.");
    shown->Click("Close");
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return !window.Visible(); }));
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(cancels, 1);
}

TEST(ProgressWindowTest, AfterAFinishThatNeedsNothingItClosesByItself) {
    ProgressWindow window("Working", "Work progress");
    window.Show();
    window.Finish("Received 2, sent 1; nothing waiting.", 20);
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return !window.Visible(); }));
}

}  // namespace
