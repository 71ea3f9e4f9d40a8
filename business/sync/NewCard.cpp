#include "sync/NewCard.h"

#include <cstdio>
#include <random>
#include <sstream>

#include "sync/CardLines.h"
#include "transfer/VCardProperty.h"
#include "transfer/VCardWriter.h"

namespace orvane::sync {

std::string RandomUuid() {
    // One generator per thread, seeded once from the system's entropy.
    thread_local std::mt19937_64 generator = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    std::uint64_t high = generator();
    std::uint64_t low = generator();
    high = (high & ~0xF000ULL) | 0x4000ULL;                          // version 4
    low = (low & ~(0xC000ULL << 48)) | (0x8000ULL << 48);            // variant 10
    char text[40];
    std::snprintf(text, sizeof text, "%08llx-%04llx-%04llx-%04llx-%012llx",
                  static_cast<unsigned long long>(high >> 32), static_cast<unsigned long long>((high >> 16) & 0xFFFF),
                  static_cast<unsigned long long>(high & 0xFFFF), static_cast<unsigned long long>(low >> 48),
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
    return text;
}

std::string NewCardText(const transfer::AddressFields& fields, const std::string& uid) {
    // The writer's card with its ID-based UID swapped for the one given.
    std::ostringstream out;
    transfer::VCardWriter(out, transfer::VCardVersion::V30).Write(0, fields);
    std::string card = out.str();
    const std::string stable = "UID:" + transfer::StableUid(0) + "\r\n";
    const std::size_t at = card.find(stable);
    card.replace(at, stable.size(), transfer::FoldContentLine("UID:" + uid));
    return card;
}

std::string WithUid(const std::string& card, const std::string& uid) {
    std::string out;
    bool added = false;
    for (const CardLine& line : SplitCardLines(card)) {
        const auto property = transfer::VCardProperty::Parse(line.unfolded, 0);
        const bool emptyUid = property && property->Name() == "UID" &&
                              property->RawValue().find_first_not_of(" \t") == std::string::npos;
        const bool end = property && property->Name() == "END";
        if (!added && (emptyUid || end)) {
            out += "UID:" + uid + LineEndOf(card);
            added = true;
            if (emptyUid) continue;
        }
        out.append(card, line.begin, line.end - line.begin);
    }
    return out;
}

}  // namespace orvane::sync
