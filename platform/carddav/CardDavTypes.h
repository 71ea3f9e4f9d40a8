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
    // A request that receives and sends not a byte for this long is given up;
    // a slow answer that keeps moving goes on.
    std::chrono::seconds noProgressTimeout{60};
    std::size_t multigetBatch = 250;
    // An answer body growing past this is stopped (an endless answer, or one
    // no address book needs); far above 10,000 cards with photos.
    std::size_t maxAnswerBytes = std::size_t{256} << 20;
    // sync-collection answers read in one listing (a server cutting each one
    // short with 507 and a new token would otherwise be asked forever).
    std::size_t maxSyncRounds = 100;
    // A sync token longer than this is not kept (SyncChanges::tokenRefused).
    std::size_t maxTokenBytes = 64 * 1024;
    // The book cards are read from, written to and deleted in. When set, a
    // card URL outside it (another collection, server or scheme) is never
    // sent a request. Listings skip such hrefs whether or not it is set.
    std::string addressBook;
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
    // The server's token was longer than ConnectionSettings::maxTokenBytes:
    // newToken is empty and, when the answer was cut short (507), the
    // listing is incomplete; list the book another way.
    bool tokenRefused = false;
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
    // For a refusal (Conflict, Rejected): the precondition the server named
    // (e.g. "no-uid-conflict"), else the first line of its answer.
    std::string reason;
    // For a 409 no-uid-conflict that names the card already holding the UID:
    // that card's URL.
    std::optional<std::string> existingUrl;
};

}  // namespace orvane::carddav
