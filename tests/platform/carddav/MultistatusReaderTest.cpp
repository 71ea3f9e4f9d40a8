#include <gtest/gtest.h>

#include "ErrorOf.h"
#include "carddav/CardDavErrors.h"
#include "carddav/Multistatus.h"
#include "carddav/Url.h"
#include "core/Error.h"

namespace orvane::carddav {
namespace {

// Recorded from Radicale 3.1.8 (a first sync-collection), with one card's
// lines ending in CR LF as some servers send them (escaped, and raw).
const char* const kSyncAnswer =
    "<?xml version='1.0' encoding='utf-8'?>\n"
    "<multistatus xmlns=\"DAV:\" xmlns:CR=\"urn:ietf:params:xml:ns:carddav\">"
    "<sync-token>http://radicale.org/ns/sync/bcd376ec</sync-token>"
    "<response><href>/u/book/a%20b.vcf</href><propstat><prop>"
    "<getetag>\"1aaf932d\"</getetag>"
    "<CR:address-data>BEGIN:VCARD&#13;\nVERSION:3.0&#13;\nUID:a1&#13;\nEND:VCARD&#13;\n</CR:address-data>"
    "</prop><status>HTTP/1.1 200 OK</status></propstat></response>"
    "<response><href>/u/book/raw.vcf</href><propstat><prop>"
    "<getetag>\"2\"</getetag>"
    "<CR:address-data>BEGIN:VCARD\r\nUID:r\r\nEND:VCARD\r\n</CR:address-data>"
    "</prop><status>HTTP/1.1 200 OK</status></propstat></response>"
    "<response><href>/u/book/gone%C3%A9.vcf</href><status>HTTP/1.1 404 Not Found</status></response>"
    "</multistatus>";

TEST(MultistatusReader, ReadsChangedAndRemovedCardsOfASyncAnswer) {
    const Multistatus answer = ReadMultistatus(kSyncAnswer);
    EXPECT_EQ(answer.syncToken, "http://radicale.org/ns/sync/bcd376ec");
    ASSERT_EQ(answer.responses.size(), 3u);

    const DavResponse& first = answer.responses[0];
    EXPECT_EQ(first.href, "/u/book/a%20b.vcf");  // kept encoded, as sent
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.properties.etag, "\"1aaf932d\"");  // quotes are part of the ETag
    EXPECT_EQ(first.properties.addressData, "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:a1\r\nEND:VCARD\r\n");

    // An XML parser turns raw CR LF into LF: the card reader must take both.
    EXPECT_EQ(answer.responses[1].properties.addressData, "BEGIN:VCARD\nUID:r\nEND:VCARD\n");

    const DavResponse& removed = answer.responses[2];
    EXPECT_EQ(removed.status, 404);
    EXPECT_FALSE(removed.properties.etag);
    EXPECT_EQ(url::LastSegment(url::Resolve("https://dav.example.org/u/book/", removed.href)), "gone\xC3\xA9.vcf");
}

TEST(MultistatusReader, KeepsOnlyPropertiesOfSuccessfulPropstats) {
    const char* answer =
        "<d:multistatus xmlns:d=\"DAV:\" xmlns:card=\"urn:ietf:params:xml:ns:carddav\" "
        "xmlns:cs=\"http://calendarserver.org/ns/\" xmlns:x=\"urn:example:other\">"
        "<d:response><d:href>/u/book/</d:href>"
        "<d:propstat><d:prop><d:resourcetype><d:collection/><card:addressbook/></d:resourcetype>"
        "<d:displayname> My Book </d:displayname><cs:getctag>c1</cs:getctag>"
        "<d:supported-report-set><d:supported-report><d:report><d:sync-collection/></d:report></d:supported-report>"
        "</d:supported-report-set><d:sync-token>tok-1</d:sync-token>"
        "<x:getetag>\"not-dav\"</x:getetag>"
        "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
        "<d:propstat><d:prop><d:getetag>\"should-not-count\"</d:getetag><d:current-user-principal/></d:prop>"
        "<d:status>HTTP/1.1 404 Not Found</d:status></d:propstat>"
        "</d:response></d:multistatus>";
    const Multistatus ms = ReadMultistatus(answer);
    ASSERT_EQ(ms.responses.size(), 1u);
    const DavProperties& p = ms.responses[0].properties;
    EXPECT_TRUE(p.isCollection);
    EXPECT_TRUE(p.isAddressBook);
    EXPECT_EQ(p.displayName, "My Book");
    EXPECT_EQ(p.ctag, "c1");
    EXPECT_TRUE(p.supportsSyncCollection);
    EXPECT_EQ(p.syncToken, "tok-1");
    EXPECT_FALSE(p.etag) << "a 404 propstat or another namespace's getetag is no ETag";
    EXPECT_FALSE(p.currentUserPrincipal);
    EXPECT_EQ(ms.responses[0].propstatStatuses, (std::vector<int>{200, 404}));
}

TEST(MultistatusReader, ReadsPrincipalAndHomeSetHrefsAndReportsWithoutSyncCollection) {
    const char* answer =
        "<multistatus xmlns=\"DAV:\"><response><href>/</href><propstat><prop>"
        "<current-user-principal><href>/principals/al%20ice/</href></current-user-principal>"
        "<C:addressbook-home-set xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><href>/home/alice/</href>"
        "<href>/second/</href></C:addressbook-home-set>"
        "<resourcetype><collection/></resourcetype>"
        "<supported-report-set><supported-report><report><expand-property/></report></supported-report>"
        "</supported-report-set>"
        "</prop><status>HTTP/1.1 200 OK</status></propstat></response></multistatus>";
    const DavProperties p = ReadMultistatus(answer).responses.at(0).properties;
    EXPECT_EQ(p.currentUserPrincipal, "/principals/al%20ice/");
    EXPECT_EQ(p.addressBookHomeSet, "/home/alice/");
    EXPECT_TRUE(p.isCollection);
    EXPECT_FALSE(p.isAddressBook);
    EXPECT_FALSE(p.supportsSyncCollection);
}

// supported-address-data (RFC 6352 6.2.2): vCard 4.0 only when listed as such.
TEST(MultistatusReader, SeesWhetherTheBookTakesVCard4) {
    const std::pair<const char*, bool> cases[] = {
        {"<C:address-data-type content-type=\"text/vcard\" version=\"3.0\"/>", false},
        {"<C:address-data-type content-type=\"text/vcard\" version=\"3.0\"/>"
         "<C:address-data-type content-type=\"text/vcard\" version=\"4.0\"/>", true},
        {"<C:address-data-type content-type=\"application/vcard+json\" version=\"4.0\"/>", false},
        {"", false}};
    for (const auto& [types, takes] : cases) {
        SCOPED_TRACE(types);
        const std::string answer =
            std::string("<d:multistatus xmlns:d=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><d:response>"
                        "<d:href>/u/book/</d:href><d:propstat><d:prop><C:supported-address-data>") +
            types + "</C:supported-address-data></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
                    "</d:response></d:multistatus>";
        EXPECT_EQ(ReadMultistatus(answer).responses.at(0).properties.takesVCard4, takes);
    }
}

TEST(MultistatusReader, SeesTheTruncationOfACutShortAnswer) {
    const char* answer =
        "<multistatus xmlns=\"DAV:\"><sync-token>t2</sync-token>"
        "<response><href>/u/book/1.vcf</href><propstat><prop><getetag>\"e\"</getetag></prop>"
        "<status>HTTP/1.1 200 OK</status></propstat></response>"
        "<response><href>/u/book/</href><status>HTTP/1.1 507 Insufficient Storage</status>"
        "<error><number-of-matches-within-limits/></error></response>"
        "</multistatus>";
    const Multistatus ms = ReadMultistatus(answer);
    ASSERT_EQ(ms.responses.size(), 2u);
    EXPECT_EQ(ms.responses[1].status, 507);
    EXPECT_EQ(ms.syncToken, "t2");
}

TEST(MultistatusReader, RefusesWhatIsNoMultistatus) {
    testing::internal::CaptureStderr();  // libxml2's own diagnostics never reach the user
    auto numberOf = [](const std::string& text) {
        try {
            ReadMultistatus(text);
        } catch (const Error& e) {
            return e.Number();
        }
        return 0;
    };
    EXPECT_EQ(numberOf("<html><body>Service unavailable</body></html>"), errnum::BadAnswer);
    EXPECT_EQ(numberOf(""), errnum::BadAnswer);
    EXPECT_EQ(numberOf("<multistatus xmlns=\"DAV:\"><response>"), errnum::BadAnswer);
    EXPECT_EQ(numberOf("<multistatus><response/></multistatus>"), errnum::BadAnswer) << "no DAV: namespace";
    // Entity expansion is the way to a billion laughs or a local file: a DTD is refused.
    EXPECT_EQ(numberOf("<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;\">]>"
                       "<multistatus xmlns=\"DAV:\"><sync-token>&b;</sync-token></multistatus>"),
              errnum::BadAnswer);
    EXPECT_EQ(numberOf("<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                       "<multistatus xmlns=\"DAV:\"><sync-token>&x;</sync-token></multistatus>"),
              errnum::BadAnswer);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(MultistatusReader, ReadsPreconditionsOfAnErrorBody) {
    EXPECT_EQ(ReadDavErrorConditions("<?xml version='1.0' encoding='utf-8'?>\n"
                                     "<error xmlns=\"DAV:\"><valid-sync-token /></error>"),
              (std::vector<std::string>{"valid-sync-token"}));
    EXPECT_TRUE(ReadDavErrorConditions("Forbidden").empty());
    EXPECT_TRUE(ReadDavErrorConditions("<error xmlns=\"urn:other\"><valid-sync-token/></error>").empty());
}

TEST(MultistatusReader, ReadsTheHrefAPreconditionNames) {
    const char* named = "<d:error xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\">"
                        "<c:no-uid-conflict><d:href> /u/book/ann.vcf </d:href></c:no-uid-conflict></d:error>";
    EXPECT_EQ(ReadDavErrorHref(named, "no-uid-conflict"), "/u/book/ann.vcf");
    EXPECT_EQ(ReadDavErrorHref(named, "valid-sync-token"), std::nullopt);
    // Radicale names the condition alone.
    EXPECT_EQ(ReadDavErrorHref("<error xmlns=\"DAV:\" xmlns:CR=\"urn:ietf:params:xml:ns:carddav\">"
                               "<CR:no-uid-conflict /></error>",
                               "no-uid-conflict"),
              std::nullopt);
    EXPECT_EQ(ReadDavErrorHref("Conflict", "no-uid-conflict"), std::nullopt);
}

TEST(MultistatusReader, ReadsStatusLines) {
    EXPECT_EQ(StatusFromLine("HTTP/1.1 404 Not Found"), 404);
    EXPECT_EQ(StatusFromLine("HTTP/1.1 200"), 200);
    EXPECT_EQ(StatusFromLine("HTTP/1.1  507 Insufficient Storage"), 507);
    EXPECT_EQ(StatusFromLine("garbage"), 0);
    EXPECT_EQ(StatusFromLine("HTTP/1.1 20"), 0);
}

TEST(CardDavUrl, ResolvesHrefsAndRefusesPlainHttpToOtherComputers) {
    EXPECT_EQ(url::Resolve("http://127.0.0.1:5232/u/book/", "/u/book/a%20b.vcf"),
              "http://127.0.0.1:5232/u/book/a%20b.vcf");
    EXPECT_EQ(url::Resolve("https://a.example/dav/", "card.vcf"), "https://a.example/dav/card.vcf");
    EXPECT_EQ(url::Resolve("https://a.example/dav/", "https://b.example/x/"), "https://b.example/x/");
    EXPECT_TRUE(url::SamePath("https://a.example/u/book", "https://a.example/u/book/"));
    EXPECT_TRUE(url::SamePath("https://a.example/u/a%20b/", "https://a.example/u/%61%20b"));
    EXPECT_EQ(url::Normalize("https://a.example/My Book/a%20b"), "https://a.example/My%20Book/a%20b");
    EXPECT_FALSE(url::SamePath("https://a.example/u/book/", "https://a.example/u/"));
    EXPECT_EQ(url::Normalize("https://alice:pw@dav.example.org/x#frag"), "https://dav.example.org/x");

    for (const char* host : {"127.0.0.1", "127.3.4.5", "localhost", "[::1]"})
        EXPECT_NO_THROW(url::RequireSafe(std::string("http://") + host + ":8000/")) << host;
    for (const char* address : {"http://192.168.1.5/", "http://dav.example.org/", "http://128.0.0.1/",
                                "http://127.example.org/", "http://[::2]/", "ftp://127.0.0.1/", "http://10.0.0.1/",
                                "http://localhost.evil.example/"}) {
        const orvane::Error e = orvane::test::ErrorOf([&] { url::RequireSafe(address); });
        EXPECT_EQ(e.Number(), errnum::InsecureUrl) << address;
    }
    EXPECT_NO_THROW(url::RequireSafe("https://dav.example.org/"));
}

}  // namespace
}  // namespace orvane::carddav
