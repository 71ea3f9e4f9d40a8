#include "HttpSession.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <exception>
#include <mutex>

#include "CardDavErrors.h"
#include "CertificateError.h"
#include "TlsTrust.h"
#include "Url.h"
#include "core/Error.h"
#include "LazyLibraries.h"  // last: see there

namespace orvane::carddav {
namespace {

constexpr int kMaxRedirects = 5;

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
    long status = 0;  // of the response whose headers came last
    std::size_t bytes = 0;
    std::size_t limit = 0;
    bool tooBig = false;
    const std::function<void(std::string_view, const std::string&)>* multistatus = nullptr;
    const std::string* url = nullptr;
    std::exception_ptr failure;  // thrown by the multistatus reader
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const std::size_t bytes = size * count;
    received->bytes += bytes;
    if (received->bytes > received->limit) {
        received->tooBig = true;
        return 0;  // aborts the transfer
    }
    if (received->status == 207 && received->multistatus && *received->multistatus) {
        try {
            (*received->multistatus)(std::string_view(data, bytes), *received->url);
        } catch (...) {
            received->failure = std::current_exception();
            return 0;
        }
        return bytes;
    }
    received->body.append(data, bytes);
    return bytes;
}

// Gives up when nothing has been received or sent for the limit.
struct Progress {
    std::chrono::seconds limit;
    curl_off_t moved = -1;
    std::chrono::steady_clock::time_point since = std::chrono::steady_clock::now();
    bool stalled = false;
};

int OnProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
    auto* progress = static_cast<Progress*>(user);
    const auto now = std::chrono::steady_clock::now();
    if (received + sent != progress->moved) {
        progress->moved = received + sent;
        progress->since = now;
        return 0;
    }
    if (now - progress->since < progress->limit) return 0;
    progress->stalled = true;
    return 1;  // aborts the transfer
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const std::size_t bytes = size * count;
    std::string line(data, bytes);
    if (line.rfind("HTTP/", 0) == 0) {
        received->headers.clear();  // a new response (after 100 Continue)
        received->status = 0;
        const auto space = line.find(' ');
        if (space != std::string::npos)
            std::from_chars(line.data() + space + 1, line.data() + line.size(), received->status);
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
    received.limit = settings.maxAnswerBytes;
    received.multistatus = &request.onMultistatus;
    received.url = &target;
    Progress progress{settings.noProgressTimeout};
    errorText[0] = '\0';
    trust.Reset(url::Host(target));

    curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);  // followed in Send, keeping the method
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(settings.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(settings.totalTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &progress);
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
    const std::string server = url::ServerName(target);
    const bool certificateFailed =
        code == CURLE_PEER_FAILED_VERIFICATION || (code == CURLE_SSL_CONNECT_ERROR && !trust.ServerFingerprint().empty());
    if (certificateFailed && !trust.NamesHost()) {
        // Trusting it would not help: the address must use a name it holds.
        throw CertificateError("The server's certificate is for " + trust.ServerNames() + ", not for " +
                                   url::Host(target) + ". Use an address with the name the certificate holds.",
                               trust.ServerFingerprint(), true);
    }
    if (certificateFailed) {
        const std::string& fingerprint = trust.ServerFingerprint();
        std::string reason = errorText[0] ? errorText : curl_easy_strerror(code);
        throw CertificateError("The server's certificate is not trusted (" + reason + "). Its SHA-256 fingerprint is " +
                                   (fingerprint.empty() ? std::string("unknown") : fingerprint) +
                                   ". Trust it for this account only if that matches the server's certificate.",
                               fingerprint);
    }
    if (code == CURLE_SSL_CACERT_BADFILE)
        throw Error(errnum::CaFile, std::string("The certificate authorities cannot be loaded: ") + errorText);
    if (received.failure) std::rethrow_exception(received.failure);
    if (code == CURLE_WRITE_ERROR && received.tooBig)
        throw Error(errnum::BadAnswer, "The answer of the server " + server + " to " + request.method + " " + target +
                                           " grew past " + std::to_string(settings.maxAnswerBytes >> 20) +
                                           " MB; it was stopped there, as no address book needs that much.");
    if (code == CURLE_ABORTED_BY_CALLBACK && progress.stalled)
        throw Error(errnum::Network, "The server " + server + " sent nothing for " +
                                         std::to_string(settings.noProgressTimeout.count()) + " s while answering " +
                                         request.method + " " + target + "; gave up. Try again later.");
    if (code != CURLE_OK) {
        std::string reason = errorText[0] ? errorText : curl_easy_strerror(code);
        throw Error(errnum::Network, "The request to the server " + server + " failed: " + reason + ".");
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
        // The password goes to the server set up and nowhere else.
        if (url::Origin(target) != impl_->settings.origin)
            throw Error(errnum::OtherServer,
                        (hop ? "The server redirected to " : "The server named the address ") + target +
                            ", on another server than the one set up (" + impl_->settings.origin +
                            "); it was not contacted. If the address book has moved there, set the account up "
                            "again with that address.");
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
