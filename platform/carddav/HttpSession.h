#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One account's HTTP connection to a CardDAV server, over libcurl: Basic
// authentication, the system's certificate authorities plus an optional
// extra certificate, redirects followed here with method and body kept.
namespace orvane::carddav {

struct HttpRequest {
    std::string method;
    std::string url;
    std::vector<std::string> headers;  // "Name: value"
    std::string body;
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
};

class HttpSession {
public:
    explicit HttpSession(HttpSettings settings);
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    // Sends the request and answers the final response. Throws orvane::Error:
    // InsecureUrl before any connection when a URL (also a redirect target) is
    // plain http to another computer; Authentication at the first 401;
    // Certificate (with the server certificate's SHA-256 fingerprint) when
    // it is not trusted; Network when the server cannot be reached.
    HttpResponse Send(const HttpRequest& request);

    // Requests made so far, each redirect hop counted.
    std::size_t RequestCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane::carddav
