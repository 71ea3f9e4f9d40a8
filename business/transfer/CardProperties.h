#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "transfer/VCardProperty.h"

namespace orvane::transfer {

// How a property's value is held once read, whatever the version it came in.
enum class ValueKind {
    Text,    // text with its escapes undone: components, each a list of values
    Raw,     // a value that is no text (URI, date, number, unknown): as written in 3.0 and 4.0
    Binary,  // base64 data without blanks, with its media type
};

// One property of a card in a form no version owns: the group, the name in
// upper case, the parameters (names upper case; values unquoted, each TYPE
// value on its own; 2.1 bare values as TYPE; no ENCODING or CHARSET, which
// the reading undid) and the value.
struct CardProperty {
    std::string group;
    std::string name;
    std::vector<VCardParameter> parameters;
    ValueKind kind = ValueKind::Raw;
    std::vector<std::vector<std::string>> text;  // Text
    std::string raw;                             // Raw; Binary: the base64 data
    std::string mediaType;                       // Binary: e.g. "image/jpeg"; empty when not known

    // The first value of a parameter; empty when it has none.
    std::string Parameter(std::string_view name) const;
    bool HasParameter(std::string_view name) const;
    void RemoveParameter(std::string_view name);
    void SetParameter(std::string_view name, std::vector<std::string> values);
    // TYPE values, in order.
    std::vector<std::string> Types() const;
    bool HasType(std::string_view type) const;
    void RemoveType(std::string_view type);
    // The text as one string: components joined by ';', values by ','.
    std::string JoinedText() const;
};

struct KeptCardProperties {
    VCardVersion version = VCardVersion::V30;
    std::vector<CardProperty> properties;  // without BEGIN, END and VERSION
};

// How a property's text is built, by name: one text, a comma list
// (NICKNAME, CATEGORIES) or components (N, ADR, ORG, GENDER).
enum class TextShape { Single, List, Structured };
TextShape ShapeOf(std::string_view name);
// Whether a property of that name holds text (with escapes) in the version.
// Names no version defines are text in 2.1 (split at ';' like a compound
// value) and kept as written in 3.0 and 4.0, whose escapes are the same.
bool IsTextProperty(std::string_view name, VCardVersion version);

// Reads the first card of a text (vCard 2.1, 3.0 or 4.0; any line ends;
// folded or not; quoted-printable soft breaks) into properties: quoted-
// printable and its character set undone, base64 gathered, escapes undone.
// Lines that are no property (blank lines, text without a colon) are left
// out. Throws FileFormatError when the text has no BEGIN:VCARD.
KeptCardProperties ReadCardProperties(std::string_view cardText);

}  // namespace orvane::transfer
