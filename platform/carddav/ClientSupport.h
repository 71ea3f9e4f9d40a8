#pragma once

#include <functional>
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

// Sends a request answered with a multistatus. With `each`, every response
// is handed over as it is read, with the URL its href is relative to, and
// the answer's multistatus holds no responses.
using EachResponse = std::function<void(DavResponse&& response, const std::string& base)>;
DavAnswer SendDav(HttpSession& http, HttpRequest request, const EachResponse& each = {});

// The multistatus of a 207 answer, or throws through Unexpected.
Multistatus ReadAnswer(const HttpRequest& request, DavAnswer& answer);

}  // namespace orvane::carddav::detail
