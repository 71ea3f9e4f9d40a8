#include "transfer/VCardProperty.h"

#include <charconv>

#include "core/TextFile.h"
#include "transfer/TextTools.h"

namespace orvane::transfer {
namespace {

// Parameter values: quotes removed, RFC 6868 caret escapes undone.
std::string ParameterValue(std::string_view raw) {
    raw = text::Trim(raw);
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') raw = raw.substr(1, raw.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '^' && i + 1 < raw.size()) {
            const char next = raw[i + 1];
            if (next == 'n' || next == 'N') { out += '\n'; ++i; continue; }
            if (next == '^') { out += '^'; ++i; continue; }
            if (next == '\'') { out += '"'; ++i; continue; }
        }
        out += raw[i];
    }
    return out;
}

VCardParameter ParseParameter(std::string_view raw) {
    VCardParameter parameter;
    const std::size_t equals = text::FindOutsideQuotes(raw, "=");
    std::string_view values = raw;
    if (equals != std::string_view::npos) {
        parameter.name = text::Upper(text::Trim(raw.substr(0, equals)));
        values = raw.substr(equals + 1);
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text::FindOutsideQuotes(values, ",", start);
        parameter.values.push_back(ParameterValue(values.substr(start, comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return parameter;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "=C3=A9" to its bytes; a stray "=" stays as it is.
std::string DecodeQuotedPrintable(std::string_view raw, bool& damaged) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '=') {
            const int high = i + 2 < raw.size() ? HexDigit(raw[i + 1]) : -1;
            const int low = i + 2 < raw.size() ? HexDigit(raw[i + 2]) : -1;
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
            damaged = true;
        }
        out += raw[i];
    }
    return out;
}

bool IsSingleByteCharset(std::string_view charset) {
    for (std::string_view known : {"ISO-8859-1", "ISO-8859-15", "ISO8859-1", "LATIN1", "WINDOWS-1252", "CP1252",
                                    "US-ASCII", "ASCII"})
        if (text::EqualsNoCase(charset, known)) return true;
    return false;
}

}  // namespace

std::optional<VCardProperty> VCardProperty::Parse(std::string_view line, std::size_t number) {
    const std::size_t nameEnd = line.find_first_of(";:");
    if (nameEnd == std::string_view::npos) return std::nullopt;
    std::size_t colon = line[nameEnd] == ':' ? nameEnd : text::FindOutsideQuotes(line, ":", nameEnd);
    // An unbalanced quote in the parameters: fall back to the first colon.
    if (colon == std::string_view::npos) colon = line.find(':', nameEnd);
    if (colon == std::string_view::npos) return std::nullopt;

    VCardProperty property;
    property.line_ = number;
    std::string_view name = text::Trim(line.substr(0, nameEnd));
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
        property.group_ = std::string(name.substr(0, dot));
        name = name.substr(dot + 1);
    }
    property.name_ = text::Upper(name);
    if (line[nameEnd] == ';') {
        const std::string_view parameters = line.substr(nameEnd + 1, colon - nameEnd - 1);
        std::size_t start = 0;
        while (start <= parameters.size()) {
            std::size_t end = text::FindOutsideQuotes(parameters, ";", start);
            if (end == std::string_view::npos) end = parameters.size();
            const std::string_view raw = parameters.substr(start, end - start);
            if (!text::Trim(raw).empty()) property.parameters_.push_back(ParseParameter(raw));
            start = end + 1;
        }
    }
    property.value_ = std::string(line.substr(colon + 1));
    return property;
}

bool VCardProperty::ValueIs(std::string_view word) const { return text::EqualsNoCase(text::Trim(value_), word); }

bool VCardProperty::HasType(std::string_view type) const {
    for (const VCardParameter& parameter : parameters_) {
        if (!parameter.name.empty() && parameter.name != "TYPE") continue;
        for (const std::string& value : parameter.values) {
            // TYPE="work,voice" (quoted list) counts like TYPE=work,voice.
            std::size_t start = 0;
            while (true) {
                const std::size_t comma = value.find(',', start);
                if (text::EqualsNoCase(text::Trim(std::string_view(value).substr(start, comma - start)), type))
                    return true;
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        }
    }
    return false;
}

std::optional<std::string> VCardProperty::Parameter(std::string_view name) const {
    for (const VCardParameter& parameter : parameters_)
        if (text::EqualsNoCase(parameter.name, name) && !parameter.values.empty()) return parameter.values.front();
    return std::nullopt;
}

int VCardProperty::PreferenceRank() const {
    if (const auto pref = Parameter("PREF")) {
        int rank = 0;
        const std::string_view digits = text::Trim(*pref);
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), rank);
        if (ec == std::errc() && end == digits.data() + digits.size() && rank >= 1 && rank <= 100) return rank;
    }
    return HasType("PREF") ? 1 : 101;
}

bool VCardProperty::IsQuotedPrintable() const {
    const auto encoding = Parameter("ENCODING");
    return (encoding && text::EqualsNoCase(*encoding, "QUOTED-PRINTABLE")) || HasType("QUOTED-PRINTABLE");
}

bool VCardProperty::IsBinary() const {
    const auto encoding = Parameter("ENCODING");
    return (encoding && (text::EqualsNoCase(*encoding, "B") || text::EqualsNoCase(*encoding, "BASE64"))) ||
           HasType("BASE64");
}

bool VCardProperty::IsUri(VCardVersion version) const {
    if (const auto type = Parameter("VALUE")) return text::EqualsNoCase(*type, "uri");
    return version == VCardVersion::V40 && text::StartsWithNoCase(text::Trim(value_), "tel:");
}

std::string VCardProperty::DecodedValue(ImportedCard& card) const {
    if (!IsQuotedPrintable()) return value_;
    bool damaged = false;
    std::string bytes = DecodeQuotedPrintable(value_, damaged);
    if (damaged)
        card.problems.push_back({line_, "damaged quoted-printable text in " + name_ + "; the stray '=' was kept"});
    const auto charset = Parameter("CHARSET");
    if (charset && IsSingleByteCharset(*charset)) return DecodeWindows1252(bytes);
    if (charset && !text::EqualsNoCase(*charset, "UTF-8"))
        card.problems.push_back({line_, "character set " + *charset + " of " + name_ +
                                            " is not supported; read as UTF-8 or Windows-1252"});
    return DecodeText(std::move(bytes));
}

std::string VCardProperty::Text(VCardVersion version, ImportedCard& card) const {
    return UnescapeVCardText(DecodedValue(card), version);
}

std::vector<std::vector<std::string>> VCardProperty::Components(VCardVersion version, ImportedCard& card) const {
    const std::string value = DecodedValue(card);
    std::vector<std::vector<std::string>> components(1);
    std::string piece;
    auto endValue = [&] {
        components.back().push_back(UnescapeVCardText(piece, version));
        piece.clear();
    };
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            piece += c;
            piece += value[++i];
        } else if (c == ';') {
            endValue();
            components.emplace_back();
        } else if (c == ',' && version != VCardVersion::V21) {
            endValue();
        } else {
            piece += c;
        }
    }
    endValue();
    return components;
}

std::string UnescapeVCardText(std::string_view text, VCardVersion version) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == '\\' || next == ';' || next == ',') {
            out += next;
            ++i;
        } else if (version != VCardVersion::V21 && (next == 'n' || next == 'N')) {
            out += '\n';
            ++i;
        } else if (version != VCardVersion::V21 && next == ':') {
            out += ':';
            ++i;
        } else {
            out += '\\';  // not an escape: the backslash is text
        }
    }
    return out;
}

// Quoted-printable only where a parameter says so: ENCODING=QUOTED-PRINTABLE
// or 2.1's bare QUOTED-PRINTABLE. The words inside another parameter's value
// do not make a line ending in '=' go on into the next.
bool IsQuotedPrintableLine(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string head = text::Upper(line.substr(0, colon));
    std::size_t start = head.find(';');
    while (start != std::string::npos) {
        const std::size_t end = head.find(';', start + 1);
        std::string_view parameter = text::Trim(std::string_view(head).substr(start + 1, end - start - 1));
        if (parameter.starts_with("ENCODING")) {
            parameter.remove_prefix(8);
            parameter = text::Trim(parameter);
            if (parameter.starts_with('=')) parameter = text::Trim(parameter.substr(1));
        }
        if (parameter == "QUOTED-PRINTABLE" || parameter == "\"QUOTED-PRINTABLE\"") return true;
        start = end;
    }
    return false;
}

}  // namespace orvane::transfer
