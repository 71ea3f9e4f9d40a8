#include "HttpSession.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>

#include "CardDavErrors.h"
#include "CertificateError.h"
#include "TlsTrust.h"
#include "Url.h"
#include "core/Error.h"

namespace orvane::carddav {
namespace {

constexpr int kMaxRedirects = 5;
// An answer bigger than this is not an address book listing.
constexpr std::size_t kMaxBodyBytes = std::size_t{1} << 30;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct Received {
    std::string body;
    std::map<std::string, std::string> headers;
    bool tooBig = false;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const std::size_t bytes = size * count;
    if (received->body.size() + bytes > kMaxBodyBytes) {
        received->tooBig = true;
        return 0;  // aborts the transfer
    }
    received->body.append(data, bytes);
    return bytes;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const std::size_t bytes = size * count;
    std::string line(data, bytes);
    if (line.rfind("HTTP/", 0) == 0) {
        received->headers.clear();  // a new response (after 100 Continue)
        return bytes;
    }
    const auto colon = line.find(':');
    if (colon == std::string::npos) return bytes;
    std::string name = line.substr(0, colon);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    std::string value = line.substr(colon + 1);
    const auto first = value.find_first_not_of(" \t");
    const auto last = value.find_last_not_of(" \t\r\n");
    value = first == std::string::npos ? std::string{} : value.substr(first, last - first + 1);
    received->headers[name] = value;
    return bytes;
}

bool IsRedirect(long status) { return status == 301 || status == 302 || status == 307 || status == 308; }

}  // namespace

struct HttpSession::Impl {
    explicit Impl(HttpSettings s) : settings(std::move(s)), trust(settings.caFile) {
        GlobalInit();
        curl = curl_easy_init();
        if (!curl) throw std::bad_alloc();
    }
    ~Impl() { curl_easy_cleanup(curl); }

    HttpResponse Perform(const HttpRequest& request, const std::string& target);

    HttpSettings settings;
    TlsTrust trust;
    CURL* curl = nullptr;
    std::size_t requests = 0;
    char errorText[CURL_ERROR_SIZE] = {};
};

HttpResponse HttpSession::Impl::Perform(const HttpRequest& request, const std::string& target) {
    curl_easy_reset(curl);  // keeps the connection cache
    Received received;
    errorText[0] = '\0';
    trust.Reset();

    curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);  // followed in Send, keeping the method
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(settings.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(settings.totalTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, &TlsTrust::PrepareContext);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &trust);
    if (!settings.user.empty()) {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(curl, CURLOPT_USERNAME, settings.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, settings.password.c_str());
    }
    if (request.method == "GET") {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    } else {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
        if (!request.body.empty() || request.method == "PUT") {
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
        }
    }
    std::unique_ptr<curl_slist, SlistFree> headers;
    auto add = [&](const std::string& header) {
        curl_slist* next = curl_slist_append(headers.get(), header.c_str());
        if (!next) throw std::bad_alloc();
        (void)headers.release();
        headers.reset(next);
    };
    add("Expect:");  // no 100-continue round trip
    add("User-Agent: Orvane");
    for (const auto& header : request.headers) add(header);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &received);

    ++requests;
    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_PEER_FAILED_VERIFICATION || (code == CURLE_SSL_CONNECT_ERROR && !trust.ServerFingerprint().empty())) {
        const std::string& fingerprint = trust.ServerFingerprint();
        std::string reason = errorText[0] ? errorText : curl_easy_strerror(code);
        throw CertificateError("The server's certificate is not trusted (" + reason + "). Its SHA-256 fingerprint is " +
                                   (fingerprint.empty() ? std::string("unknown") : fingerprint) +
                                   ". Trust it for this account only if that matches the server's certificate.",
                               fingerprint);
    }
    if (code == CURLE_SSL_CACERT_BADFILE)
        throw Error(errnum::CaFile, std::string("The certificate authorities cannot be loaded: ") + errorText);
    if (code == CURLE_WRITE_ERROR && received.tooBig)
        throw Error(errnum::BadAnswer, "The server's answer is too big to be an address book listing.");
    if (code != CURLE_OK) {
        std::string reason = errorText[0] ? errorText : curl_easy_strerror(code);
        throw Error(errnum::Network, "The request to the server failed: " + reason + ".");
    }
    HttpResponse response;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    response.url = target;
    response.headers = std::move(received.headers);
    response.body = std::move(received.body);
    if (IsRedirect(response.status)) {
        char* location = nullptr;
        curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location);
        if (location) response.headers["location"] = location;  // resolved against the request URL
    }
    return response;
}

HttpSession::HttpSession(HttpSettings settings) : impl_(std::make_unique<Impl>(std::move(settings))) {}
HttpSession::~HttpSession() = default;

std::size_t HttpSession::RequestCount() const { return impl_->requests; }

HttpResponse HttpSession::Send(const HttpRequest& request) {
    std::string target = url::Normalize(request.url);
    for (int hop = 0;; ++hop) {
        url::RequireSafe(target);  // before any connection, also for every redirect target
        HttpResponse response = impl_->Perform(request, target);
        if (response.status == 401)
            throw Error(errnum::Authentication, "The server refused the user name or password (401 Unauthorized).");
        const std::string location = response.Header("location");
        if (!IsRedirect(response.status) || location.empty()) return response;
        if (hop == kMaxRedirects)
            throw Error(errnum::TooManyRedirects, "The server redirected more than " + std::to_string(kMaxRedirects) +
                                                      " times (last to " + url::Normalize(location) + ").");
        target = url::Normalize(location);
    }
}

}  // namespace orvane::carddav
