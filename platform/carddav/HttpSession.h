#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One account's HTTP connection to a CardDAV server, over libcurl: Basic
// authentication sent only to the origin set up, the system's certificate
// authorities plus an optional extra certificate, redirects on that origin
// followed here with method and body kept, answers bounded in size and
// given up when they stop moving.
namespace orvane::carddav {

struct HttpRequest {
    std::string method;
    std::string url;
    std::vector<std::string> headers;  // "Name: value"
    std::string body;
    // When set, the body of a 207 answer is handed here as it arrives, with
    // the URL it came from (after redirects), instead of being kept in
    // HttpResponse::body. What it throws ends the transfer and is thrown by Send.
    std::function<void(std::string_view piece, const std::string& url)> onMultistatus;
};

struct HttpResponse {
    long status = 0;
    std::string url;  // after redirects: what hrefs in the body are relative to
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;

    std::string Header(const std::string& lowerName) const {
        auto it = headers.find(lowerName);
        return it == headers.end() ? std::string{} : it->second;
    }
};

struct HttpSettings {
    std::string user;
    std::string password;
    std::string caFile;
    std::chrono::seconds connectTimeout{15};
    std::chrono::seconds totalTimeout{1200};
    std::chrono::seconds noProgressTimeout{60};
    std::size_t maxAnswerBytes = std::size_t{256} << 20;
    std::string origin;  // url::Origin of the server set up: the only one requests go to
};

class HttpSession {
public:
    explicit HttpSession(HttpSettings settings);
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    // Sends the request and answers the final response. Throws orvane::Error:
    // InsecureUrl before any connection when a URL (also a redirect target) is
    // plain http to another computer; OtherServer, naming it, when a URL or
    // a redirect leads to another origin than the one set up (nothing is
    // sent there); Authentication at the first 401; Certificate (with the
    // server certificate's SHA-256 fingerprint) when it is not trusted;
    // Network when the server cannot be reached or sends and takes nothing
    // for noProgressTimeout; BadAnswer when the body grows past
    // maxAnswerBytes.
    HttpResponse Send(const HttpRequest& request);

    // Requests made so far, each redirect hop counted.
    std::size_t RequestCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane::carddav
