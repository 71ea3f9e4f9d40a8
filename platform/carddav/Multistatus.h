#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A WebDAV multistatus answer (RFC 4918 13) reduced to what address book
// sync needs. hrefs are kept as the server sent them (percent-encoded,
// usually relative to the server); the caller resolves them.
namespace orvane::carddav {

// Properties reported with a 2xx propstat status.
struct DavProperties {
    std::optional<std::string> etag;
    std::optional<std::string> addressData;
    bool isCollection = false;
    bool isAddressBook = false;
    std::optional<std::string> displayName;
    std::optional<std::string> currentUserPrincipal;  // href
    std::optional<std::string> addressBookHomeSet;    // first href
    bool supportsSyncCollection = false;
    bool listsReports = false;  // a supported-report-set was given (with or without sync-collection)
    // supported-address-data lists text/vcard version 4.0 (RFC 6352 6.2.2).
    bool takesVCard4 = false;
    std::optional<std::string> syncToken;
    std::optional<std::string> ctag;
};

struct DavResponse {
    std::string href;
    int status = 0;  // the response's own status (e.g. 404 for a removed card); 0 when it has propstats only
    DavProperties properties;
    std::vector<int> propstatStatuses;
};

struct Multistatus {
    std::vector<DavResponse> responses;
    std::string syncToken;  // the top-level sync-token of a sync-collection answer
    std::vector<std::string> errorConditions;  // local names of DAV:error elements, e.g. "number-of-matches-within-limits"
};

// Reads a multistatus document as it arrives, a piece at a time, without
// holding the document. Throws orvane::Error (errnum::BadAnswer) when it is
// not well-formed XML, is not a DAV:multistatus, or declares a DTD (never
// needed here, and the way to entity expansion). libxml2 prints nothing.
class MultistatusParser {
public:
    // With onResponse, each response is handed over as soon as it is read
    // (what it throws is thrown by Feed) and Finish's responses stay empty:
    // the caller keeps only what it needs of a long answer.
    explicit MultistatusParser(std::function<void(DavResponse&&)> onResponse = {});
    ~MultistatusParser();
    MultistatusParser(const MultistatusParser&) = delete;
    MultistatusParser& operator=(const MultistatusParser&) = delete;

    void Feed(std::string_view piece);
    // After the last piece.
    Multistatus Finish();

    struct Impl;

private:
    friend std::vector<std::string> ReadDavErrorConditions(std::string_view xml);
    friend std::optional<std::string> ReadDavErrorHref(std::string_view xml, std::string_view condition);
    std::unique_ptr<Impl> impl_;
};

// The whole document at once, through MultistatusParser.
Multistatus ReadMultistatus(std::string_view xml);

// The local names of the preconditions in a DAV:error body (RFC 4918 16),
// e.g. "valid-sync-token". Empty when the body is not such a document.
std::vector<std::string> ReadDavErrorConditions(std::string_view xml);

// The DAV:href inside the named precondition of a DAV:error body, as the
// server sent it: e.g. the card that already holds a UID (no-uid-conflict,
// RFC 6352 6.3.2.1). None when the body names none.
std::optional<std::string> ReadDavErrorHref(std::string_view xml, std::string_view condition);

// The number in an HTTP status line such as "HTTP/1.1 404 Not Found"; 0 when none.
int StatusFromLine(std::string_view line);

}  // namespace orvane::carddav
