#pragma once

#include <string>

#include "DavRequests.h"
#include "HttpSession.h"
#include "Multistatus.h"

// Pieces shared by the parts of CardDavClient.
namespace orvane::carddav::detail {

inline const char* const kXmlType = "Content-Type: application/xml; charset=utf-8";

HttpRequest XmlRequest(const std::string& method, const std::string& url, const std::string& depth, std::string body);

// Throws the error for an answer the caller cannot use: Forbidden for 403,
// ServerError for anything else, naming the status, method and URL.
[[noreturn]] void Unexpected(const HttpRequest& request, const HttpResponse& response);

// An answer whose 207 body was read as it arrived.
struct DavAnswer {
    HttpResponse http;          // its body is empty after a 207
    Multistatus multistatus;    // only after a 207
};

// Sends a request answered with a multistatus.
DavAnswer SendDav(HttpSession& http, HttpRequest request);

// The multistatus of a 207 answer, or throws through Unexpected.
Multistatus ReadAnswer(const HttpRequest& request, DavAnswer& answer);

}  // namespace orvane::carddav::detail
