#include "sync/ServerChanges.h"

#include <map>
#include <set>

#include "carddav/CardDavErrors.h"
#include "core/Error.h"

namespace orvane::sync {
namespace {

void AddCards(ServerListing& listing, std::vector<carddav::RemoteCard>& cards) {
    for (carddav::RemoteCard& card : cards)
        listing.cards.push_back({std::move(card.url), std::move(card.etag), std::move(card.text)});
}

// Cards read by a multiget, put in the places the listing gave them without
// their text, or added after it.
void FillIn(ServerListing& listing, std::vector<carddav::RemoteCard>& cards) {
    std::map<std::string, std::size_t> place;
    for (std::size_t i = 0; i < listing.cards.size(); ++i) place.emplace(listing.cards[i].href, i);
    for (carddav::RemoteCard& card : cards) {
        const auto at = place.find(card.url);
        if (at == place.end()) {
            listing.cards.push_back({std::move(card.url), std::move(card.etag), std::move(card.text)});
            continue;
        }
        ServerCard& listed = listing.cards[at->second];
        listed.etag = std::move(card.etag);
        listed.card = std::move(card.text);
    }
}

ServerChangesRead FullListingWithoutSyncCollection(ServerBook& book, const std::vector<SyncItem>& records,
                                                   const std::vector<PendingSend>& pending) {
    std::map<std::string, std::string> recordedEtag;
    for (const SyncItem& record : records) recordedEtag[record.href] = record.etag;
    std::set<std::string> pendingHrefs;
    for (const PendingSend& send : pending)
        if (send.kind != PendingKind::Delete) pendingHrefs.insert(send.href);

    std::vector<std::string> toRead;
    std::map<std::string, std::string> etags;
    for (carddav::RemoteEtag& listed : book.ListEtags()) {
        const auto recorded = recordedEtag.find(listed.url);
        if (recorded == recordedEtag.end() || recorded->second != listed.etag || pendingHrefs.count(listed.url))
            toRead.push_back(listed.url);
        etags[listed.url] = std::move(listed.etag);
    }
    std::map<std::string, carddav::RemoteCard> read;
    if (!toRead.empty()) {
        carddav::MultigetResult result = book.Multiget(toRead);
        for (carddav::RemoteCard& card : result.cards) read[card.url] = std::move(card);
        // A card listed but gone by the time it was asked for is simply not there.
        for (const std::string& missing : result.missing) etags.erase(missing);
    }
    ServerChangesRead answer;
    answer.listing.complete = true;
    for (auto& [href, etag] : etags) {
        const auto card = read.find(href);
        if (card != read.end()) answer.listing.cards.push_back({href, card->second.etag, std::move(card->second.text)});
        else answer.listing.cards.push_back({href, std::move(etag), {}});
    }
    return answer;
}

}  // namespace

std::vector<std::string> HrefsToRead(const ServerListing& listing, const std::vector<PendingSend>& pending) {
    std::vector<std::string> hrefs;
    std::set<std::string> seen;
    std::set<std::string> read;
    for (const ServerCard& card : listing.cards) {
        if (!card.card.empty()) read.insert(card.href);
        else if (seen.insert(card.href).second) hrefs.push_back(card.href);
    }
    // A change listing leaves out a pending write that reached the server
    // before the stored token was issued; a full one holds everything.
    if (listing.complete) return hrefs;
    const std::set<std::string> removed(listing.removed.begin(), listing.removed.end());
    for (const PendingSend& send : pending)
        if (send.kind != PendingKind::Delete && !read.count(send.href) && !removed.count(send.href) &&
            seen.insert(send.href).second)
            hrefs.push_back(send.href);
    return hrefs;
}

namespace {

ServerChangesRead Read(ServerBook& book, const std::string& storedToken, bool keepsNoTokens,
                       const std::vector<SyncItem>& records, const std::vector<PendingSend>& pending) {
    ServerChangesRead answer;
    auto tokenRefused = [&] {
        ServerChangesRead full = FullListingWithoutSyncCollection(book, records, pending);
        full.problems.push_back("the server's sync token is too long to keep; the book was listed in full and "
                                "will be each time");
        return full;
    };
    bool listAll = storedToken.empty();
    bool tryOnce = false;  // a book that may not offer sync-collection
    if (!storedToken.empty()) {
        carddav::SyncChanges changes = book.SyncCollection(storedToken);
        if (changes.tokenRefused) return tokenRefused();
        if (changes.tokenInvalid) {
            listAll = true;
        } else {
            answer.listing.complete = false;
            AddCards(answer.listing, changes.changed);
            answer.listing.removed = std::move(changes.removed);
            answer.newToken = std::move(changes.newToken);
        }
    } else if (keepsNoTokens) {
        return FullListingWithoutSyncCollection(book, records, pending);
    } else {
        // No token yet: ask the book whether it keeps tokens at all.
        if (!book.OffersSyncCollection()) return FullListingWithoutSyncCollection(book, records, pending);
        tryOnce = true;
    }
    if (listAll) {
        carddav::SyncChanges changes;
        try {
            changes = book.SyncCollection({});
        } catch (const Error& e) {
            if (!tryOnce || (e.Number() != carddav::errnum::Forbidden && e.Number() != carddav::errnum::ServerError))
                throw;
            return FullListingWithoutSyncCollection(book, records, pending);
        }
        if (changes.tokenRefused) return tokenRefused();
        answer.listing.complete = true;
        AddCards(answer.listing, changes.changed);
        answer.newToken = std::move(changes.newToken);
    }
    const std::vector<std::string> unread = HrefsToRead(answer.listing, pending);
    if (!unread.empty()) {
        carddav::MultigetResult result = book.Multiget(unread);
        FillIn(answer.listing, result.cards);
    }
    if (answer.newToken && answer.newToken->empty()) answer.newToken.reset();
    return answer;
}

}  // namespace

ServerChangesRead ReadServerChanges(ServerBook& book, const std::string& storedToken, bool keepsNoTokens,
                                    const std::vector<SyncItem>& records, const std::vector<PendingSend>& pending) {
    ServerChangesRead answer = Read(book, storedToken, keepsNoTokens, records, pending);
    for (const std::string& href : book.SkippedHrefs())
        answer.problems.push_back(href + ": listed by the server but outside the address book; skipped");
    return answer;
}

}  // namespace orvane::sync
