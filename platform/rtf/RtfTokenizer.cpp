#include "RtfTokenizer.h"

#include <algorithm>
#include <limits>

namespace orvane::rtf {
namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool EndsText(char c) { return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n'; }

}  // namespace

Token RtfTokenizer::Next() {
    while (pos_ < in_.size()) {
        char c = in_[pos_];
        switch (c) {
        case '{':
            ++pos_;
            return {TokenKind::GroupStart, {}, 0, false};
        case '}':
            ++pos_;
            return {TokenKind::GroupEnd, {}, 0, false};
        case '\r':
        case '\n':
            ++pos_;  // line ends in RTF are only there for the reader's eyes
            continue;
        case '\\':
            if (pos_ + 1 >= in_.size()) {  // a lone backslash at the very end
                pos_ = in_.size();
                return {};
            }
            if (Token t = Control(); t.kind != TokenKind::End) return t;
            continue;  // a dropped escape: go on with what follows
        default: {
            std::size_t start = pos_;
            while (pos_ < in_.size() && !EndsText(in_[pos_])) ++pos_;
            return {TokenKind::Text, in_.substr(start, pos_ - start), 0, false};
        }
        }
    }
    return {};
}

// pos_ is on the backslash and at least one byte follows. Returns End for
// an escape that is dropped; the bytes it used are consumed all the same.
Token RtfTokenizer::Control() {
    ++pos_;
    char c = in_[pos_];

    if (IsLetter(c)) {
        std::size_t start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
        const std::size_t letters = pos_ - start;
        Token t{TokenKind::Word, in_.substr(start, std::min(letters, kMaxNameLength)), 0, false};

        bool negative = pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1]);
        if (negative) ++pos_;
        if (pos_ < in_.size() && IsDigit(in_[pos_])) {
            // Read every digit so the number ends where the writer meant it
            // to, but stop growing the value once it is past the int32 range.
            constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
            std::int64_t value = 0;
            while (pos_ < in_.size() && IsDigit(in_[pos_])) {
                if (value <= kLimit) value = value * 10 + (in_[pos_] - '0');
                ++pos_;
            }
            value = std::min(value, kLimit);
            if (negative) value = -value;
            value = std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max());
            t.param = static_cast<std::int32_t>(value);
            t.hasParam = true;
        }
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;  // the delimiting space belongs to the word

        if (t.text == "bin" && letters == 3) {
            std::size_t count = t.hasParam && t.param > 0 ? static_cast<std::size_t>(t.param) : 0;
            count = std::min(count, in_.size() - pos_);
            Token data{TokenKind::Binary, in_.substr(pos_, count), t.param, t.hasParam};
            pos_ += count;
            return data;
        }
        return t;
    }

    if (c == '\'') {
        ++pos_;
        int high = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
        if (high < 0) return {};  // "\'" without hex digits: drop it
        ++pos_;
        int low = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
        if (low < 0) return {};  // a single digit: drop the escape
        ++pos_;
        return {TokenKind::HexByte, {}, high * 16 + low, true};
    }

    ++pos_;
    if (c == '\r') c = '\n';
    return {TokenKind::Symbol, in_.substr(pos_ - 1, 1), static_cast<unsigned char>(c), false};
}

}  // namespace orvane::rtf
