#include "frmSyncProgress.h"

#include <vector>

#include "toolkit/ProgressWindow.h"

using orvane::sync::ActionKind;

namespace {

// 1204 -> "1,204"
std::string Thousands(std::size_t n) {
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

std::string Count(std::size_t n, const std::string& one, const std::string& many) {
    return Thousands(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string SyncStepText(std::size_t done, std::size_t total, const orvane::sync::SyncStep& step) {
    const std::string ofTotal = Thousands(done + step.count) + " of " + Thousands(total);
    switch (step.kind) {
        case ActionKind::StoreLocal:
        case ActionKind::UpdateLocal: return "Receiving " + ofTotal;
        case ActionKind::CreateOnServer:
        case ActionKind::UpdateOnServer: return "Sending " + step.name + "…";
        case ActionKind::DeleteOnServer: return "Deleting " + step.name + " on the server…";
        case ActionKind::DeleteLocal: return "Deleting " + step.name + " here…";
        case ActionKind::Link: return "Matching " + step.name + " with the server's card…";
        case ActionKind::KeepRecord:
        case ActionKind::DropRecord: return "Checking " + ofTotal;
    }
    return "Synchronizing…";
}

std::string SyncSummaryText(const orvane::sync::SyncResult& result, std::size_t waiting) {
    std::string text = result.cancelled ? "Stopped; what was done is kept. Received " : "Received ";
    text += Thousands(result.received) + ", sent " + Thousands(result.sent);
    if (result.deletedHere + result.deletedThere > 0)
        text += ", deleted " + Thousands(result.deletedHere) + " here and " + Thousands(result.deletedThere) +
                " on the server";
    text += waiting == 0 ? "; nothing waiting" : "; " + Count(waiting, "change", "changes") + " waiting for the next sync";
    text += ".";
    if (result.stoppedForSafety) text = "Stopped before deleting anything here.";
    const std::string attention = SyncAttentionText(result);
    return attention.empty() ? text : text + "\n" + attention;
}

std::string SyncAttentionText(const orvane::sync::SyncResult& result) {
    std::vector<std::string> parts;
    if (result.conflictsHeld > 0)
        parts.push_back(Count(result.conflictsHeld, "field was", "fields were") +
                        " changed here and on the server in different ways. Neither side was overwritten: choose "
                        "which to keep.");
    if (!result.problems.empty()) {
        std::string lines = Count(result.problems.size(), "problem:", "problems:");
        for (std::size_t i = 0; i < result.problems.size() && i < 5; ++i) lines += "\n" + result.problems[i];
        if (result.problems.size() > 5) lines += "\n… and " + Thousands(result.problems.size() - 5) + " more";
        parts.push_back(std::move(lines));
    }
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "\n") + part;
    return text;
}

frmSyncProgress::frmSyncProgress(std::function<void()> cancel)
    : window_(std::make_unique<orvane::toolkit::ProgressWindow>("Synchronizing", "Sync progress")) {
    window_->Text("Connecting to the server…");
    window_->CancelRequested = [this, cancel = std::move(cancel)] {
        stopping_ = true;
        window_->Text("Stopping after the current step…");
        cancel();
    };
}

frmSyncProgress::~frmSyncProgress() = default;

void frmSyncProgress::Show() { window_->Show(); }

bool frmSyncProgress::Visible() const { return window_->Visible(); }

bool frmSyncProgress::Finished() const { return window_->Finished(); }

void frmSyncProgress::Close() { window_->Close(); }

void frmSyncProgress::Step(std::size_t done, std::size_t total, const std::string& text) {
    if (window_->Finished() || stopping_) return;
    window_->Progress(done, total);
    window_->Text(text);
}

void frmSyncProgress::Finish(const std::string& summary, bool needsUser) {
    window_->Finish(summary, needsUser ? 0 : closeAfterMs);
    window_->Show();
}
