#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "sync/SyncRun.h"
#include "toolkit/BackgroundWork.h"
#include "toolkit/Timer.h"

// What one sync run brought back to the window: its result, or the error
// that ended it.
struct SyncOutcome {
    orvane::sync::SyncResult result;
    bool failed = false;
    std::int32_t errorNumber = 0;
    std::string error;
    std::string fingerprint;  // an untrusted certificate's SHA-256
};

// The window's database file, as the sync engine opens it.
std::string WindowDatabase();

// Runs one sync of the window's database; never raises.
SyncOutcome RunSync(const std::string& database, const std::string& password, orvane::toolkit::WorkProgress& progress);

// Where a sync error is shown, which decides what the user can do next:
// in the account dialog itself, or after a run whose password came from
// the keychain or was typed at Synchronize.
enum class SyncErrorPlace { AccountDialog, RunWithKeptPassword, RunWithTypedPassword };

// A client error in the user's words: a refused password, an untrusted
// certificate with its fingerprint, a server out of reach; and what to do.
std::string SyncErrorText(std::int32_t number, const std::string& description, const std::string& fingerprint,
                          SyncErrorPlace place = SyncErrorPlace::RunWithTypedPassword);

// The address-book window's sync bookkeeping: the clock of the automatic
// runs, the run in the background, and what the window knows of the
// account between two looks at the database.
struct SyncSession {
    static constexpr std::chrono::minutes kEvery{15};
    static constexpr std::int32_t kClockMs = 1000;

    orvane::toolkit::Timer clock;
    std::chrono::steady_clock::time_point nextDue{};
    // A quiet run's outcome that waits for the user to leave edit mode.
    std::optional<SyncOutcome> waiting;
    SyncOutcome quietOutcome;
    // The password typed in this session when no keychain keeps it; never stored.
    std::optional<std::string> typedPassword;
    // The last run's password came from the keychain.
    bool passwordKept = false;
    bool accountSetUp = false;
    std::size_t conflictsHeld = 0;
    // While a dialog of the sync commands or a run with its progress dialog
    // is up, the clock starts nothing.
    int busy = 0;
    // Last, so that it is gone first: its run writes to quietOutcome until
    // it has stopped.
    orvane::toolkit::BackgroundWork background;
};
