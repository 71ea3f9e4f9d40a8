#include "transfer/CardProperties.h"

#include <algorithm>
#include <array>

#include "sync/CardLines.h"
#include "transfer/FileFormatError.h"
#include "transfer/TextTools.h"

namespace orvane::transfer {
namespace {

bool NameIn(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

VCardVersion VersionFrom(std::string_view value) {
    value = text::Trim(value);
    if (value == "2.1") return VCardVersion::V21;
    if (value == "4.0") return VCardVersion::V40;
    return VCardVersion::V30;
}

// Splits a value at unescaped separators; escapes are left in the pieces.
std::vector<std::string> SplitEscaped(std::string_view value, char separator) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            pieces.back() += value.substr(i, 2);
            ++i;
        } else if (value[i] == separator) {
            pieces.emplace_back();
        } else {
            pieces.back() += value[i];
        }
    }
    return pieces;
}

// Raw line breaks (a decoded quoted-printable value) as the text's own newlines.
std::string WithNewlines(std::string text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i] == '\r' ? '\n' : text[i];
    }
    return out;
}

std::vector<std::vector<std::string>> TextOf(std::string_view name, std::string_view value, VCardVersion version) {
    const TextShape shape = ShapeOf(name);
    // 2.1 has no comma lists; a name no version defines is split only at ';'.
    const bool lists = version != VCardVersion::V21;
    std::vector<std::vector<std::string>> text;
    const std::vector<std::string> components =
        shape == TextShape::Single && lists ? std::vector<std::string>{std::string(value)} : SplitEscaped(value, ';');
    for (const std::string& component : components) {
        std::vector<std::string> values;
        for (const std::string& piece :
             lists && shape != TextShape::Single ? SplitEscaped(component, ',') : std::vector<std::string>{component})
            values.push_back(WithNewlines(UnescapeVCardText(piece, version)));
        text.push_back(std::move(values));
    }
    if (shape == TextShape::List && text.size() > 1) {
        // A list with a stray ';': the ';' was text.
        std::vector<std::string> joined = text.front();
        for (std::size_t i = 1; i < text.size(); ++i) {
            joined.back() += ";" + text[i].front();
            joined.insert(joined.end(), text[i].begin() + 1, text[i].end());
        }
        text = {joined};
    }
    if (shape == TextShape::Single && text.size() > 1) {
        // A 2.1 single text: its ';' are text.
        std::string joined;
        for (std::size_t i = 0; i < text.size(); ++i) joined += (i ? ";" : "") + text[i].front();
        text = {{joined}};
    }
    return text;
}

// Base64 data as written: only the characters of its alphabet. Blanks of
// folding go, and so does anything else, which no decoder would read and
// which would break the data: URI or the line it is written into.
std::string Base64Characters(std::string_view value) {
    std::string out;
    for (const char c : value)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
            c == '=')
            out += c;
    return out;
}

// A media type's two names hold only the characters media type names may
// (letters, digits, ! # $ & - ^ _ . +). Anything else is no media type: it
// would break the parameter or the data: URI it is written into.
bool IsMediaTypeName(std::string_view name) {
    return !name.empty() && name.size() <= 127 && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view("!#$&-^_.+").find(c) != std::string_view::npos;
    });
}

bool IsMediaType(std::string_view type) {
    const std::size_t slash = type.find('/');
    return slash != std::string_view::npos && IsMediaTypeName(type.substr(0, slash)) &&
           IsMediaTypeName(type.substr(slash + 1));
}

// "JPEG" of a 3.0 PHOTO (or 2.1 bare value) as "image/jpeg"; empty when the
// value names no media type.
std::string MediaTypeOf(std::string_view name, std::string_view type) {
    type = text::Trim(type);
    std::string mediaType;
    if (type.find('/') != std::string_view::npos) mediaType = text::Lower(type);
    else mediaType = std::string(name == "SOUND" ? "audio/" : name == "KEY" ? "application/" : "image/") +
                     text::Lower(type);
    return IsMediaType(mediaType) ? mediaType : std::string();
}

bool IsBinaryName(std::string_view name) { return NameIn(name, {"PHOTO", "LOGO", "SOUND", "KEY"}); }

// Letters, digits and '-': what every version allows in a name.
bool IsName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    });
}

// No version allows control characters in a value or parameter value;
// written out, they would break the line for the reader. Tab stays, and so do line breaks
// (a LABEL's), which are written as ^n.
std::string WithoutControls(std::string value) {
    std::erase_if(value, [](char c) {
        return (c >= 0 && c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f;
    });
    return value;
}

// Parameters in the form every version is written from: ENCODING and
// CHARSET gone, 2.1 bare values and comma lists as one TYPE value each.
std::vector<VCardParameter> Normalized(const std::vector<VCardParameter>& parameters) {
    std::vector<VCardParameter> out;
    std::vector<std::string> types;
    for (const VCardParameter& parameter : parameters) {
        if (parameter.name == "ENCODING" || parameter.name == "CHARSET") continue;
        if (!parameter.name.empty() && !IsName(parameter.name)) continue;
        if (parameter.name.empty() || parameter.name == "TYPE") {
            for (const std::string& value : parameter.values) {
                for (const std::string& piece : SplitEscaped(WithoutControls(value), ',')) {
                    const std::string upper = text::Upper(text::Trim(piece));
                    if (parameter.name.empty() &&
                        NameIn(upper, {"QUOTED-PRINTABLE", "BASE64", "8BIT", "7BIT", "B"}))
                        continue;
                    if (parameter.name.empty() && text::StartsWithNoCase(upper, "CHARSET")) continue;
                    const std::string_view type = text::Trim(piece);
                    const bool known = std::any_of(types.begin(), types.end(),
                                                   [&](const std::string& t) { return text::EqualsNoCase(t, type); });
                    if (!type.empty() && !known) types.emplace_back(type);
                }
            }
            continue;
        }
        VCardParameter copy = parameter;
        for (std::string& value : copy.values) value = WithoutControls(std::move(value));
        // A parameter named twice is one parameter with the values of both, each once.
        auto same = std::find_if(out.begin(), out.end(), [&](const VCardParameter& p) { return p.name == copy.name; });
        if (same != out.end()) {
            for (std::string& value : copy.values)
                if (std::find(same->values.begin(), same->values.end(), value) == same->values.end())
                    same->values.push_back(std::move(value));
            continue;
        }
        // 2.1 says VALUE=URL where 3.0 and 4.0 say uri.
        if (copy.name == "VALUE" && !copy.values.empty() && text::EqualsNoCase(copy.values.front(), "URL"))
            copy.values.front() = "uri";
        out.push_back(std::move(copy));
    }
    if (!types.empty()) out.insert(out.begin(), VCardParameter{"TYPE", std::move(types)});
    return out;
}

}  // namespace

std::string CardProperty::Parameter(std::string_view wanted) const {
    for (const VCardParameter& parameter : parameters)
        if (parameter.name == wanted && !parameter.values.empty()) return parameter.values.front();
    return {};
}

bool CardProperty::HasParameter(std::string_view wanted) const {
    return std::any_of(parameters.begin(), parameters.end(),
                       [&](const VCardParameter& parameter) { return parameter.name == wanted; });
}

void CardProperty::RemoveParameter(std::string_view wanted) {
    std::erase_if(parameters, [&](const VCardParameter& parameter) { return parameter.name == wanted; });
}

void CardProperty::SetParameter(std::string_view wanted, std::vector<std::string> values) {
    RemoveParameter(wanted);
    if (!values.empty()) parameters.push_back({std::string(wanted), std::move(values)});
}

std::vector<std::string> CardProperty::Types() const {
    std::vector<std::string> types;
    for (const VCardParameter& parameter : parameters)
        if (parameter.name == "TYPE") types.insert(types.end(), parameter.values.begin(), parameter.values.end());
    return types;
}

bool CardProperty::HasType(std::string_view type) const {
    for (const std::string& value : Types())
        if (text::EqualsNoCase(value, type)) return true;
    return false;
}

void CardProperty::RemoveType(std::string_view type) {
    for (VCardParameter& parameter : parameters)
        if (parameter.name == "TYPE")
            std::erase_if(parameter.values, [&](const std::string& value) { return text::EqualsNoCase(value, type); });
    std::erase_if(parameters,
                  [](const VCardParameter& parameter) { return parameter.name == "TYPE" && parameter.values.empty(); });
}

std::string CardProperty::JoinedText() const {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i) out += ';';
        for (std::size_t j = 0; j < text[i].size(); ++j) out += (j ? "," : "") + text[i][j];
    }
    return out;
}

TextShape ShapeOf(std::string_view name) {
    if (NameIn(name, {"N", "ADR", "ORG", "GENDER"})) return TextShape::Structured;
    if (NameIn(name, {"NICKNAME", "CATEGORIES"})) return TextShape::List;
    if (IsTextProperty(name, VCardVersion::V30)) return TextShape::Single;
    return TextShape::Structured;  // a name no version defines, read as 2.1 writes it
}

bool IsTextProperty(std::string_view name, VCardVersion version) {
    static constexpr std::array<std::string_view, 22> kText{
        "FN",    "N",    "NICKNAME", "ADR",  "LABEL",  "TITLE", "ROLE",        "ORG",  "CATEGORIES", "NOTE", "PRODID",
        "EMAIL", "UID",  "MAILER",   "NAME", "CLASS",  "KIND",  "SORT-STRING", "LANG", "GENDER",     "XML",  "PROFILE"};
    if (std::find(kText.begin(), kText.end(), name) != kText.end()) return true;
    static constexpr std::array<std::string_view, 24> kOther{
        "VERSION", "TEL",    "BDAY",     "ANNIVERSARY", "REV",    "URL",          "PHOTO",    "LOGO",
        "SOUND",   "KEY",    "GEO",      "TZ",          "SOURCE", "IMPP",         "MEMBER",   "RELATED",
        "CALURI",  "FBURL",  "CALADRURI", "AGENT",      "BEGIN",  "CLIENTPIDMAP", "END",      "X-ANNIVERSARY"};
    if (std::find(kOther.begin(), kOther.end(), name) != kOther.end()) return false;
    return version == VCardVersion::V21;
}

KeptCardProperties ReadCardProperties(std::string_view cardText) {
    const std::vector<sync::CardLine> lines = sync::SplitCardLines(cardText);
    KeptCardProperties card;
    std::vector<VCardProperty> parsed;
    bool begun = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto property = VCardProperty::Parse(lines[i].unfolded, i + 1);
        if (!property) continue;
        if (!begun) {
            begun = property->Name() == "BEGIN" && property->ValueIs("VCARD");
            continue;
        }
        if (property->Name() == "END" && property->ValueIs("VCARD")) break;
        if (property->Name() == "BEGIN" || property->Name() == "END") continue;  // a nested card's frame
        if (property->Name() == "VERSION") {
            card.version = VersionFrom(property->RawValue());
            continue;
        }
        parsed.push_back(std::move(*property));
    }
    if (!begun) throw FileFormatError(1, "the text holds no card (no BEGIN:VCARD)");

    ImportedCard notes;  // problems of decoding: the import reported them when the card came in
    for (const VCardProperty& line : parsed) {
        // A name no version allows (blanks, punctuation) is no property but damage.
        if (!IsName(line.Name())) continue;
        CardProperty property;
        if (IsName(line.Group())) property.group = line.Group();
        property.name = line.Name();
        property.parameters = Normalized(line.Parameters());
        const std::string value = WithoutControls(line.DecodedValue(notes));
        if (line.IsBinary()) {
            property.kind = ValueKind::Binary;
            property.raw = Base64Characters(value);
            std::vector<std::string> types = property.Types();
            if (!types.empty() && IsBinaryName(property.name)) {
                property.mediaType = MediaTypeOf(property.name, types.front());
                if (!property.mediaType.empty()) property.RemoveType(types.front());
            }
        } else if (IsBinaryName(property.name) &&
                   text::StartsWithNoCase(text::Trim(value), "data:") &&
                   text::Lower(value.substr(0, value.find(','))).ends_with(";base64")) {
            // A data: URI (4.0's binary form): the data and its media type.
            const std::string_view uri = text::Trim(value);
            const std::size_t comma = uri.find(',');
            const std::string_view head = uri.substr(5, comma - 5);
            property.kind = ValueKind::Binary;
            property.mediaType = text::Lower(head.substr(0, head.find(';')));
            if (property.mediaType == "application/octet-stream" || !IsMediaType(property.mediaType))
                property.mediaType.clear();
            property.raw = Base64Characters(uri.substr(comma + 1));
            property.RemoveParameter("VALUE");
        } else if (IsTextProperty(property.name, card.version)) {
            property.kind = ValueKind::Text;
            property.text = TextOf(property.name, value, card.version);
        } else {
            property.kind = ValueKind::Raw;
            // A decoded quoted-printable value may hold line breaks; 3.0 and 4.0 write them "\n".
            property.raw = line.IsQuotedPrintable() ? WithNewlines(value) : value;
            std::string escaped;
            for (const char c : property.raw) escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
            property.raw = escaped;
        }
        card.properties.push_back(std::move(property));
    }
    return card;
}

}  // namespace orvane::transfer
