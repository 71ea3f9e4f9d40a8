#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sync/ServerBook.h"
#include "sync/SyncState.h"

// One two-way sync of the address table of a database file with the
// CardDAV address book of the account stored in that file.
namespace orvane::sync {

namespace errnum {
inline constexpr std::int32_t NoAccount = 7101;  // no account is set up in this database
inline constexpr std::int32_t Cancelled = 7102;  // not raised: see SyncResult::cancelled
inline constexpr std::int32_t AnotherRun = 7104;  // another sync of the same database is running
}  // namespace errnum

// A step of a run as its progress shows it.
struct SyncStep {
    ActionKind kind = ActionKind::KeepRecord;
    std::string name;       // the address it is about: "Zed Local", "(no name)"
    std::size_t count = 1;  // the addresses it covers (received ones are stored many at a time)
    std::string line;       // the dry run's line for it: "send: Zed Local (ID 2008)"
};

struct SyncOptions {
    std::string database;  // empty: the window's database
    std::string password;  // never stored, logged or shown
    bool dryRun = false;       // plan and report; change nothing on either side
    bool forceDelete = false;  // go on past the safety stop
    bool retryRefused = false; // send again the cards the server refused, changed or not
    // Called before each step: steps done, steps planned, what comes next.
    std::function<void(std::size_t done, std::size_t total, const SyncStep& next)> progress;
    // Set from another thread to stop between two steps; what was done is kept.
    const std::atomic<bool>* cancel = nullptr;
};

// A card the server refused this run, or refused on an earlier run and not
// sent again because it has not changed since.
struct RefusedCard {
    std::int32_t addressId = 0;  // 0: a card whose address was deleted here
    std::string name;            // the address as the list shows it; empty for a delete
    std::string href;
    std::string reason;          // "no-uid-conflict (HTTP 409)": what the server named, and its status
    bool earlier = false;        // refused by an earlier run, not sent again

    // "Zoe, Other (ID 1): no-uid-conflict (HTTP 409)"
    std::string Text() const;
};

struct SyncResult {
    std::size_t received = 0;     // addresses stored or changed here from the server
    std::size_t sent = 0;         // cards created or changed on the server
    std::size_t deletedHere = 0;
    std::size_t deletedThere = 0;
    std::size_t conflictsHeld = 0;
    std::vector<std::string> problems;  // one line each
    std::vector<std::string> planned;   // dry run: one line per step it would take
    bool stoppedForSafety = false;      // nothing was changed; see problems
    bool cancelled = false;             // stopped between two steps; the next run goes on
    std::size_t requests = 0;           // HTTP requests made
    std::vector<RefusedCard> refused;   // never counted as sent

    // "received 2, sent 1, deleted here 0, deleted there 0, conflicts held 1",
    // followed by ", refused 2" when the server refused cards.
    std::string SummaryLine() const;
};

// A run: takes the database's sync lock (another run holding it raises
// errnum::AnotherRun before anything is read), reads what changed on the server, plans with SyncPlanner and
// carries the plan out, recording every write before it is sent so that a
// run cut short at any moment is finished by the next without duplicates.
// A failure (network, authentication, certificate) raises orvane::Error
// with the CardDAV client's numbers; what was done until then is kept
// consistent on both sides.
class SyncRun {
public:
    // openBook: the book on the server, from the account stored.
    explicit SyncRun(SyncOptions options, BookOpener openBook = OpenCardDavBook);
    SyncResult Run();

private:
    SyncOptions options_;
    BookOpener openBook_;
};

}  // namespace orvane::sync
