#include "ClientSupport.h"

#include "CardDavErrors.h"
#include "core/Error.h"

namespace orvane::carddav::detail {

HttpRequest XmlRequest(const std::string& method, const std::string& url, const std::string& depth, std::string body) {
    HttpRequest request{method, url, {kXmlType}, std::move(body)};
    if (!depth.empty()) request.headers.push_back("Depth: " + depth);
    return request;
}

void Unexpected(const HttpRequest& request, const HttpResponse& response) {
    const std::string what = "The server answered " + std::to_string(response.status) + " to " + request.method +
                             " " + response.url + ".";
    if (response.status == 403) throw Error(errnum::Forbidden, what + " Access is forbidden.");
    throw Error(errnum::ServerError, what);
}

Multistatus ReadAnswer(const HttpRequest& request, const HttpResponse& response) {
    if (response.status != 207) Unexpected(request, response);
    return ReadMultistatus(response.body);
}

}  // namespace orvane::carddav::detail
