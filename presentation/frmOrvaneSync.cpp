// The address-book window's sync: the context menu's commands and F5, the
// runs in the background (with a progress window when the user started
// them, silent when the window's clock did), and what the window does when
// a run ends.

#include <chrono>
#include <ctime>
#include <map>
#include <utility>

#include "Functions.h"
#include "SyncSession.h"
#include "frmOrvane.h"
#include "frmOrvaneSyncDialogs.h"
#include "keychain/Keychain.h"
#include "sync/SyncAccountService.h"
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

// The time of day, as the desktop's clock shows it: "14:05".
std::string TimeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M", &local);
    return text;
}

// The held conflicts, one line each, to tell whether they changed.
std::string ConflictsKey() {
    std::string key;
    for (const HeldConflict& line : orvane::sync::SyncAccountService(WindowDatabase()).Conflicts())
        key += std::to_string(line.addressId) + "/" + orvane::sync::ConflictName(line) + "/" + line.serverValue + "\n";
    return key;
}

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
    // Greyed, like the editing buttons, while an address is edited.
    lstAddress.Extras.contextMenu.push_back({"Synchronize", [this] { mnuSynchronize_Click(); },
                                             [this] { return msync->accountSetUp && !EditingAddress(); }, "F5"});
    lstAddress.Extras.contextMenu.push_back({"Sync Account…", [this] { mnuSyncAccount_Click(); }});
    lstAddress.Extras.contextMenu.push_back({"Sync Conflicts…", [this] { mnuSyncConflicts_Click(); },
                                             [this] { return msync->conflictsHeld > 0; }});
}

// What the menu and the clock know of the account, read again after every
// change to it (not the changes waiting: that would read every address).
void frmOrvane::NoteSyncAccount() {
    const auto conflicts = orvane::sync::SyncAccountService(WindowDatabase()).ConflictsIfSetUp();
    msync->accountSetUp = conflicts.has_value();
    msync->conflictsHeld = conflicts.value_or(0);
}

// The window syncs once soon after it is loaded, then every quarter hour.
// Each showing of the window starts afresh: what earlier runs told the
// user is told again when it still holds.
void frmOrvane::Loaded() {
    NoteSyncAccount();
    msync->nextDue = Clock::now();
    msync->startUpDue = true;
    msync->status.clear();
    msync->failingSince.clear();
    msync->failureTold = 0;
    msync->conflictsShown.clear();
    msync->clock.Start(SyncSession::clockMs);
}

// A run under way stops after its current step; what it did is kept.
void frmOrvane::Unloading() {
    msync->clock.Stop();
    msync->waiting.reset();
    msync->background.Cancel();
    if (msync->progress) msync->progress->Close();
}

bool frmOrvane::EditingAddress() const { return cmdSave.Enabled(); }

bool frmOrvane::SyncRunning() const { return msync->background.Running(); }

std::string frmOrvane::SyncStatus() const { return msync->status; }

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
    Busy busy(msync->busy);
    std::optional<std::string> typed =
        AskSyncPassword(status->user, status->serverUrl, msync->typedPassword.value_or(""));
    if (!typed) return std::nullopt;
    msync->typedPassword = std::move(typed);
    return msync->typedPassword;
}

// From the menu or F5: a run with its progress window. While a run goes
// on already, its progress window is shown instead.
void frmOrvane::mnuSynchronize_Click() {
    if (!msync->accountSetUp || EditingAddress()) return;
    if (SyncRunning()) {
        msync->shown = true;
        ShowSyncProgress();
        return;
    }
    const std::optional<std::string> password = SyncPassword(true);
    if (!password) return;
    StartSync(*password, true);
}

void frmOrvane::SyncClock_Tick() {
    if (!IsLoaded() || SyncRunning() || msync->busy > 0 || EditingAddress()) return;
    if (msync->waiting) {
        const EndedSyncRun ended = std::move(*msync->waiting);
        msync->waiting.reset();
        SyncFinished(ended);
        return;
    }
    if (!msync->accountSetUp || Clock::now() < msync->nextDue) return;
    // Without a kept or typed password the run waits for the user's Synchronize.
    const std::optional<std::string> password = SyncPassword(false);
    msync->nextDue = Clock::now() + SyncSession::every;
    const bool startUp = std::exchange(msync->startUpDue, false);
    if (!password) return;
    StartSync(*password, false);
    msync->startUp = startUp;
}

// The progress window of the run under way: the one shown already, else
// a new one (never the summary of an earlier run).
void frmOrvane::ShowSyncProgress() {
    if (!msync->progress || !msync->progress->Visible() || msync->progress->Finished()) {
        if (msync->progress) msync->progress->Close();
        msync->progress = std::make_unique<frmSyncProgress>([this] { msync->background.Cancel(); });
    }
    msync->progress->Show();
}

void frmOrvane::StartSync(const std::string& password, bool shown) {
    msync->nextDue = Clock::now() + SyncSession::every;
    msync->shown = shown;
    msync->startUp = false;
    if (shown) ShowSyncProgress();
    msync->background.Start(
        [this, database = WindowDatabase(), password](WorkProgress& progress) {
            msync->outcome = RunSync(database, password, progress);
        },
        [this] { SyncRunEnded(); },
        [this](std::size_t done, std::size_t total, const std::string& text) {
            if (msync->shown && msync->progress) msync->progress->Step(done, total, text);
        });
}

// The run has ended: its progress window says how it went at once; the
// name list and anything that needs the user wait until no address is
// being edited.
void frmOrvane::SyncRunEnded() {
    if (!IsLoaded()) return;
    EndedSyncRun ended{msync->outcome, std::exchange(msync->shown, false), std::exchange(msync->startUp, false)};
    NoteSyncAccount();
    if (ended.shown && msync->progress) {
        if (ended.outcome.failure) {
            msync->progress->Close();  // a box says what happened
        } else {
            const auto status = orvane::sync::SyncAccountService(WindowDatabase()).Status();
            const orvane::sync::SyncResult& result = ended.outcome.result;
            const bool needsUser = result.conflictsHeld > 0 || !result.problems.empty() || result.stoppedForSafety;
            msync->progress->Finish(SyncSummaryText(result, status ? status->localChangesWaiting : 0), needsUser);
        }
    }
    if (EditingAddress() || msync->busy > 0) {
        msync->waiting = std::move(ended);  // the clock hands it over
        return;
    }
    SyncFinished(ended);
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

// A run that failed. The user hears of it when they started the run, at the
// window's start-up run, and once for a failure they must act on; a server
// out of reach is only noted for the account dialog and the next Synchronize.
void frmOrvane::SyncFailed(const EndedSyncRun& ended) {
    using Kind = orvane::sync::SyncFailure::Kind;
    const orvane::sync::SyncFailure& failure = *ended.outcome.failure;
    // The window's own run leaves the book to a run already under way.
    if (!ended.shown && failure.kind == Kind::AnotherRun) return;
    if (failure.kind == Kind::Authentication) msync->typedPassword.reset();
    const std::string text = SyncErrorText(
        failure, msync->passwordKept ? SyncErrorPlace::RunWithKeptPassword : SyncErrorPlace::RunWithTypedPassword);
    const bool tell = ended.shown || ended.startUp ||
                      (SyncNeedsUser(failure.kind) && msync->failureTold != failure.number);
    if (!ended.shown) {
        if (msync->failingSince.empty()) msync->failingSince = TimeOfDay();
        msync->status = "The automatic syncs since " + msync->failingSince + " did not finish. " + text;
    }
    if (!tell) return;
    msync->failureTold = failure.number;
    MsgBox("The sync did not finish. " + text, vbExclamation, Functions::gstrAppTitle);
}

// After a run: the name list as the database now holds it, and a box only
// when something needs the user.
void frmOrvane::SyncFinished(const EndedSyncRun& ended) {
    NoteSyncAccount();
    ReloadKeepingSelection();
    if (ended.outcome.failure) {
        SyncFailed(ended);
        return;
    }
    msync->status.clear();
    msync->failingSince.clear();
    msync->failureTold = 0;
    const orvane::sync::SyncResult& result = ended.outcome.result;
    if (result.stoppedForSafety) {
        std::string text = "The sync stopped before deleting anything here.";
        for (const std::string& problem : result.problems) text += "\n\n" + problem;
        MsgBox(text, vbExclamation, Functions::gstrAppTitle);
        return;
    }
    ShowRefused(result, !ended.shown);
    if (result.cancelled) return;
    // Held conflicts (the run's summary lists them) after any run; an
    // automatic run puts the same ones before the user only once.
    const std::string conflicts = result.conflictsHeld > 0 ? ConflictsKey() : std::string();
    const bool newConflicts = conflicts != msync->conflictsShown;
    msync->conflictsShown = conflicts;
    if (conflicts.empty() || (!ended.shown && !newConflicts)) return;
    MsgBox(SyncAttentionText(result), vbExclamation, Functions::gstrAppTitle);
    if (ResolveConflicts()) mnuSynchronize_Click();
}

// One dialog per address held in conflict, each side taken at once. True
// when a side taken has something to send and the user wants it synced now.
bool frmOrvane::ResolveConflicts() {
    const orvane::sync::SyncAccountService service(WindowDatabase());
    std::map<std::int32_t, std::vector<HeldConflict>> byAddress;
    for (HeldConflict& line : service.Conflicts()) byAddress[line.addressId].push_back(std::move(line));
    // Only a side taken from this computer has something to send.
    bool toSend = false;
    for (const auto& [lngAddressID, lines] : byAddress) {
        std::string name;
        for (std::int32_t i = 0; i < lstAddress.ListCount(); ++i)
            if (lstAddress.ItemData(i) == lngAddressID) name = lstAddress.List(i);
        const std::optional<orvane::sync::Side> take = AskConflictSide(name, lines);
        if (!take) continue;
        service.Resolve(lngAddressID, *take);
        toSend = toSend || *take == orvane::sync::Side::Local;
    }
    NoteSyncAccount();
    ReloadKeepingSelection();
    return toSend && AskSyncNow();
}

void frmOrvane::mnuSyncConflicts_Click() {
    if (SyncRunning()) return;
    if (ResolveConflicts()) mnuSynchronize_Click();
}

void frmOrvane::mnuSyncAccount_Click() {
    if (SyncRunning()) {
        MsgBox("A sync is under way. Change the account once it has finished.", vbInformation,
               Functions::gstrAppTitle);
        return;
    }
    bool setUp = false;
    {
        Busy busy(msync->busy);
        setUp = ShowAccountDialog();
    }
    NoteSyncAccount();
    // A new account's first sync runs at once, with its progress window.
    if (setUp && msync->typedPassword && !EditingAddress()) StartSync(*msync->typedPassword, true);
}
