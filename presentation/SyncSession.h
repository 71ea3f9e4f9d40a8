#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "frmSyncProgress.h"
#include "sync/SyncFailure.h"
#include "sync/SyncRun.h"
#include "toolkit/BackgroundWork.h"
#include "toolkit/Timer.h"

// What one sync run brought back to the window: its result, or the failure
// that ended it.
struct SyncOutcome {
    orvane::sync::SyncResult result;
    std::optional<orvane::sync::SyncFailure> failure;
};

// The window's database file, as the sync engine opens it.
std::string WindowDatabase();

// Runs one sync of the window's database; never raises. Each step is
// reported to progress in words (SyncStepText).
SyncOutcome RunSync(const std::string& database, const std::string& password, orvane::toolkit::WorkProgress& progress);

// Where a sync error is shown, which decides what the user can do next:
// in the account dialog itself, or after a run whose password came from
// the keychain or was typed at Synchronize.
enum class SyncErrorPlace { AccountDialog, RunWithKeptPassword, RunWithTypedPassword };

// A failure in the user's words: a refused password, an untrusted
// certificate with its fingerprint, a server out of reach; and what to do.
std::string SyncErrorText(const orvane::sync::SyncFailure& failure,
                          SyncErrorPlace place = SyncErrorPlace::RunWithTypedPassword);
// Whether the user must act before a sync can work again (password,
// certificate, address book), unlike a server that is out of reach for now.
bool SyncNeedsUser(orvane::sync::SyncFailure::Kind kind);
// The account is set up but the keychain (failing with this number) could
// not keep the password.
std::string PasswordNotKeptText(std::int32_t keychainError);

// A run that ended while the user was busy (editing an address, in a sync
// dialog): handed over once they are done.
struct EndedSyncRun {
    SyncOutcome outcome;
    bool shown = false;    // the user started it and watches its progress
    bool startUp = false;  // the window's own run after it was loaded
};

// The address-book window's sync bookkeeping: the clock of the automatic
// runs, the run in the background with its progress window, and what the
// window knows of the account between two looks at the database.
struct SyncSession {
    // How often the window syncs by itself, and how often its clock looks
    // whether a run is due (tests shorten both).
    static inline std::chrono::milliseconds every{std::chrono::minutes(15)};
    static inline std::int32_t clockMs = 1000;
    // For tests: called on the run's thread before each step of any run,
    // with the steps done; a test holds the run in the middle with it.
    static inline std::function<void(std::size_t done)> stepHook;
    // The server's address book each run opens, from the account stored;
    // tests put one kept in memory here.
    static inline orvane::sync::BookOpener openBook = orvane::sync::OpenCardDavBook;

    orvane::toolkit::Timer clock;
    std::chrono::steady_clock::time_point nextDue{};
    // The next automatic run is the window's start-up run.
    bool startUpDue = false;
    // The run under way: shown to the user, the start-up run.
    bool shown = false;
    bool startUp = false;
    std::optional<EndedSyncRun> waiting;
    SyncOutcome outcome;  // written by the run's thread until it has ended
    std::unique_ptr<frmSyncProgress> progress;
    // The password typed in this session when no keychain keeps it; never stored.
    std::optional<std::string> typedPassword;
    // The last run's password came from the keychain.
    bool passwordKept = false;
    bool accountSetUp = false;
    std::size_t conflictsHeld = 0;
    // Automatic runs that failed: since when, and the failure the user was
    // told of (each is told once, until a run works again).
    std::string status;
    std::string failingSince;
    std::int32_t failureTold = 0;
    // The held conflicts last put before the user (automatic runs show
    // them again only when they change).
    std::string conflictsShown;
    // While a dialog of the sync commands is up, the clock starts nothing.
    int busy = 0;
    // Last, so that it is gone first: its run writes to outcome until it
    // has stopped.
    orvane::toolkit::BackgroundWork background;
};
