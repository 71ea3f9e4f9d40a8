// The address-book window's sync: the context menu's commands, the runs
// (with a progress dialog when the user asked, in the background when the
// window's clock did), and what the window does when a run ends.

#include <chrono>

#include "Functions.h"
#include "SyncSession.h"
#include "frmOrvane.h"
#include "carddav/CardDavErrors.h"
#include "keychain/Keychain.h"
#include "sync/SyncAccountService.h"
#include "toolkit/DialogBox.h"
#include "toolkit/MsgBox.h"

using namespace orvane::toolkit;
using Clock = std::chrono::steady_clock;

namespace {

// Keeps the clock from starting a run while it lives.
class Busy {
public:
    explicit Busy(int& count) : count_(count) { ++count_; }
    ~Busy() { --count_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    int& count_;
};

std::string Plural(std::size_t n, const std::string& one, const std::string& many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The addresses whose cards the server refused; the window's own runs
// show only those refused just now, not those held back from before.
void ShowRefused(const orvane::sync::SyncResult& result, bool quiet) {
    std::vector<std::string> lines;
    for (const orvane::sync::RefusedCard& refused : result.refused)
        if (!quiet || !refused.earlier) lines.push_back(refused.Text());
    if (lines.empty() || result.cancelled) return;
    std::string text = "The server refused " + Plural(lines.size(), "address", "addresses") + ":";
    for (std::size_t i = 0; i < lines.size() && i < 10; ++i) text += "\n" + lines[i];
    if (lines.size() > 10) text += "\n… and " + std::to_string(lines.size() - 10) + " more";
    text += "\n\nWhat was refused is not on the server; each is sent again once the address is changed here.";
    MsgBox(text, vbExclamation, Functions::gstrAppTitle);
}

}  // namespace

void frmOrvane::ConnectSyncCommands() {
    msync = std::make_unique<SyncSession>();
    msync->clock.Tick = [this] { SyncClock_Tick(); };
    lstAddress.Extras.contextMenu.push_back({"Synchronize", [this] { mnuSynchronize_Click(); },
                                             [this] { return msync->accountSetUp; }});
    lstAddress.Extras.contextMenu.push_back({"Sync Account…", [this] { mnuSyncAccount_Click(); }});
    lstAddress.Extras.contextMenu.push_back({"Sync Conflicts…", [this] { mnuSyncConflicts_Click(); },
                                             [this] { return msync->conflictsHeld > 0; }});
}

// What the menu and the clock know of the account, read again after every
// change to it.
void frmOrvane::NoteSyncAccount() {
    const auto status = orvane::sync::SyncAccountService(WindowDatabase()).Status();
    msync->accountSetUp = status.has_value();
    msync->conflictsHeld = status ? status->conflictsHeld : 0;
}

// The window syncs once soon after it is loaded, then every quarter hour.
void frmOrvane::Loaded() {
    NoteSyncAccount();
    msync->nextDue = Clock::now();
    msync->clock.Start(SyncSession::kClockMs);
}

void frmOrvane::Unloading() {
    msync->clock.Stop();
    msync->waiting.reset();
}

bool frmOrvane::EditingAddress() const { return cmdSave.Enabled(); }

bool frmOrvane::SyncRunning() const { return msync->background.Running() || msync->busy > 0; }

// The account's password: from the keychain, else the one typed in this
// session, else (when the user started the run) asked for.
std::optional<std::string> frmOrvane::SyncPassword(bool mayAsk) {
    const auto status = orvane::sync::SyncAccountService(WindowDatabase()).Status();
    if (!status) return std::nullopt;
    msync->passwordKept = false;
    try {
        if (auto kept = orvane::Keychain().Read(orvane::CardDavPasswordKey(status->user, status->serverUrl))) {
            msync->passwordKept = true;
            return kept;
        }
    } catch (const orvane::Error&) {
        // No keychain, or one that fails: the password is asked for instead.
    }
    if (!mayAsk) return msync->typedPassword;
    DialogBox dialog("Sync Password");
    dialog.AddText("The password for " + status->user + " at " + status->serverUrl + ":");
    dialog.AddTextField("Password", msync->typedPassword.value_or(""), true);
    dialog.CloseButtons({"OK", "Cancel"});
    if (dialog.Show() != 0) return std::nullopt;
    msync->typedPassword = dialog.Field("Password");
    return msync->typedPassword;
}

void frmOrvane::mnuSynchronize_Click() {
    if (SyncRunning()) {
        MsgBox("A sync is running already.", vbInformation, Functions::gstrAppTitle);
        return;
    }
    if (EditingAddress()) {
        MsgBox("Save or cancel the address you are editing first.", vbInformation, Functions::gstrAppTitle);
        return;
    }
    SyncOutcome outcome;
    {
        Busy busy(msync->busy);
        const std::optional<std::string> password = SyncPassword(true);
        if (!password) return;
        msync->nextDue = Clock::now() + SyncSession::kEvery;
        const std::string database = WindowDatabase();
        RunWithProgress("Synchronizing",
                        [&](WorkProgress& progress) { outcome = RunSync(database, *password, progress); });
    }
    SyncFinished(outcome, false);
}

void frmOrvane::SyncClock_Tick() {
    if (!IsLoaded() || SyncRunning() || EditingAddress()) return;
    if (msync->waiting) {
        const SyncOutcome outcome = std::move(*msync->waiting);
        msync->waiting.reset();
        SyncFinished(outcome, true);
        return;
    }
    if (!msync->accountSetUp || Clock::now() < msync->nextDue) return;
    msync->nextDue = Clock::now() + SyncSession::kEvery;
    StartQuietSync();
}

void frmOrvane::StartQuietSync() {
    const std::optional<std::string> password = SyncPassword(false);
    if (!password) return;  // asked for when the user synchronizes
    msync->background.Start(
        [this, database = WindowDatabase(), password = *password](WorkProgress& progress) {
            msync->quietOutcome = RunSync(database, password, progress);
        },
        [this] {
            if (!IsLoaded()) return;
            if (EditingAddress() || msync->busy > 0)
                msync->waiting = msync->quietOutcome;  // the clock hands it over in browse mode
            else
                SyncFinished(msync->quietOutcome, true);
        });
}

// The load sequence again, then the address that was selected, where it
// still exists.
void frmOrvane::ReloadKeepingSelection() {
    const std::int32_t lngIndex = lstAddress.ListIndex();
    const std::optional<std::int32_t> lngSelectedID =
        lngIndex >= 0 ? std::optional<std::int32_t>(lstAddress.ItemData(lngIndex)) : std::nullopt;
    Form_Load();
    if (!lngSelectedID) return;
    for (std::int32_t i = 0; i < lstAddress.ListCount(); ++i)
        if (lstAddress.ItemData(i) == *lngSelectedID) {
            lstAddress.Selected(i, true);
            return;
        }
    Functions::ClearFields();
}

// After a run: the name list as the database now holds it, and a box only
// when something needs the user.
void frmOrvane::SyncFinished(const SyncOutcome& outcome, bool quiet) {
    NoteSyncAccount();
    ReloadKeepingSelection();
    const orvane::sync::SyncResult& result = outcome.result;
    if (outcome.failed) {
        // The window's own run leaves the book to a run already under way.
        if (quiet && outcome.errorNumber == orvane::sync::syncerr::AnotherRun) return;
        if (outcome.errorNumber == orvane::carddav::errnum::Authentication) msync->typedPassword.reset();
        MsgBox("The sync did not finish. " + SyncErrorText(outcome.errorNumber, outcome.error, outcome.fingerprint,
                                                             msync->passwordKept ? SyncErrorPlace::RunWithKeptPassword
                                                                                 : SyncErrorPlace::RunWithTypedPassword),
               vbExclamation, Functions::gstrAppTitle);
        return;
    }
    if (result.stoppedForSafety) {
        std::string text = "The sync stopped before deleting anything here.";
        for (const std::string& problem : result.problems) text += "\n\n" + problem;
        MsgBox(text, vbExclamation, Functions::gstrAppTitle);
        return;
    }
    if (!quiet && !result.problems.empty() && !result.cancelled) {
        std::string text = "The sync finished with problems:";
        for (std::size_t i = 0; i < result.problems.size() && i < 10; ++i) text += "\n" + result.problems[i];
        MsgBox(text, vbExclamation, Functions::gstrAppTitle);
    }
    ShowRefused(result, quiet);
    if (result.conflictsHeld > 0 && !result.cancelled) {
        MsgBox(Plural(result.conflictsHeld, "field was", "fields were") +
                   " changed here and on the server in different ways. Neither side was overwritten: choose "
                   "which to keep.",
               vbExclamation, Functions::gstrAppTitle);
        if (ResolveConflicts()) mnuSynchronize_Click();
    }
}

void frmOrvane::mnuSyncConflicts_Click() {
    if (SyncRunning()) return;
    if (ResolveConflicts()) mnuSynchronize_Click();
}

void frmOrvane::mnuSyncAccount_Click() {
    if (SyncRunning()) {
        MsgBox("A sync is running already.", vbInformation, Functions::gstrAppTitle);
        return;
    }
    {
        Busy busy(msync->busy);
        ShowAccountDialog();
    }
    NoteSyncAccount();
}
