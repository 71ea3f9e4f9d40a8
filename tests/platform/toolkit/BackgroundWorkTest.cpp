// Work on a worker thread: with the progress dialog and in the background.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ErrorOf.h"
#include "core/Error.h"
#include "toolkit/BackgroundWork.h"
#include "toolkit/DialogBox.h"
#include "toolkit/TestingDialogs.h"

using namespace orvane::toolkit;

namespace {

TEST(BackgroundWorkTest, TheProgressDialogShowsReportsCancelStopsTheWorkAndAnErrorComesBack) {
    // The work reports until it is asked to stop; the dialog's Cancel asks.
    std::string shown;
    std::thread::id workerThread;
    sim::DialogScript script;
    script.ThenProgress([&](sim::OpenDialog& dialog) {
        if (dialog.ProgressDone() < 3) return false;
        shown = dialog.Texts().at(0);
        dialog.Click("Cancel");
        return true;
    });
    std::size_t steps = 0;
    RunWithProgress("Working", [&](WorkProgress& progress) {
        workerThread = std::this_thread::get_id();
        while (!progress.CancelRequested()) {
            progress.Report(steps, 1000000, "step " + std::to_string(steps));
            ++steps;
            std::this_thread::yield();
        }
    });
    EXPECT_EQ(script.Remaining(), 0u);
    EXPECT_EQ(shown.rfind("step ", 0), 0u) << shown;
    EXPECT_NE(workerThread, std::this_thread::get_id());
    EXPECT_GE(steps, 3u);

    // The work's own error comes through to the caller.
    EXPECT_EQ(orvane::test::ErrorNumberOf([] { RunWithProgress("Failing", [](WorkProgress&) { throw orvane::Error(42, "no luck"); }); }),
              42);
}

TEST(BackgroundWorkTest, FinishedRunsOnTheInterfaceThreadAfterTheWorkAndOnlyOneRunsAtATime) {
    BackgroundWork work;
    std::atomic<bool> release{false};
    std::atomic<bool> workDone{false};
    bool finished = false;
    std::thread::id finishedOn;
    ASSERT_TRUE(work.Start(
        [&](WorkProgress&) {
            while (!release) std::this_thread::yield();
            workDone = true;
        },
        [&] {
            finished = workDone.load();
            finishedOn = std::this_thread::get_id();
        }));
    EXPECT_TRUE(work.Running());
    EXPECT_FALSE(work.Start([](WorkProgress&) {}, [] {}));
    release = true;
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return !work.Running(); }));
    EXPECT_TRUE(finished);
    EXPECT_EQ(finishedOn, std::this_thread::get_id());

    // Cancel reaches the running work.
    ASSERT_TRUE(work.Start([](WorkProgress& progress) { while (!progress.CancelRequested()) std::this_thread::yield(); },
                           [] {}));
    work.Cancel();
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return !work.Running(); }));
}

TEST(BackgroundWorkTest, ADialogBoxReturnsTheClosingButtonAndWhatWasTyped) {
    DialogBox dialog("Details");
    dialog.AddText("Who is it?");
    dialog.AddTextField("Name", "Ann");
    dialog.AddValue("Found", "nothing yet");
    dialog.AddActionButton("Look", [&] { dialog.Value("Found", "Ann <ann@example.org>"); });
    dialog.CloseButtons({"OK", "Cancel"});
    sim::DialogScript script;
    bool looked = false;
    std::vector<std::string> texts;
    script.Then([&](sim::OpenDialog& open) {
        if (!looked) {
            open.Type("Name", "Bob");
            open.Click("Look");
            looked = true;
            return false;
        }
        if (open.Value("Found") == "nothing yet") return false;
        texts = open.Texts();
        open.Click("Cancel");
        return true;
    });
    EXPECT_EQ(dialog.Show(), 1);
    EXPECT_EQ(dialog.Field("Name"), "Bob");
    // Shown as typed, never as markup.
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Ann <ann@example.org>"), texts.end());
    EXPECT_EQ(script.Seen(), std::vector<std::string>{"Details"});
}

}  // namespace

namespace {

TEST(BackgroundWorkTest, ReportsReachTheUserInterfaceThreadInOrderBeforeFinished) {
    BackgroundWork work;
    std::vector<std::string> seen;
    bool onInterfaceThread = true;
    const auto interfaceThread = std::this_thread::get_id();
    ASSERT_TRUE(work.Start(
        [](WorkProgress& progress) {
            for (std::size_t i = 0; i < 3; ++i) progress.Report(i, 3, "step " + std::to_string(i));
        },
        [&] { seen.push_back("finished"); },
        [&](std::size_t done, std::size_t total, const std::string& what) {
            onInterfaceThread = onInterfaceThread && std::this_thread::get_id() == interfaceThread;
            seen.push_back(what + ": " + std::to_string(done) + " of " + std::to_string(total));
        }));
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return !work.Running(); }));
    EXPECT_EQ(seen, (std::vector<std::string>{"step 0: 0 of 3", "step 1: 1 of 3", "step 2: 2 of 3", "finished"}));
    EXPECT_TRUE(onInterfaceThread);
}

}  // namespace
