#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "RadicaleServer.h"
#include "TestKit.h"
#include "carddav/CardDavClient.h"

namespace orvane::carddav::test {

using orvane::test::AliceSettings;
using orvane::test::Card;

inline ConnectionSettings Settings(const orvane::test::RadicaleServer& server, const std::string& path = {},
                                   const std::string& password = "alice-secret") {
    return AliceSettings(server.BaseUrl() + path, password);
}

// Lists the book's three cards by ETag and reads them in batches of two with
// a gone card among them: each listed card comes with its listed ETag, the
// gone one is missing. Returns the client's request count.
inline std::size_t ExpectListedCardsReadAndAGoneOneMissing(ConnectionSettings settings, const std::string& book) {
    settings.multigetBatch = 2;
    CardDavClient client(settings);
    std::vector<std::string> urls;
    std::map<std::string, std::string> etagOf;
    for (const RemoteEtag& listed : client.ListEtags(book)) {
        urls.push_back(listed.url);
        etagOf[listed.url] = listed.etag;
    }
    EXPECT_EQ(urls.size(), 3u) << "the book itself is not listed as a card";
    EXPECT_EQ(client.RequestCount(), 1u);
    EXPECT_EQ(etagOf.count(book + "c%20d%26e.vcf"), 1u) << "hrefs resolved, percent-encoded as sent";
    urls.insert(urls.begin() + 1, book + "gone.vcf");

    const MultigetResult result = client.Multiget(book, urls);
    EXPECT_EQ(result.cards.size(), 3u);
    for (const RemoteCard& card : result.cards) {
        EXPECT_EQ(card.etag, etagOf[card.url]) << card.url;
        EXPECT_NE(card.text.find("BEGIN:VCARD"), std::string::npos) << card.url;
    }
    EXPECT_EQ(result.missing, std::vector<std::string>{book + "gone.vcf"});
    return client.RequestCount();
}

}  // namespace orvane::carddav::test
