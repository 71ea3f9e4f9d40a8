#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Plain values exchanged with CardDavClient. URLs are absolute and
// percent-encoded as the server sent them, resolved against the request.
namespace orvane::carddav {

struct ConnectionSettings {
    std::string url;       // whatever the user typed: root, well-known, principal or the book
    std::string user;
    std::string password;  // never written to a message or a log
    std::string caFile;    // optional: one more certificate (PEM) trusted for this account only
    std::chrono::seconds connectTimeout{15};
    std::chrono::seconds totalTimeout{1200};  // first listings of big books take minutes
    std::size_t multigetBatch = 250;
};

struct AddressBookInfo {
    std::string url;
    std::string displayName;
    bool supportsSyncCollection = false;
    bool takesVCard4 = false;  // supported-address-data lists vCard 4.0; 3.0 is always taken
    std::string syncToken;  // empty when the server has none
    std::string ctag;
};

struct RemoteCard {
    std::string url;
    std::string etag;  // exactly as the server sent it (quotes included); empty when none
    std::string text;  // the vCard
};

struct RemoteEtag {
    std::string url;
    std::string etag;
};

struct SyncChanges {
    // The stored token is no longer valid: list everything again with an
    // empty token. Nothing else in this value is meaningful then.
    bool tokenInvalid = false;
    std::vector<RemoteCard> changed;   // new or changed since the token, with their text
    std::vector<std::string> removed;  // URLs gone since the token
    std::string newToken;
    std::size_t rounds = 0;            // answers read (more than one after 507 truncation)
};

struct MultigetResult {
    std::vector<RemoteCard> cards;
    std::vector<std::string> missing;  // asked for but not found (404)
};

enum class WriteOutcome {
    Created,
    Updated,
    Deleted,
    PreconditionFailed,  // 412: the card exists (create) or changed (update/delete): read it again
    Conflict,            // 409: e.g. the UID is already used by another card
    NotFound,            // 404/410
    Rejected,            // another 4xx: the server refuses this card; see status and message
};

struct WriteResult {
    WriteOutcome outcome = WriteOutcome::Rejected;
    std::string url;
    std::optional<std::string> etag;  // only when the server sent one
    long status = 0;
    std::string message;  // for Rejected: the server's status line and a short reason
};

}  // namespace orvane::carddav
