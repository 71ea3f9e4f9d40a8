#include "Url.h"

#include <arpa/inet.h>
#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string_view>

#include "CardDavErrors.h"
#include "core/Error.h"
#include "LazyLibraries.h"  // last: see there

namespace orvane::carddav::url {
namespace {

struct UrlFree {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
using UrlPtr = std::unique_ptr<CURLU, UrlFree>;

std::string Part(CURLU* u, CURLUPart part, unsigned flags = 0) {
    char* text = nullptr;
    if (curl_url_get(u, part, &text, flags) != CURLUE_OK || !text) return {};
    std::string result(text);
    curl_free(text);
    return result;
}

UrlPtr ParseOrThrow(const std::string& text) {
    UrlPtr u(curl_url());
    if (!u) throw std::bad_alloc();
    if (curl_url_set(u.get(), CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        throw Error(errnum::InsecureUrl, "An address is not a valid URL (expected https://...).");
    return u;
}

std::string Decode(const std::string& text) {
    int length = 0;
    char* decoded = curl_easy_unescape(nullptr, text.c_str(), static_cast<int>(text.size()), &length);
    if (!decoded) return text;
    std::string result(decoded, static_cast<std::size_t>(length));
    curl_free(decoded);
    return result;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::string Normalize(const std::string& text) {
    // Never echo what was typed in an error: it may hold a password.
    UrlPtr u(curl_url());
    if (!u) throw std::bad_alloc();
    // Typed addresses may hold spaces: those are encoded, '%' escapes kept.
    if (curl_url_set(u.get(), CURLUPART_URL, text.c_str(),
                     CURLU_NON_SUPPORT_SCHEME | CURLU_ALLOW_SPACE | CURLU_URLENCODE) != CURLUE_OK)
        throw Error(errnum::InsecureUrl, "The server address is not a valid URL (expected https://...).");
    std::string scheme = Part(u.get(), CURLUPART_SCHEME);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    if (scheme != "http" && scheme != "https")
        throw Error(errnum::InsecureUrl, "The server address must start with https:// (or http:// for this computer).");
    curl_url_set(u.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(u.get(), CURLUPART_PASSWORD, nullptr, 0);
    curl_url_set(u.get(), CURLUPART_FRAGMENT, nullptr, 0);
    return Part(u.get(), CURLUPART_URL);
}

std::string Resolve(const std::string& base, const std::string& href) {
    UrlPtr u = ParseOrThrow(base);
    if (curl_url_set(u.get(), CURLUPART_URL, href.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        throw Error(errnum::BadAnswer, "The server's answer holds an invalid address.");
    curl_url_set(u.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(u.get(), CURLUPART_PASSWORD, nullptr, 0);
    curl_url_set(u.get(), CURLUPART_FRAGMENT, nullptr, 0);
    return Part(u.get(), CURLUPART_URL);
}

std::string PathOf(const std::string& absolute) {
    UrlPtr u = ParseOrThrow(absolute);
    std::string path = Part(u.get(), CURLUPART_PATH);
    const std::string query = Part(u.get(), CURLUPART_QUERY);
    if (!query.empty()) path += "?" + query;
    return path.empty() ? "/" : path;
}

std::string LastSegment(const std::string& absolute) {
    UrlPtr u = ParseOrThrow(absolute);
    const std::string path = WithoutTrailingSlash(Part(u.get(), CURLUPART_PATH));
    const auto slash = path.rfind('/');
    return Decode(slash == std::string::npos ? path : path.substr(slash + 1));
}

bool IsLoopbackHost(const std::string& rawHost) {
    std::string host = rawHost;
    std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return std::tolower(c); });
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (host == "localhost" || host == "localhost.") return true;
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, host.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
    return false;
}

void RequireSafe(const std::string& absolute) {
    UrlPtr u = ParseOrThrow(absolute);
    const std::string scheme = Part(u.get(), CURLUPART_SCHEME);
    const std::string host = Part(u.get(), CURLUPART_HOST);
    if (scheme == "https") return;
    if (scheme == "http" && IsLoopbackHost(host)) return;
    if (scheme == "http")
        throw Error(errnum::InsecureUrl, "Refusing plain http:// to " + host +
                                             ": the password would travel unencrypted. Use https:// "
                                             "(plain http is allowed only to this computer).");
    throw Error(errnum::InsecureUrl, "Refusing the address scheme \"" + scheme + "\": only https:// is allowed.");
}

std::string EncodeSegment(const std::string& segment) {
    char* encoded = curl_easy_escape(nullptr, segment.c_str(), static_cast<int>(segment.size()));
    if (!encoded) throw std::bad_alloc();
    std::string result(encoded);
    curl_free(encoded);
    return result;
}

std::string PathKey(const std::string& absolute) {
    UrlPtr u = ParseOrThrow(absolute);
    return WithoutTrailingSlash(Decode(Part(u.get(), CURLUPART_PATH)));
}

bool SamePath(const std::string& a, const std::string& b) { return PathKey(a) == PathKey(b); }

std::string Origin(const std::string& absolute) {
    UrlPtr u = ParseOrThrow(absolute);
    std::string origin = Part(u.get(), CURLUPART_SCHEME) + "://" + Part(u.get(), CURLUPART_HOST) + ":" +
                         Part(u.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    std::transform(origin.begin(), origin.end(), origin.begin(), [](unsigned char c) { return std::tolower(c); });
    return origin;
}

std::string Host(const std::string& absolute) {
    std::string host = Part(ParseOrThrow(absolute).get(), CURLUPART_HOST);
    std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return std::tolower(c); });
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    return host;
}

std::string ServerName(const std::string& absolute) {
    UrlPtr u = ParseOrThrow(absolute);
    const std::string port = Part(u.get(), CURLUPART_PORT);
    return Part(u.get(), CURLUPART_HOST) + (port.empty() ? "" : ":" + port);
}

bool IsInside(const std::string& collection, const std::string& member) {
    if (Origin(collection) != Origin(member)) return false;
    std::string base = Decode(Part(ParseOrThrow(collection).get(), CURLUPART_PATH));
    if (base.empty() || base.back() != '/') base += '/';
    const std::string path = Decode(Part(ParseOrThrow(member).get(), CURLUPART_PATH));
    if (path.size() <= base.size() || path.compare(0, base.size(), base) != 0) return false;
    std::size_t start = base.size();
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view segment(path.data() + start, end - start);
        if (segment == "." || segment == "..") return false;
        start = end + 1;
    }
    return true;
}

}  // namespace orvane::carddav::url
