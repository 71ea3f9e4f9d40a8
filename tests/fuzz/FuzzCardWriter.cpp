#include <cstddef>
#include <cstdint>
#include <string>

#include "CardMeaning.h"
#include "FuzzKeptCard.h"
#include "transfer/CardWriter.h"
#include "transfer/FileFormatError.h"

// A kept card is text another program wrote: any card read must be written
// as a valid 3.0 and 4.0 card, and each of those again in either version,
// with the content of the card it was written from.
namespace {
using orvane::fuzz::Fail;
using orvane::transfer::VCardVersion;

void Check(const std::string& from, const std::string& written, VCardVersion version) {
    for (const std::string& problem : orvane::test::FormatProblems(written, version)) Fail("format", problem, written);
    for (const std::string& change : orvane::test::MeaningChanges(from, written)) Fail("content", change, written);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<orvane::transfer::ImportedCard> kept = orvane::fuzz::FirstKeptCard(data, size);
    if (!kept) return 0;
    const orvane::transfer::ImportedCard& read = *kept;
    const std::string card = read.cardText;
    for (const VCardVersion first : {VCardVersion::V30, VCardVersion::V40}) {
        std::string once;
        try {
            once = orvane::transfer::WriteKeptCard(card, first, read.fields, "fuzz-uid");
        } catch (const orvane::transfer::FileFormatError&) {
            return 0;
        }
        Check(card, once, first);
        for (const VCardVersion second : {VCardVersion::V30, VCardVersion::V40}) {
            const std::string twice = orvane::transfer::WriteKeptCard(once, second, read.fields, "other-uid");
            Check(once, twice, second);
        }
    }
    return 0;
}
