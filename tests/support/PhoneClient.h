#pragma once

#include <map>
#include <string>
#include <vector>

#include "TestKit.h"
#include "carddav/CardDavClient.h"

namespace orvane::test {

// Another client of the same book (a phone), as alice: for tests that
// change the server's cards between runs or read what a run left there;
// caFile: the server's own certificate (PEM), over TLS.
inline carddav::CardDavClient PhoneClient(const std::string& bookUrl, const std::string& user = "alice",
                                          const std::string& password = "alice-secret",
                                          const std::string& caFile = {}) {
    carddav::ConnectionSettings settings = AliceSettings(bookUrl, password);
    settings.user = user;
    settings.caFile = caFile;
    return carddav::CardDavClient(settings);
}

// Every card of the book by URL, read by ETags and multiget as any client
// may, whether or not the server keeps sync tokens.
inline std::map<std::string, carddav::RemoteCard> CardsOfBook(carddav::CardDavClient& client,
                                                              const std::string& bookUrl) {
    std::vector<std::string> urls;
    for (const auto& listed : client.ListEtags(bookUrl)) urls.push_back(listed.url);
    std::map<std::string, carddav::RemoteCard> cards;
    for (auto& card : client.Multiget(bookUrl, urls).cards) cards[card.url] = card;
    return cards;
}

}  // namespace orvane::test
