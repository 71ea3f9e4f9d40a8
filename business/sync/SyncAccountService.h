#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SyncStateRecords.h"
#include "sync/FieldMerge.h"

// The account a database file syncs with, and its held conflicts: set up,
// looked at, resolved and forgotten. The password is never stored here.
namespace orvane::sync {

namespace errnum {
inline constexpr std::int32_t NoConflict = 7103;  // resolve: no conflict held for that address
}

struct AccountSetup {
    std::string url;          // whatever the user typed: root, well-known, principal or book
    std::string user;
    std::string password;     // checked with the server, never stored
    std::string addressBook;  // the book's name; empty: the first found
    std::string caFile;       // one more certificate (PEM) trusted for this account only
    std::string addressBookUrl;    // the book chosen among those found; wins over addressBook
    bool keepCertificate = false;  // with no caFile: the certificate stored with the account stays trusted
};

// An address book found on the server, as the user chooses among them.
struct FoundBook {
    std::string url;
    std::string name;  // its display name, else the last segment of its URL
};

struct AccountStatus {
    std::string serverUrl;
    std::string user;
    std::string addressBookUrl;
    std::string addressBookName;          // display name when the server gave one, else empty
    std::string certificateFingerprint;   // SHA-256 of the trusted certificate kept; empty: none
    std::optional<std::string> lastSync;  // UTC, ISO 8601
    std::size_t localChangesWaiting = 0;  // addresses added, changed or deleted since the last run
    std::size_t conflictsHeld = 0;
    // The writes the server refused, one line each ("Zoe, Other (ID 1):
    // no-uid-conflict (HTTP 409)"); not counted as changes waiting.
    std::vector<std::string> refused;
};

// The name of a field as the program prints it ("last name").
const char* FieldName(std::size_t field);
// The field of a held conflict as the program prints it, else its property.
std::string ConflictName(const HeldConflict& conflict);

// Setup, Resolve and Forget change the sync state only while no run holds
// the database's sync lock; else they raise errnum::AnotherRun.
class SyncAccountService {
public:
    // database: the database file; empty for the window's database.
    explicit SyncAccountService(std::string database);

    // Finds the address book, checks the password with the server, and stores
    // the account (a different account's sync state is dropped first).
    // Returns the book's URL. Client errors raise as they are.
    std::string Setup(const AccountSetup& setup) const;
    // The address books the setup reaches, the password checked with the
    // server; nothing is stored. Client errors raise as they are.
    std::vector<FoundBook> FindBooks(const AccountSetup& setup) const;
    // None when no account is set up.
    std::optional<AccountStatus> Status() const;
    // Only whether an account is set up and how many fields and properties
    // are held in conflict: what a window's menu needs, without reading
    // every address.
    std::optional<std::size_t> ConflictsIfSetUp() const;
    // By address: its fields, then the properties of its card.
    std::vector<HeldConflict> Conflicts() const;
    // Takes one side for every field and property of the address held in
    // conflict. The server's value goes into the address (or its kept card)
    // at once; our value is sent on the next run: for a property, the card
    // agreed on takes the server's value, so ours is the one change. Returns
    // the number resolved (NoConflict when none).
    std::size_t Resolve(std::int32_t addressId, Side take) const;
    // Drops the account and all sync state; every address and card stays.
    // Returns the account that was dropped, if any.
    std::optional<std::pair<std::string, std::string>> Forget() const;

private:
    std::string database_;
};

}  // namespace orvane::sync
