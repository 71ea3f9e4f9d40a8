#include <algorithm>
#include <cctype>

#include "CardDavClient.h"
#include "CardDavErrors.h"
#include "ClientSupport.h"
#include "Url.h"
#include "core/Error.h"

// Discovery (RFC 6764 6, RFC 6352 7): from what the user typed to the
// address books of the current user.
namespace orvane::carddav {
namespace {

using requests::Prop;

struct Found {
    HttpResponse http;  // its url is what hrefs resolve against
    Multistatus answer;
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

AddressBookInfo BookFrom(const std::string& base, const DavResponse& response) {
    AddressBookInfo book;
    book.url = url::Resolve(base, response.href);
    const auto& p = response.properties;
    book.displayName = p.displayName.value_or("");
    book.supportsSyncCollection = p.supportsSyncCollection;
    book.takesVCard4 = p.takesVCard4;
    book.syncToken = p.syncToken.value_or("");
    book.ctag = p.ctag.value_or("");
    return book;
}

// The response in an answer that describes the requested resource itself.
const DavResponse* Self(const Found& found) {
    for (const auto& r : found.answer.responses)
        if (url::SamePath(url::Resolve(found.http.url, r.href), found.http.url)) return &r;
    return found.answer.responses.size() == 1 ? &found.answer.responses.front() : nullptr;
}

// PROPFIND Depth 0 on a URL; nullopt when it is no WebDAV resource we may read.
std::optional<Found> PropfindSelf(HttpSession& http, const std::string& target, const std::vector<Prop>& props) {
    const HttpRequest request = detail::XmlRequest("PROPFIND", target, "0", requests::Propfind(props));
    // Only what Self looks at is kept, however long the answer.
    std::vector<DavResponse> kept;
    std::size_t count = 0;
    auto take = [&](DavResponse&& r, const std::string& base) {
        if (++count == 1 || url::SamePath(url::Resolve(base, r.href), base)) kept.push_back(std::move(r));
    };
    detail::DavAnswer reply = detail::SendDav(http, request, take);
    if (reply.http.status != 207) {
        if (reply.http.status >= 500) detail::Unexpected(request, reply.http);
        return std::nullopt;
    }
    if (count > 1 && !kept.empty() && !url::SamePath(url::Resolve(reply.http.url, kept.front().href), reply.http.url))
        kept.erase(kept.begin());  // the first was kept only in case it was the one
    reply.multistatus.responses = std::move(kept);
    return Found{std::move(reply.http), std::move(reply.multistatus)};
}

const std::vector<Prop> kBookProps = {Prop::ResourceType, Prop::DisplayName, Prop::SupportedReportSet,
                                      Prop::SyncToken, Prop::GetCtag, Prop::SupportedAddressData};

}  // namespace

std::vector<AddressBookInfo> CardDavClient::FindAddressBooks() {
    auto propfind = [&](const std::string& target, const std::vector<Prop>& props) {
        return PropfindSelf(*http_, target, props);
    };

    const std::string start = url::Normalize(settings_.url);
    std::vector<Prop> startProps = kBookProps;
    startProps.push_back(Prop::CurrentUserPrincipal);
    startProps.push_back(Prop::AddressBookHomeSet);

    std::optional<std::string> principal;
    std::optional<std::string> homeSet;
    if (auto found = propfind(start, startProps)) {
        if (const DavResponse* self = Self(*found)) {
            if (self->properties.isAddressBook) return {BookFrom(found->http.url, *self)};
            if (self->properties.currentUserPrincipal)
                principal = url::Resolve(found->http.url, *self->properties.currentUserPrincipal);
            if (self->properties.addressBookHomeSet)
                homeSet = url::Resolve(found->http.url, *self->properties.addressBookHomeSet);
        }
    }
    if (!principal && !homeSet) {
        if (auto found = propfind(url::Resolve(start, "/.well-known/carddav"), {Prop::CurrentUserPrincipal})) {
            if (const DavResponse* self = Self(*found); self && self->properties.currentUserPrincipal)
                principal = url::Resolve(found->http.url, *self->properties.currentUserPrincipal);
        }
    }
    if (principal && !homeSet) {
        if (auto found = propfind(*principal, {Prop::AddressBookHomeSet})) {
            if (const DavResponse* self = Self(*found); self && self->properties.addressBookHomeSet)
                homeSet = url::Resolve(found->http.url, *self->properties.addressBookHomeSet);
        }
    }
    if (!homeSet)
        throw Error(errnum::NoAddressBook, "No CardDAV address books were found at " + start +
                                               " (the server names no principal or address book home).");

    const HttpRequest request = detail::XmlRequest("PROPFIND", *homeSet, "1", requests::Propfind(kBookProps));
    std::vector<AddressBookInfo> books;
    auto take = [&](DavResponse&& r, const std::string& base) {
        if (r.properties.isAddressBook) books.push_back(BookFrom(base, r));
    };
    detail::DavAnswer reply = detail::SendDav(*http_, request, take);
    detail::ReadAnswer(request, reply);
    return books;
}

bool CardDavClient::OffersSyncCollection(const std::string& bookUrl) {
    const std::optional<Found> found = PropfindSelf(*http_, bookUrl, {Prop::ResourceType, Prop::SupportedReportSet});
    if (!found) return false;
    const DavResponse* self = Self(*found);
    if (!self) return false;
    // A book that does not say which reports it offers is tried once.
    return self->properties.supportsSyncCollection || (self->properties.isAddressBook && !self->properties.listsReports);
}

bool CardDavClient::TakesVCard4(const std::string& bookUrl) {
    const HttpRequest request = detail::XmlRequest("PROPFIND", bookUrl, "0",
                                                   requests::Propfind({Prop::ResourceType, Prop::SupportedAddressData}));
    HttpResponse response = http_->Send(request);
    if (response.status != 207) {
        if (response.status >= 500) detail::Unexpected(request, response);
        return false;
    }
    const Found found{response, ReadMultistatus(response.body)};
    const DavResponse* self = Self(found);
    return self && self->properties.takesVCard4;
}

AddressBookInfo CardDavClient::Discover(const std::string& name) {
    const std::vector<AddressBookInfo> books = FindAddressBooks();
    if (books.empty()) throw Error(errnum::NoAddressBook, "The account has no address book on the server.");
    if (name.empty()) return books.front();
    const std::string wanted = Lower(name);
    for (const auto& book : books)
        if (Lower(book.displayName) == wanted || Lower(url::LastSegment(book.url)) == wanted) return book;
    std::string names;
    for (const auto& book : books)
        names += (names.empty() ? "" : ", ") + (book.displayName.empty() ? url::LastSegment(book.url) : book.displayName);
    throw Error(errnum::NoAddressBook, "The server has no address book named \"" + name + "\" (found: " + names + ").");
}

}  // namespace orvane::carddav
