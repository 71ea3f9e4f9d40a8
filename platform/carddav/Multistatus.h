#pragma once

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

// Reads a multistatus document. Throws orvane::Error (errnum::BadAnswer) when
// it is not well-formed XML, is not a DAV:multistatus, is too big, or
// declares a DTD (never needed here, and the way to entity expansion).
Multistatus ReadMultistatus(std::string_view xml);

// The local names of the preconditions in a DAV:error body (RFC 4918 16),
// e.g. "valid-sync-token". Empty when the body is not such a document.
std::vector<std::string> ReadDavErrorConditions(std::string_view xml);

// The number in an HTTP status line such as "HTTP/1.1 404 Not Found"; 0 when none.
int StatusFromLine(std::string_view line);

}  // namespace orvane::carddav
