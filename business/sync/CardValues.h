#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "transfer/VCardProperty.h"

namespace orvane::sync {

// A text value escaped the way the card's version writes it. structured:
// the value is one component of N or ADR (';' separates components there).
// Version 2.1 cannot hold a line break in a plain value: see NeedsQuotedPrintable.
std::string EscapeCardText(std::string_view value, transfer::VCardVersion version, bool structured);

// Whether a value must go out quoted-printable in a 2.1 card (it holds a line break).
bool NeedsQuotedPrintable(std::string_view value);

// The value as UTF-8: each byte that starts no valid UTF-8 sequence (a
// stray byte kept from a card) read as Windows-1252, as the vCard reader
// reads a whole value that is not UTF-8. A value written as UTF-8 with such
// bytes in it would be read in that other character set as a whole.
std::string AsUtf8(std::string_view value);

// Quoted-printable encoding of a whole value: every byte outside printable
// ASCII, and '=', as =XX.
std::string EncodeQuotedPrintable(std::string_view value);

// A structured value split at the ';' that separate components, each
// component kept raw (escapes and ',' lists as they were).
std::vector<std::string> SplitRawComponents(std::string_view value);
std::string JoinRawComponents(const std::vector<std::string>& components);

// The parts of a content line: "[group.]NAME;params" and the raw value.
struct LineParts {
    std::string head;
    std::string value;
};
LineParts SplitContentLine(std::string_view line);

// The head without the parameters named (any letter case); also drops bare
// 2.1 parameters equal to one of the names.
std::string WithoutParameters(std::string_view head, const std::vector<std::string_view>& names);

}  // namespace orvane::sync
