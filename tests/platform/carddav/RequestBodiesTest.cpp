#include <gtest/gtest.h>

#include "carddav/DavRequests.h"

namespace orvane::carddav {
namespace {

TEST(RequestBodies, EscapeEveryInsertedValue) {
    const std::string multiget = requests::AddressBookMultiget({"/u/b/a&b<c>.vcf", "/u/b/plain.vcf"});
    EXPECT_NE(multiget.find("<d:href>/u/b/a&amp;b&lt;c&gt;.vcf</d:href>"), std::string::npos) << multiget;
    EXPECT_NE(multiget.find("<d:href>/u/b/plain.vcf</d:href>"), std::string::npos);
    EXPECT_NE(multiget.find("<c:addressbook-multiget"), std::string::npos);
    EXPECT_NE(multiget.find("xmlns:c=\"urn:ietf:params:xml:ns:carddav\""), std::string::npos);

    const std::string sync = requests::SyncCollection("http://x/sync/1?a=1&b=</d:sync-token>", true);
    EXPECT_NE(sync.find("<d:sync-token>http://x/sync/1?a=1&amp;b=&lt;/d:sync-token&gt;</d:sync-token>"),
              std::string::npos)
        << sync;
    EXPECT_NE(sync.find("<c:address-data/>"), std::string::npos);

    const std::string mkcol = requests::MkcolAddressBook("Family & <Friends>");
    EXPECT_NE(mkcol.find("<d:displayname>Family &amp; &lt;Friends&gt;</d:displayname>"), std::string::npos) << mkcol;
}

TEST(RequestBodies, FirstSyncSendsAnEmptyToken) {
    const std::string sync = requests::SyncCollection("", false);
    EXPECT_NE(sync.find("<d:sync-token></d:sync-token>"), std::string::npos) << sync;
    EXPECT_EQ(sync.find("address-data"), std::string::npos);
}

}  // namespace
}  // namespace orvane::carddav
