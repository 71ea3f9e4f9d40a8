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

// Reads a 207 answer, or throws through Unexpected.
Multistatus ReadAnswer(const HttpRequest& request, const HttpResponse& response);

}  // namespace orvane::carddav::detail
