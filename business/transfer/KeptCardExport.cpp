#include "transfer/KeptCardExport.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "sync/CardLines.h"
#include "sync/CardPatch.h"
#include "transfer/TextTools.h"
#include "transfer/VCardWriter.h"

namespace orvane::transfer {
namespace {

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Splits at sep outside double quotes.
std::vector<std::string> SplitOutsideQuotes(std::string_view s, char sep) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (const char c : s) {
        if (c == '"') quoted = !quoted;
        if (c == sep && !quoted) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

// One content line taken apart: [group.]NAME;params:value.
struct Line {
    std::string group;  // with its dot
    std::string name;   // as written
    std::vector<std::pair<std::string, std::string>> params;  // upper-case name (empty: a bare 2.1 value), value
    std::string value;
};

std::optional<Line> Parse(std::string_view unfolded) {
    bool quoted = false;
    std::size_t colon = std::string_view::npos;
    for (std::size_t i = 0; i < unfolded.size(); ++i) {
        if (unfolded[i] == '"') quoted = !quoted;
        if (unfolded[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string_view::npos) return std::nullopt;
    Line line;
    line.value = std::string(unfolded.substr(colon + 1));
    std::vector<std::string> parts = SplitOutsideQuotes(unfolded.substr(0, colon), ';');
    std::string& name = parts[0];
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) {
        line.group = name.substr(0, dot + 1);
        name.erase(0, dot + 1);
    }
    line.name = name;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::size_t eq = parts[i].find('=');
        if (eq == std::string::npos) line.params.emplace_back("", parts[i]);
        else line.params.emplace_back(Upper(text::Trim(parts[i].substr(0, eq))), parts[i].substr(eq + 1));
    }
    return line;
}

std::string Join(const Line& line) {
    std::string out = line.group + line.name;
    for (const auto& [name, value] : line.params) out += ";" + (name.empty() ? value : name + "=" + value);
    return out + ":" + line.value;
}

VCardVersion VersionOf(const std::vector<sync::CardLine>& lines) {
    for (const sync::CardLine& cardLine : lines) {
        const auto line = Parse(cardLine.unfolded);
        if (!line || Upper(line->name) != "VERSION") continue;
        const std::string_view value = text::Trim(line->value);
        if (value == "2.1") return VCardVersion::V21;
        if (value == "4.0") return VCardVersion::V40;
        return VCardVersion::V30;
    }
    return VCardVersion::V30;
}

bool IsTextProperty(const std::string& upperName) {
    static constexpr std::array<std::string_view, 9> kNames{"FN", "N", "ADR", "LABEL", "ORG", "TITLE", "ROLE", "NOTE",
                                                            "NICKNAME"};
    return std::find(kNames.begin(), kNames.end(), upperName) != kNames.end();
}

bool IsSingleText(const std::string& upperName) {
    return upperName == "FN" || upperName == "TITLE" || upperName == "ROLE" || upperName == "NOTE";
}

bool IsBinaryProperty(const std::string& upperName) {
    return upperName == "PHOTO" || upperName == "LOGO" || upperName == "SOUND" || upperName == "KEY";
}

// A 2.1 (or decoded) text value in 3.0/4.0 form: line breaks as "\n" and,
// where the version reads them as separators, commas escaped.
std::string EscapeForNewer(std::string_view value, bool commas) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            out += c;
            out += value[++i];
        } else if (c == '\r') {
            if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
            out += "\\n";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == ',' && commas) {
            out += "\\,";
        } else {
            out += c;
        }
    }
    return out;
}

// Escapes the semicolons a 4.0 single text leaves bare, as 3.0 wants them.
std::string EscapeSemicolons(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            out += value[i];
            out += value[++i];
        } else if (value[i] == ';') {
            out += "\\;";
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string WithoutBlanks(std::string_view value) {
    std::string out;
    for (const char c : value)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += c;
    return out;
}

std::string MediaType(const std::string& upperName, const std::string& type) {
    if (type.empty()) return "application/octet-stream";
    if (type.find('/') != std::string::npos) return Lower(type);
    const std::string kind = upperName == "SOUND" ? "audio/" : upperName == "KEY" ? "application/" : "image/";
    return kind + Lower(type);
}

// "tel:+1-555-0100;ext=12" -> "+1-555-0100 ext. 12".
std::string PhoneFromTelUri(std::string_view uri) {
    uri = text::Trim(uri);
    if (text::StartsWithNoCase(uri, "tel:")) uri.remove_prefix(4);
    const std::size_t semicolon = uri.find(';');
    std::string phone(uri.substr(0, semicolon));
    if (semicolon == std::string_view::npos) return phone;
    for (const std::string& part : SplitOutsideQuotes(uri.substr(semicolon + 1), ';'))
        if (text::StartsWithNoCase(part, "ext=")) phone += " ext. " + part.substr(4);
    return phone;
}

// One property written for the other version.
std::string ConvertLine(const std::string& unfolded, Line line, VCardVersion from, VCardVersion to) {
    const std::string name = Upper(line.name);
    if (name == "VERSION") {
        line.params.clear();
        line.value = to == VCardVersion::V40 ? "4.0" : "3.0";
        return Join(line);
    }
    bool quotedPrintable = false, binary = false, pref = false;
    std::vector<std::string> types;
    std::vector<std::pair<std::string, std::string>> kept;
    std::string valueParam;
    for (auto& [pname, pvalue] : line.params) {
        const std::string upperValue = Upper(text::Trim(pvalue));
        if (pname.empty() || pname == "TYPE") {
            // A bare 2.1 value is a type or an encoding.
            if (pname.empty() && upperValue == "QUOTED-PRINTABLE") quotedPrintable = true;
            else if (pname.empty() && upperValue == "BASE64") binary = true;
            else if (pname.empty() && (upperValue == "8BIT" || upperValue == "7BIT")) continue;
            else
                for (const std::string& type : SplitOutsideQuotes(pvalue, ','))
                    if (Upper(text::Trim(type)) == "PREF") pref = true;
                    else types.push_back(type);
        } else if (pname == "ENCODING") {
            if (upperValue == "QUOTED-PRINTABLE") quotedPrintable = true;
            else if (upperValue == "BASE64" || upperValue == "B") binary = true;
        } else if (pname == "CHARSET") {
            continue;  // the text is UTF-8 now
        } else if (pname == "PREF") {
            pref = true;
        } else if (pname == "VALUE") {
            valueParam = pvalue;
        } else if (pname == "MEDIATYPE" && to == VCardVersion::V30) {
            continue;
        } else {
            kept.emplace_back(pname, pvalue);
        }
    }
    std::string value = line.value;
    if (quotedPrintable) {
        ImportedCard ignored;
        const auto property = VCardProperty::Parse(unfolded, 0);
        if (property) value = property->DecodedValue(ignored);
    }
    if (from == VCardVersion::V21 && !binary && IsTextProperty(name)) value = EscapeForNewer(value, true);
    else if (quotedPrintable) value = EscapeForNewer(value, false);

    // A 4.0 data: URI of a binary property.
    std::string mediaType;
    if (from == VCardVersion::V40 && to == VCardVersion::V30 && IsBinaryProperty(name) &&
        text::StartsWithNoCase(value, "data:")) {
        const std::size_t comma = value.find(',');
        const std::string head = value.substr(5, comma == std::string::npos ? std::string::npos : comma - 5);
        if (comma != std::string::npos && Lower(head).find(";base64") != std::string::npos) {
            mediaType = head.substr(0, head.find(';'));
            value = value.substr(comma + 1);
            binary = true;
            valueParam.clear();
        }
    }
    // A 4.0 photo (or logo, sound, key) is a URI unless said otherwise; 3.0
    // reads such a value as binary data unless told it is a URI.
    if (from == VCardVersion::V40 && to == VCardVersion::V30 && IsBinaryProperty(name) && !binary &&
        valueParam.empty())
        valueParam = "uri";
    if (from == VCardVersion::V40 && to == VCardVersion::V30 && name == "TEL" &&
        (Upper(valueParam) == "URI" || text::StartsWithNoCase(text::Trim(value), "tel:"))) {
        value = PhoneFromTelUri(value);
        valueParam.clear();
    }
    if (from == VCardVersion::V40 && to == VCardVersion::V30 && IsSingleText(name)) value = EscapeSemicolons(value);

    line.params.clear();
    if (binary && to == VCardVersion::V40) {
        // The image type travels in the URI.
        std::string type = mediaType;
        if (type.empty() && !types.empty() && IsBinaryProperty(name)) {
            type = text::Trim(types.front());
            types.erase(types.begin());
        }
        value = "data:" + MediaType(name, type) + ";base64," + WithoutBlanks(value);
        valueParam.clear();
    } else if (binary) {
        line.params.emplace_back("ENCODING", "b");
        if (!mediaType.empty()) {
            const std::size_t slash = mediaType.find('/');
            types.insert(types.begin(), Upper(slash == std::string::npos ? mediaType : mediaType.substr(slash + 1)));
        }
        value = WithoutBlanks(value);
    }
    if (to == VCardVersion::V30 && pref) types.push_back("pref");
    if (!types.empty()) {
        std::string joined;
        for (const std::string& type : types) joined += (joined.empty() ? "" : ",") + type;
        line.params.emplace_back("TYPE", joined);
    }
    if (to == VCardVersion::V40 && pref) line.params.emplace_back("PREF", "1");
    if (!valueParam.empty()) line.params.emplace_back("VALUE", valueParam);
    line.params.insert(line.params.end(), kept.begin(), kept.end());
    line.value = value;
    return Join(line);
}

}  // namespace

std::string ConvertCardVersion(std::string_view card, VCardVersion to) {
    const std::vector<sync::CardLine> lines = sync::SplitCardLines(card);
    const VCardVersion from = VersionOf(lines);
    if (from == to) return std::string(card);
    std::string out;
    out.reserve(card.size() + card.size() / 8);
    for (const sync::CardLine& cardLine : lines) {
        if (text::Trim(cardLine.unfolded).empty()) continue;  // a 2.1 binary value's closing blank line
        const auto line = Parse(cardLine.unfolded);
        if (!line) {
            out += FoldContentLine(cardLine.unfolded);
            continue;
        }
        const std::string name = Upper(line->name);
        if (name == "BEGIN" || name == "END") out += FoldContentLine(cardLine.unfolded);
        else out += FoldContentLine(ConvertLine(cardLine.unfolded, *line, from, to));
    }
    return out;
}

std::string ExportedCard(std::string_view keptCard, const AddressFields& fields, VCardVersion version) {
    std::string card = ConvertCardVersion(sync::PatchCard(keptCard, fields), version);
    // A card kept from the end of a file may lack its last line end.
    if (card.empty() || card.back() != '\n') card += sync::LineEndOf(card);
    return card;
}

}  // namespace orvane::transfer
