#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvane::rtf {

enum class TokenKind {
    End,         // no more input
    GroupStart,  // {
    GroupEnd,    // }
    Word,        // \name or \nameN: text is the name, param/hasParam the number
    Symbol,      // \x for a non-letter x: param is the character ('\n' for a
                 // backslash before a line end)
    HexByte,     // \'hh: param is the byte
    Text,        // a run of plain bytes (line ends already dropped)
    Binary,      // the data after \binN: text is the raw bytes
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;
    std::int32_t param = 0;
    bool hasParam = false;
};

// Splits RTF bytes into tokens. Every call consumes at least one byte
// unless it returns End, so a pass over the input is linear in its size.
// Malformed pieces never fail: names are cut to 32 letters, numbers are
// clamped to the int32 range, a \bin count is cut to what is left, and a
// broken \' escape is dropped.
class RtfTokenizer {
public:
    static constexpr std::size_t kMaxNameLength = 32;

    explicit RtfTokenizer(std::string_view input) : in_(input) {}

    Token Next();
    std::size_t Offset() const noexcept { return pos_; }

private:
    Token Control();

    std::string_view in_;
    std::size_t pos_ = 0;
};

}  // namespace orvane::rtf
