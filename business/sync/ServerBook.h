#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "carddav/CardDavTypes.h"

namespace orvane::sync {

// The one address book on the server that a run reads and writes: changes
// listed by sync token or by ETag, cards read and written by href with
// ETags. The CardDAV client serves it for a real server; a run needs
// nothing else of the server. URLs are absolute, as the book gives them.
class ServerBook {
public:
    virtual ~ServerBook() = default;

    // Whether the book keeps sync tokens (sync-collection); one cheap question.
    virtual bool OffersSyncCollection() = 0;
    // Whether the book takes vCard 4.0 (3.0 is always taken).
    virtual bool TakesVCard4() = 0;
    // What changed since the token (empty: everything), with the cards' text.
    virtual carddav::SyncChanges SyncCollection(const std::string& token) = 0;
    // Every card's URL and ETag, for a book without sync tokens.
    virtual std::vector<carddav::RemoteEtag> ListEtags() = 0;
    virtual carddav::MultigetResult Multiget(const std::vector<std::string>& cardUrls) = 0;
    // One card; nullopt when it does not exist.
    virtual std::optional<carddav::RemoteCard> Get(const std::string& cardUrl) = 0;

    // The URL for a new card named fileName in the book.
    virtual std::string CardUrl(const std::string& fileName) const = 0;
    // Only where nothing is yet (PreconditionFailed otherwise).
    virtual carddav::WriteResult Create(const std::string& cardUrl, const std::string& vcard) = 0;
    // Only while the card still has this ETag.
    virtual carddav::WriteResult Update(const std::string& cardUrl, const std::string& etag,
                                        const std::string& vcard) = 0;
    // Only while the card still has this ETag; an empty one deletes whatever is there.
    virtual carddav::WriteResult Delete(const std::string& cardUrl, const std::string& etag) = 0;

    // Requests made so far.
    virtual std::size_t RequestCount() const = 0;
    // hrefs the server listed outside the book, each skipped and never asked for.
    virtual std::vector<std::string> SkippedHrefs() const = 0;
};

// Opens the book a run syncs with, from the account's settings (the book's
// URL in settings.addressBook).
using BookOpener = std::function<std::unique_ptr<ServerBook>(const carddav::ConnectionSettings&)>;

// The book on a CardDAV server, through the CardDAV client.
std::unique_ptr<ServerBook> OpenCardDavBook(const carddav::ConnectionSettings& settings);

}  // namespace orvane::sync
