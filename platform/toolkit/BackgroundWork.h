#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "Events.h"

namespace orvane::toolkit {

// What a piece of work on a worker thread tells the user-interface thread,
// and the request to stop that comes back. Safe from either thread.
class WorkProgress {
public:
    virtual ~WorkProgress() = default;
    // Steps done of steps planned, and what comes next.
    virtual void Report(std::size_t done, std::size_t total, const std::string& what) = 0;
    // Set when the user asked to stop; the work stops at its next safe point.
    const std::atomic<bool>& CancelRequested() const { return cancel_; }
    void RequestCancel() { cancel_ = true; }

private:
    std::atomic<bool> cancel_{false};
};

using Work = std::function<void(WorkProgress&)>;

// Runs work on a worker thread while a modal progress dialog (title, the
// work's reports, a bar and a Cancel button) stands over the active
// window, which keeps being drawn. Cancel asks the work to stop and the
// dialog stays until it has. Returns once the work has returned; an
// exception that escaped the work is raised again here.
void RunWithProgress(const std::string& title, const Work& work);

// Work on a worker thread with nothing shown: the windows stay fully in
// the user's hands. Finished runs on the user-interface thread, as an event
// handler, after the work has returned. One piece of work at a time.
class BackgroundWork {
public:
    BackgroundWork();
    // Asks running work to stop and waits for it; Finished is not run then.
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    using ReportHandler = std::function<void(std::size_t done, std::size_t total, const std::string& what)>;

    // False (and nothing started) while earlier work is still running.
    // report, when given, gets the work's reports on the user-interface
    // thread, in order, each before Finished.
    bool Start(Work work, EventHandler finished, ReportHandler report = {});
    bool Running() const;
    void Cancel();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane::toolkit
