#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sync/ServerChanges.h"

namespace orvane::sync {
namespace {

PendingSend Pending(PendingKind kind, const std::string& href) { return {kind, 1, href, "uid", {}, "card"}; }

// A server may list changed cards without their text (it left address-data
// out of its sync-collection answer): those are read with a multiget, never
// taken for empty cards or deletions.
TEST(HrefsToRead, CardsListedWithoutTheirTextAreRead) {
    ServerListing listing;
    listing.complete = false;
    listing.cards = {{"/b/a.vcf", "\"1\"", "BEGIN:VCARD..."}, {"/b/b.vcf", "\"2\"", ""}, {"/b/c.vcf", "\"3\"", ""}};
    EXPECT_EQ(HrefsToRead(listing, {}), (std::vector<std::string>{"/b/b.vcf", "/b/c.vcf"}));
    listing.complete = true;
    EXPECT_EQ(HrefsToRead(listing, {}), (std::vector<std::string>{"/b/b.vcf", "/b/c.vcf"}));
}

// After a change listing, a pending create or update the listing did not
// bring is read (it reached the server before the stored token); a pending
// delete, a removed href, and an href already asked for are not.
TEST(HrefsToRead, PendingWritesAreReadOnlyAfterAChangeListing) {
    ServerListing listing;
    listing.complete = false;
    listing.cards = {{"/b/read.vcf", "\"1\"", "BEGIN:VCARD..."}, {"/b/bare.vcf", "\"2\"", ""}};
    listing.removed = {"/b/gone.vcf"};
    const std::vector<PendingSend> pending{
        Pending(PendingKind::Create, "/b/new.vcf"),    Pending(PendingKind::Update, "/b/read.vcf"),
        Pending(PendingKind::Update, "/b/bare.vcf"),   Pending(PendingKind::Delete, "/b/deleted.vcf"),
        Pending(PendingKind::Update, "/b/gone.vcf"),   Pending(PendingKind::Create, "/b/new.vcf")};
    EXPECT_EQ(HrefsToRead(listing, pending), (std::vector<std::string>{"/b/bare.vcf", "/b/new.vcf"}));
    listing.complete = true;  // everything on the server was listed
    EXPECT_EQ(HrefsToRead(listing, pending), (std::vector<std::string>{"/b/bare.vcf"}));
}

}  // namespace
}  // namespace orvane::sync
