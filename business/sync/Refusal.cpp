#include "sync/Refusal.h"

#include <cstdint>
#include <string_view>

namespace orvane::sync {
namespace {

bool IsUidLine(std::string_view line) {
    if (line.size() < 4) return false;
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return upper(line[0]) == 'U' && upper(line[1]) == 'I' && upper(line[2]) == 'D' && (line[3] == ':' || line[3] == ';');
}

}  // namespace

std::string CardHash(const std::string& card) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    std::size_t start = 0;
    while (start < card.size()) {
        std::size_t end = card.find('\n', start);
        end = end == std::string::npos ? card.size() : end + 1;
        const std::string_view line(card.data() + start, end - start);
        if (!IsUidLine(line))
            for (const char c : line) {
                hash ^= static_cast<unsigned char>(c);
                hash *= 0x100000001b3ULL;
            }
        start = end;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (std::size_t i = 0; i < 16; ++i) text[15 - i] = kDigits[(hash >> (4 * i)) & 0xf];
    return text;
}

std::string DisplayText(const transfer::AddressFields& fields) {
    return fields[transfer::kFirstName] + ", " + fields[transfer::kLastName];
}

}  // namespace orvane::sync
