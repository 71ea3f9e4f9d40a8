#pragma once

#include <optional>
#include <string>
#include <vector>

#include "carddav/CardDavClient.h"
#include "sync/SyncState.h"

namespace orvane::sync {

// What the server says has changed, read the cheapest way it offers:
// sync-collection with the stored token (the changed cards' text in the same
// answer, so an unchanged book costs one request); an invalid token or none
// lists everything with sync-collection; a server without it gets a listing
// of ETags and a multiget of the cards whose ETag is new. The cards at the
// hrefs of pending writes are read too. A failure raises; it is never an
// empty listing.
struct ServerChangesRead {
    ServerListing listing;
    std::optional<std::string> newToken;  // none: the server keeps no tokens
};

// keepsNoTokens: an earlier run found that the book gives no sync tokens,
// so it is not asked again.
ServerChangesRead ReadServerChanges(carddav::CardDavClient& client, const std::string& bookUrl,
                                    const std::string& storedToken, bool keepsNoTokens,
                                    const std::vector<SyncRecord>& records, const std::vector<PendingSend>& pending);

}  // namespace orvane::sync
