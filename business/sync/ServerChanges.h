#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sync/ServerBook.h"
#include "sync/SyncState.h"

namespace orvane::sync {

// What the server says has changed, read the cheapest way it offers:
// sync-collection with the stored token (the changed cards' text in the same
// answer, so an unchanged book costs one request); an invalid token or none
// lists everything with sync-collection; a server without it gets a listing
// of ETags and a multiget of the cards whose ETag is new. Cards listed
// without their text, and those at the hrefs of pending writes, are read
// with a multiget. A book that does not say whether it offers
// sync-collection is asked once; a refusal (403, 501 or another error
// answer) lists it without. A token too long to keep lists the book without
// sync-collection, and none is kept. A failure raises; it is never an
// empty listing.
struct ServerChangesRead {
    ServerListing listing;
    std::optional<std::string> newToken;  // none: the server keeps no tokens
    // One line each: hrefs the server listed outside the book (skipped),
    // a token refused for its size.
    std::vector<std::string> problems;
};

// The hrefs whose cards must still be read after a sync-collection: each
// card listed without its text (a server may leave address-data out of the
// answer), and, when only changes were listed, each pending create or update
// the listing did not bring (it reached the server before the stored token).
std::vector<std::string> HrefsToRead(const ServerListing& listing, const std::vector<PendingSend>& pending);

// keepsNoTokens: an earlier run found that the book gives no sync tokens,
// so it is not asked again.
ServerChangesRead ReadServerChanges(ServerBook& book, const std::string& storedToken, bool keepsNoTokens,
                                    const std::vector<SyncItem>& records, const std::vector<PendingSend>& pending);

}  // namespace orvane::sync
