#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sync/SyncRun.h"

namespace orvane::toolkit {
class ProgressWindow;
}

// What a step of a sync does, in words: "Sending Zed Local…",
// "Receiving 1,204 of 2,000".
std::string SyncStepText(std::size_t done, std::size_t total, const orvane::sync::SyncStep& step);
// How a run went: "Received 2, sent 1; nothing waiting." and, on lines of
// their own, what needs the user (SyncAttentionText). waiting: addresses
// changed here that the next run sends.
std::string SyncSummaryText(const orvane::sync::SyncResult& result, std::size_t waiting);
// What of a run needs the user, one kind a paragraph: the fields held in
// conflict, the problems; empty when nothing does.
std::string SyncAttentionText(const orvane::sync::SyncResult& result);

// The window that shows a sync the user started while it runs, without
// blocking the address-book window: what the run does now, a bar and
// Cancel; at the end how it went, until closed. It closes by itself a few
// seconds after a run that needs nothing of the user.
class frmSyncProgress {
public:
    // How long the summary of such a run stays (tests shorten it).
    static inline std::int32_t closeAfterMs = 5000;

    explicit frmSyncProgress(std::function<void()> cancel);
    ~frmSyncProgress();
    frmSyncProgress(const frmSyncProgress&) = delete;
    frmSyncProgress& operator=(const frmSyncProgress&) = delete;

    void Show();
    bool Visible() const;
    // The run it shows has ended.
    bool Finished() const;
    void Close();
    // A report of the run, already in words.
    void Step(std::size_t done, std::size_t total, const std::string& text);
    void Finish(const std::string& summary, bool needsUser);

private:
    std::unique_ptr<orvane::toolkit::ProgressWindow> window_;
    bool stopping_ = false;
};
