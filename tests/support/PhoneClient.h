#pragma once

#include <string>

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

}  // namespace orvane::test
