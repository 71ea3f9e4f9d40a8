#include "CardDavClient.h"

#include <algorithm>
#include <map>
#include <set>

#include "CardDavErrors.h"
#include "ClientSupport.h"
#include "HttpSession.h"
#include "Url.h"
#include "core/Error.h"

namespace orvane::carddav {
namespace {

using requests::Prop;

bool Names(const std::vector<std::string>& conditions, const std::string& name) {
    return std::find(conditions.begin(), conditions.end(), name) != conditions.end();
}

std::optional<std::string> EtagOf(const HttpResponse& response) {
    std::string etag = response.Header("etag");
    if (etag.empty()) return std::nullopt;
    return etag;
}

// Why the server refused a write, in a line fit for a report: the
// precondition its DAV:error names, else the first line of its answer's
// text (printable characters only, at most 200).
std::string RefusalReason(const HttpResponse& response) {
    const std::vector<std::string> conditions = ReadDavErrorConditions(response.body);
    if (!conditions.empty()) return conditions.front();
    std::string line;
    std::size_t at = response.body.find_first_not_of(" \t\r\n");
    for (; at != std::string::npos && at < response.body.size() && line.size() < 200; ++at) {
        const unsigned char c = static_cast<unsigned char>(response.body[at]);
        if (c == '\r' || c == '\n') break;
        if (c >= 0x20 && c != 0x7f) line += static_cast<char>(c);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

// The answer to a PUT or DELETE as a value the sync decides on.
WriteResult WriteOutcomeOf(const HttpRequest& request, const HttpResponse& response, WriteOutcome success) {
    WriteResult result;
    result.url = response.url;
    result.status = response.status;
    if (response.status >= 200 && response.status <= 299) {
        result.outcome = success;
        result.etag = EtagOf(response);
    } else if (response.status == 412) {
        result.outcome = WriteOutcome::PreconditionFailed;
    } else if (response.status == 409) {
        result.outcome = WriteOutcome::Conflict;
        result.message = "The server refused the card as conflicting (409)";
        result.reason = RefusalReason(response);
        if (const auto href = ReadDavErrorHref(response.body, "no-uid-conflict"))
            result.existingUrl = url::Resolve(request.url, *href);
    } else if (response.status == 404 || response.status == 410) {
        result.outcome = WriteOutcome::NotFound;
    } else if (response.status >= 400 && response.status <= 499) {
        result.outcome = WriteOutcome::Rejected;
        result.message = "The server refused " + request.method + " " + response.url + " (" +
                         std::to_string(response.status) + ")";
        result.reason = RefusalReason(response);
    } else {
        detail::Unexpected(request, response);
    }
    return result;
}

}  // namespace

CardDavClient::CardDavClient(ConnectionSettings settings) : settings_(std::move(settings)) {
    settings_.url = url::Normalize(settings_.url);
    url::RequireSafe(settings_.url);
    if (!settings_.addressBook.empty()) settings_.addressBook = url::Normalize(settings_.addressBook);
    if (settings_.multigetBatch == 0) settings_.multigetBatch = 1;
    if (settings_.maxSyncRounds == 0) settings_.maxSyncRounds = 1;
    http_ = std::make_unique<HttpSession>(HttpSettings{settings_.user, settings_.password, settings_.caFile,
                                                       settings_.connectTimeout, settings_.totalTimeout,
                                                       settings_.noProgressTimeout, settings_.maxAnswerBytes,
                                                       url::Origin(settings_.url)});
}

CardDavClient::~CardDavClient() = default;

std::size_t CardDavClient::RequestCount() const { return http_->RequestCount(); }

bool CardDavClient::Within(const std::string& bookUrl, const std::string& cardUrl) {
    if (bookUrl.empty() || url::IsInside(bookUrl, cardUrl)) return true;
    if (std::find(skipped_.begin(), skipped_.end(), cardUrl) == skipped_.end()) skipped_.push_back(cardUrl);
    return false;
}

WriteResult CardDavClient::NotSent(const std::string& method, const std::string& cardUrl) {
    WriteResult result;
    result.url = cardUrl;
    result.message = method + " not sent: the address lies outside the address book " + settings_.addressBook;
    return result;
}

SyncChanges CardDavClient::SyncCollection(const std::string& bookUrl, const std::string& token) {
    SyncChanges changes;
    // Later rounds (after a 507) win over earlier ones for the same card.
    std::map<std::string, RemoteCard> changed;
    std::map<std::string, bool> removed;
    std::set<std::string> withoutData;
    std::string current = token;
    for (;;) {
        const HttpRequest request =
            detail::XmlRequest("REPORT", bookUrl, "0", requests::SyncCollection(current, true));
        bool truncated = false;
        // Each response is taken as it is read: only the cards are kept.
        auto take = [&](DavResponse&& r, const std::string& base) {
            const std::string cardUrl = url::Resolve(base, r.href);
            if (url::SamePath(cardUrl, base) || url::SamePath(cardUrl, bookUrl)) {
                truncated = truncated || r.status == 507;
                return;
            }
            if (!Within(bookUrl, cardUrl)) return;
            if (r.status == 404 || r.status == 410) {
                changed.erase(cardUrl);
                removed[cardUrl] = true;
            } else if (r.properties.etag) {
                removed.erase(cardUrl);
                if (r.properties.addressData) {
                    changed[cardUrl] = RemoteCard{cardUrl, *r.properties.etag, std::move(*r.properties.addressData)};
                } else {
                    changed.erase(cardUrl);
                    withoutData.insert(cardUrl);
                }
            }
        };
        detail::DavAnswer reply = detail::SendDav(*http_, request, take);
        const HttpResponse& response = reply.http;
        if (response.status >= 400 && response.status <= 499 &&
            Names(ReadDavErrorConditions(response.body), "valid-sync-token")) {
            changes.tokenInvalid = true;
            return changes;
        }
        Multistatus answer = detail::ReadAnswer(request, reply);
        ++changes.rounds;
        if (answer.syncToken.empty())
            throw Error(errnum::ServerError, "The server's sync-collection answer carries no sync-token.");
        if (answer.syncToken.size() > settings_.maxTokenBytes) {
            // Not kept, nor sent back: the caller lists the book another way.
            changes.tokenRefused = true;
            current.clear();
            break;
        }
        const bool advanced = answer.syncToken != current;
        current = std::move(answer.syncToken);
        if (!truncated) break;
        if (!advanced)
            throw Error(errnum::ServerError, "The server cut its sync-collection answer short without a new token.");
        if (changes.rounds >= settings_.maxSyncRounds)
            throw Error(errnum::ServerError, "The server " + url::ServerName(response.url) + " cut its sync-collection answer short " +
                                                 std::to_string(changes.rounds) +
                                                 " times in a row; gave up. The server has a problem: try again later.");
    }
    // A server that leaves out address-data: fetch those cards in one go.
    std::erase_if(withoutData, [&](const std::string& u) { return changed.count(u) || removed.count(u); });
    if (!withoutData.empty()) {
        MultigetResult fetched = Multiget(bookUrl, {withoutData.begin(), withoutData.end()});
        for (auto& card : fetched.cards) changed[card.url] = std::move(card);
        for (auto& gone : fetched.missing) removed[gone] = true;
    }
    for (auto& [key, card] : changed) changes.changed.push_back(std::move(card));
    for (const auto& [key, unused] : removed) changes.removed.push_back(key);
    changes.newToken = current;
    return changes;
}

std::vector<RemoteEtag> CardDavClient::ListEtags(const std::string& bookUrl) {
    const HttpRequest request =
        detail::XmlRequest("PROPFIND", bookUrl, "1", requests::Propfind({Prop::ResourceType, Prop::GetEtag}));
    std::map<std::string, std::string> etags;  // each card once, however often it is named
    auto take = [&](DavResponse&& r, const std::string& base) {
        const std::string cardUrl = url::Resolve(base, r.href);
        if (r.properties.isCollection || !r.properties.etag || url::SamePath(cardUrl, base)) return;
        if (!Within(bookUrl, cardUrl)) return;
        etags[cardUrl] = std::move(*r.properties.etag);
    };
    detail::DavAnswer reply = detail::SendDav(*http_, request, take);
    detail::ReadAnswer(request, reply);
    std::vector<RemoteEtag> cards;
    cards.reserve(etags.size());
    for (auto& [cardUrl, etag] : etags) cards.push_back({cardUrl, std::move(etag)});
    return cards;
}

MultigetResult CardDavClient::Multiget(const std::string& bookUrl, const std::vector<std::string>& cardUrls) {
    MultigetResult result;
    std::vector<std::string> inside;
    for (const std::string& cardUrl : cardUrls)
        if (Within(bookUrl, cardUrl)) inside.push_back(cardUrl);
    const std::vector<std::string>& urls = inside;
    for (std::size_t begin = 0; begin < urls.size(); begin += settings_.multigetBatch) {
        const std::size_t end = std::min(urls.size(), begin + settings_.multigetBatch);
        std::vector<std::string> hrefs;
        std::map<std::string, std::string> asked;  // path key -> URL as the caller gave it
        for (std::size_t i = begin; i < end; ++i) {
            hrefs.push_back(url::PathOf(urls[i]));
            asked.emplace(url::PathKey(urls[i]), urls[i]);
        }
        const HttpRequest request =
            detail::XmlRequest("REPORT", bookUrl, "1", requests::AddressBookMultiget(hrefs));
        std::vector<RemoteCard> cards;
        auto take = [&](DavResponse&& r, const std::string& base) {
            auto it = asked.find(url::PathKey(url::Resolve(base, r.href)));
            if (it == asked.end() || !r.properties.addressData) return;  // not one asked for, or no card
            cards.push_back({it->second, r.properties.etag.value_or(""), std::move(*r.properties.addressData)});
            asked.erase(it);
        };
        detail::DavAnswer reply = detail::SendDav(*http_, request, take);
        const HttpResponse& response = reply.http;
        if (response.status == 404) {
            // Some servers (SabreDAV 1.8) refuse the whole batch when one card
            // is gone, e.g. deleted by another client since it was listed:
            // the batch is read one card at a time instead. When none of
            // several is there, the book itself may be gone: that is an
            // error, never a listing of deletions.
            std::vector<std::string> missing;
            for (std::size_t i = begin; i < end; ++i) {
                if (std::optional<RemoteCard> card = Get(urls[i]))
                    result.cards.push_back({urls[i], std::move(card->etag), std::move(card->text)});
                else
                    missing.push_back(urls[i]);
            }
            if (end - begin > 1 && missing.size() == end - begin) detail::Unexpected(request, response);
            result.missing.insert(result.missing.end(), missing.begin(), missing.end());
            continue;
        }
        detail::ReadAnswer(request, reply);
        for (RemoteCard& card : cards) result.cards.push_back(std::move(card));
        // Whatever did not come back with data (404 or left out) is missing.
        for (const auto& [path, original] : asked) result.missing.push_back(original);
    }
    return result;
}

std::optional<RemoteCard> CardDavClient::Get(const std::string& cardUrl) {
    if (!Within(settings_.addressBook, cardUrl)) return std::nullopt;
    const HttpRequest request{"GET", cardUrl, {"Accept: text/vcard"}, {}, {}};
    const HttpResponse response = http_->Send(request);
    if (response.status == 404 || response.status == 410) return std::nullopt;
    if (response.status != 200) detail::Unexpected(request, response);
    return RemoteCard{response.url, response.Header("etag"), response.body};
}

std::string CardDavClient::CardUrl(const std::string& bookUrl, const std::string& fileName) {
    std::string base = url::Normalize(bookUrl);
    if (base.empty() || base.back() != '/') base += '/';
    return base + url::EncodeSegment(fileName);
}

WriteResult CardDavClient::Create(const std::string& cardUrl, const std::string& vcard) {
    if (!Within(settings_.addressBook, cardUrl)) return NotSent("PUT", cardUrl);
    const HttpRequest request{
        "PUT", cardUrl, {"Content-Type: text/vcard; charset=utf-8", "If-None-Match: *"}, vcard, {}};
    return WriteOutcomeOf(request, http_->Send(request), WriteOutcome::Created);
}

WriteResult CardDavClient::Update(const std::string& cardUrl, const std::string& etag, const std::string& vcard) {
    if (!Within(settings_.addressBook, cardUrl)) return NotSent("PUT", cardUrl);
    const HttpRequest request{
        "PUT", cardUrl, {"Content-Type: text/vcard; charset=utf-8", "If-Match: " + etag}, vcard, {}};
    return WriteOutcomeOf(request, http_->Send(request), WriteOutcome::Updated);
}

WriteResult CardDavClient::Delete(const std::string& cardUrl, const std::string& etag) {
    if (!Within(settings_.addressBook, cardUrl)) return NotSent("DELETE", cardUrl);
    HttpRequest request{"DELETE", cardUrl, {}, {}, {}};
    if (!etag.empty()) request.headers.push_back("If-Match: " + etag);
    return WriteOutcomeOf(request, http_->Send(request), WriteOutcome::Deleted);
}

bool CardDavClient::CreateAddressBook(const std::string& bookUrl, const std::string& displayName) {
    const HttpRequest request = detail::XmlRequest("MKCOL", bookUrl, "", requests::MkcolAddressBook(displayName));
    const HttpResponse response = http_->Send(request);
    if (response.status == 201) return true;
    if (response.status == 405) return false;
    detail::Unexpected(request, response);
}

}  // namespace orvane::carddav
