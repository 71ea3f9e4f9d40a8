#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CardDavTypes.h"

// A client for one account on a CardDAV server (RFC 6352, 6578, 6764): finds
// the address book, lists changes, reads and writes cards. Outcomes a sync
// decides on are values; failures are orvane::Error exceptions with the
// numbers in CardDavErrors.h (CertificateError for an untrusted server).
// No third-party header is needed to use it.
namespace orvane::carddav {

class HttpSession;

class CardDavClient {
public:
    // Checks the URL at once: plain http to another computer is refused
    // before any connection (errnum::InsecureUrl).
    explicit CardDavClient(ConnectionSettings settings);
    ~CardDavClient();
    CardDavClient(const CardDavClient&) = delete;
    CardDavClient& operator=(const CardDavClient&) = delete;

    // The address books reachable from the URL typed: the book itself when it
    // is one, else those in the home set of the current user's principal
    // (found on the URL, then on /.well-known/carddav).
    std::vector<AddressBookInfo> FindAddressBooks();
    // The one to sync: the one whose display name or last path segment is
    // `name` (case-insensitive), or the first when `name` is empty. Throws
    // errnum::NoAddressBook when there is none (naming the ones found).
    AddressBookInfo Discover(const std::string& name = {});

    // Whether to ask the book for sync-collection: its supported reports alone
    // (Depth 0), cheaper on a big book than the properties FindAddressBooks
    // asks for (a server may go over every card for a sync-token or ctag).
    // True when it lists the report (with or without the report wrapper
    // around it), and for an address book that lists no reports at all (one
    // try tells). False when the URL is no readable WebDAV resource.
    bool OffersSyncCollection(const std::string& bookUrl);
    // Whether the book's supported-address-data lists vCard 4.0 (Depth 0).
    // False when it lists only 3.0, says nothing, or cannot be read.
    bool TakesVCard4(const std::string& bookUrl);

    // sync-collection with a stored token (empty: everything), with the cards'
    // text. Repeats after a 507 until the answer is complete, at most
    // ConnectionSettings::maxSyncRounds times (then ServerError).
    SyncChanges SyncCollection(const std::string& bookUrl, const std::string& token);
    // Listings and multigets skip hrefs outside the book (SkippedHrefs).
    // Without sync-collection: every card's URL and ETag (PROPFIND Depth 1).
    std::vector<RemoteEtag> ListEtags(const std::string& bookUrl);
    // The cards at these URLs, in batches (ConnectionSettings::multigetBatch);
    // a batch the server refuses whole with 404 is read card by card.
    MultigetResult Multiget(const std::string& bookUrl, const std::vector<std::string>& cardUrls);
    // One card; nullopt when it does not exist.
    std::optional<RemoteCard> Get(const std::string& cardUrl);

    // The URL for a new card in the book: the file name percent-encoded.
    static std::string CardUrl(const std::string& bookUrl, const std::string& fileName);
    // PUT with If-None-Match: * (PreconditionFailed: something is already there).
    WriteResult Create(const std::string& cardUrl, const std::string& vcard);
    // PUT with If-Match carrying the ETag as the server sent it.
    WriteResult Update(const std::string& cardUrl, const std::string& etag, const std::string& vcard);
    // DELETE with If-Match (an empty etag deletes unconditionally).
    WriteResult Delete(const std::string& cardUrl, const std::string& etag);

    // Extended MKCOL (RFC 5689) of a new address book; returns false when
    // something already exists there (405).
    bool CreateAddressBook(const std::string& bookUrl, const std::string& displayName);

    // HTTP requests made so far (each redirect hop counted).
    std::size_t RequestCount() const;

    // hrefs that answers named outside the book listed (another collection,
    // server or scheme) and card URLs outside ConnectionSettings::addressBook
    // that were asked for: each skipped, never sent a request. Each once, in
    // the order met.
    const std::vector<std::string>& SkippedHrefs() const { return skipped_; }

private:
    // Whether the card lies inside the book (always, for an empty book URL);
    // notes it among the skipped when not.
    bool Within(const std::string& bookUrl, const std::string& cardUrl);
    WriteResult NotSent(const std::string& method, const std::string& cardUrl);

    ConnectionSettings settings_;
    std::unique_ptr<HttpSession> http_;
    std::vector<std::string> skipped_;
};

}  // namespace orvane::carddav
