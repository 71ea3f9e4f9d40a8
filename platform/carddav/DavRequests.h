#pragma once

#include <string>
#include <vector>

// The XML bodies of the requests the client sends, written with an XML
// writer so that every inserted value is escaped.
namespace orvane::carddav::requests {

enum class Prop {
    ResourceType,
    DisplayName,
    CurrentUserPrincipal,
    AddressBookHomeSet,
    SupportedReportSet,
    SyncToken,
    GetCtag,
    GetEtag,
    AddressData,
    SupportedAddressData,
};

std::string Propfind(const std::vector<Prop>& props);
// RFC 6578: an empty token asks for everything.
std::string SyncCollection(const std::string& token, bool withAddressData);
// RFC 6352 8.7: hrefs as paths (percent-encoded) on the server.
std::string AddressBookMultiget(const std::vector<std::string>& hrefs);
// RFC 5689 extended MKCOL for an address book.
std::string MkcolAddressBook(const std::string& displayName);

}  // namespace orvane::carddav::requests
