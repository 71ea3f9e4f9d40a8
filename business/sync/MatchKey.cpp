#include "sync/MatchKey.h"

namespace orvane::sync {
namespace {

// The lower-case letter of an upper-case one in the scripts the key folds.
char32_t LowerLetter(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c == 0x130) return U'i';
    if (c == 0x178) return 0xFF;
    const bool evenUpper = (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenUpper && c % 2 == 0) || (oddUpper && c % 2 == 1)) return c + 1;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 0x25;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 0x3F;
    if (c == 0x3C2) return 0x3C3;  // final sigma folds like sigma
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

// The code point at text[i] (advancing i); a byte that starts no valid
// sequence is returned as itself with the high bit marking it.
char32_t NextCodePoint(std::string_view text, std::size_t& i, bool& valid) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 0;
    valid = length != 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k)
        valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (!valid) {
        ++i;
        return byte;
    }
    char32_t c = length == 1 ? byte : byte & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string FoldedForMatch(std::string_view text) {
    std::string out;
    bool pendingBlank = false;
    for (std::size_t i = 0; i < text.size();) {
        if (IsBlank(text[i])) {
            pendingBlank = !out.empty();
            ++i;
            continue;
        }
        if (pendingBlank) out += ' ';
        pendingBlank = false;
        bool valid = true;
        const std::size_t start = i;
        const char32_t c = NextCodePoint(text, i, valid);
        if (valid) AppendUtf8(out, LowerLetter(c));
        else out += text[start];
    }
    return out;
}

std::string MatchKey(const transfer::AddressFields& fields) {
    std::string key;
    for (std::size_t field = 0; field < fields.size(); ++field) {
        if (field > 0) key += '\x1f';
        if (field == transfer::kPhone) {
            for (const char c : fields[field])
                if (c >= '0' && c <= '9') key += c;
        } else {
            key += FoldedForMatch(fields[field]);
        }
    }
    return key;
}

}  // namespace orvane::sync
