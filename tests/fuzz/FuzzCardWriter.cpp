#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "CardMeaning.h"
#include "core/TextFile.h"
#include "transfer/CardWriter.h"
#include "transfer/FileFormatError.h"
#include "transfer/VCardReader.h"

// A kept card is text another program wrote: any card read must be written
// as a valid 3.0 and 4.0 card, and each of those again in either version,
// with the content of the card it was written from.
namespace {
using orvane::transfer::VCardVersion;

[[noreturn]] void Fail(const char* what, const std::string& detail, const std::string& card) {
    std::fprintf(stderr, "%s: %s\n--- card ---\n%s\n", what, detail.c_str(), card.c_str());
    std::abort();
}

void Check(const std::string& from, const std::string& written, VCardVersion version) {
    for (const std::string& problem : orvane::test::FormatProblems(written, version)) Fail("format", problem, written);
    for (const std::string& change : orvane::test::MeaningChanges(from, written)) Fail("content", change, written);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The import keeps a card's text as UTF-8 (other bytes read as Windows-1252 or replaced).
    const std::string text = orvane::DecodeText(std::string(reinterpret_cast<const char*>(data), size));
    orvane::transfer::ImportedCard read;
    try {
        orvane::transfer::VCardReader reader(text);
        if (!reader.Next(read)) return 0;
    } catch (const orvane::transfer::FileFormatError&) {
        return 0;  // not a card the import would keep
    }
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
