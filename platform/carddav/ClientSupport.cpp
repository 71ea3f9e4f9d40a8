#include "ClientSupport.h"

#include "CardDavErrors.h"
#include "core/Error.h"

namespace orvane::carddav::detail {

HttpRequest XmlRequest(const std::string& method, const std::string& url, const std::string& depth, std::string body) {
    HttpRequest request{method, url, {kXmlType}, std::move(body), {}};
    if (!depth.empty()) request.headers.push_back("Depth: " + depth);
    return request;
}

void Unexpected(const HttpRequest& request, const HttpResponse& response) {
    const std::string what = "The server answered " + std::to_string(response.status) + " to " + request.method +
                             " " + response.url + ".";
    if (response.status == 403) throw Error(errnum::Forbidden, what + " Access is forbidden.");
    throw Error(errnum::ServerError, what);
}

DavAnswer SendDav(HttpSession& http, HttpRequest request, const EachResponse& each) {
    std::string base;
    MultistatusParser parser(each ? std::function<void(DavResponse&&)>(
                                        [&](DavResponse&& response) { each(std::move(response), base); })
                                  : nullptr);
    request.onMultistatus = [&](std::string_view piece, const std::string& url) {
        base = url;
        parser.Feed(piece);
    };
    DavAnswer answer{http.Send(request), {}};
    if (answer.http.status == 207) answer.multistatus = parser.Finish();
    return answer;
}

Multistatus ReadAnswer(const HttpRequest& request, DavAnswer& answer) {
    if (answer.http.status != 207) Unexpected(request, answer.http);
    return std::move(answer.multistatus);
}

}  // namespace orvane::carddav::detail
