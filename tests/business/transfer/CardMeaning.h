#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sync/CardLines.h"
#include "transfer/CardProperties.h"
#include "transfer/TextTools.h"

// What tests (and the card fuzzer) check of a card written by the kept-card
// writer: the line rules of its version, and its content by meaning.
namespace orvane::test {

// Each broken line rule of a written 3.0 or 4.0 card, one line of text each.
inline std::vector<std::string> FormatProblems(std::string_view card, transfer::VCardVersion version) {
    using transfer::text::Upper;
    std::vector<std::string> problems;
    auto problem = [&](std::string what) { problems.push_back(std::move(what)); };
    if (card.size() < 2 || card.substr(card.size() - 2) != "\r\n") problem("the card does not end with CRLF");
    std::vector<std::string> unfolded;
    for (std::size_t pos = 0; pos < card.size();) {
        std::size_t end = card.find("\r\n", pos);
        if (end == std::string_view::npos) end = card.size();
        const std::string_view line = card.substr(pos, end - pos);
        if (line.find_first_of("\r\n") != std::string_view::npos) problem("a bare CR or LF in: " + std::string(line));
        if (line.size() > 75) problem("a line of " + std::to_string(line.size()) + " octets");
        if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            if (line.size() > 1 && (static_cast<unsigned char>(line[1]) & 0xC0) == 0x80)
                problem("a fold splits a UTF-8 sequence");
            if (unfolded.empty()) problem("the card begins with a continuation");
            else unfolded.back() += line.substr(1);
        } else {
            unfolded.emplace_back(line);
        }
        pos = end + 2;
    }
    const std::string versionLine = version == transfer::VCardVersion::V40 ? "VERSION:4.0" : "VERSION:3.0";
    if (unfolded.size() < 3 || unfolded[0] != "BEGIN:VCARD" || unfolded[1] != versionLine ||
        unfolded.back() != "END:VCARD") {
        problem("not BEGIN:VCARD, " + versionLine + " ... END:VCARD");
        return problems;
    }
    std::map<std::string, int> seen;
    for (std::size_t i = 2; i + 1 < unfolded.size(); ++i) {
        const std::string& line = unfolded[i];
        const std::size_t nameEnd = line.find_first_of(";:");
        if (nameEnd == std::string::npos) {
            problem("a line without a colon: " + line);
            continue;
        }
        std::string name = line.substr(0, nameEnd);
        if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(0, dot + 1);
        if (name != Upper(name) || name.empty()) problem("a name not in upper case: " + line);
        ++seen[name];
        // The parameters: up to the first colon outside quotes, each NAME=value.
        const std::size_t colon = transfer::text::FindOutsideQuotes(line, ":", nameEnd);
        if (colon == std::string::npos) problem("no colon outside quotes: " + line);
        for (std::size_t at = nameEnd; at < colon && line[at] == ';';) {
            const std::size_t next = std::min(transfer::text::FindOutsideQuotes(line, ";:", at + 1), colon);
            const std::string parameter = line.substr(at + 1, next - at - 1);
            const std::size_t equals = parameter.find('=');
            const std::string key = Upper(parameter.substr(0, equals));
            const std::string value = equals == std::string::npos ? "" : Upper(parameter.substr(equals + 1));
            if (equals == std::string::npos || key.empty()) problem("a bare parameter: " + line);
            if (key == "CHARSET") problem("CHARSET in " + line);
            if (key == "ENCODING" && (version == transfer::VCardVersion::V40 || value != "B"))
                problem("ENCODING=" + value + " in " + line);
            at = next;
        }
        if (name == "VERSION" || name == "BEGIN" || name == "END") problem("a second " + name + ": " + line);
        if (version == transfer::VCardVersion::V40 && (name == "PROFILE" || name == "NAME" || name == "MAILER"))
            problem(name + " in a 4.0 card");
    }
    for (const char* required : {"N", "FN", "UID"})
        if (!seen.count(required)) problem(std::string("no ") + required);
    return problems;
}

// One entry per property, in a form that is the same in every version:
// names as 4.0 has them, parameters sorted (TYPE lower case, pref as
// PREF=1), texts unescaped, phones and dates by their digits, binary data
// by its base64 and media type. PROFILE, NAME and MAILER (left out of 4.0
// by design) and empty addresses are not listed; an ADR's LABEL and N's
// SORT-AS are entries of their own.
inline std::vector<std::string> Meaning(std::string_view cardText) {
    using namespace transfer;
    static const std::map<std::string, std::string> kNames = {
        {"X-ADDRESSBOOKSERVER-KIND", "KIND"}, {"X-GENDER", "GENDER"},   {"X-ANNIVERSARY", "ANNIVERSARY"},
        {"X-LANG", "LANG"},                   {"X-CLIENTPIDMAP", "CLIENTPIDMAP"}, {"X-XML", "XML"},
        {"X-RELATED", "RELATED"},             {"X-MEMBER", "MEMBER"},   {"X-CALADRURI", "CALADRURI"},
        {"X-CLASS", "CLASS"},                 {"X-AGENT", "AGENT"}, {"X-SORT-STRING", "SORT-STRING"},
        {"X-LABEL", "LABEL"}};
    auto digits = [](std::string_view s) {
        std::string out;
        for (const char c : s)
            if (c >= '0' && c <= '9') out += c;
        return out;
    };
    // Binary data of a property no version names as binary (a 2.1 NOTE in
    // BASE64) goes into 4.0 as a data: URI, which 4.0 reads as the property's
    // text or URI; a label's text may be such a URI too.
    auto asData = [](const std::string& plain) -> std::optional<std::string> {
        const std::size_t base64 = plain.find(";base64,");
        if (!plain.starts_with("data:") || base64 == std::string::npos) return std::nullopt;
        std::string media = text::Lower(plain.substr(5, base64 - 5));
        if (media == "application/octet-stream") media.clear();
        return "binary " + media + " " + plain.substr(base64 + 8);
    };
    std::vector<std::string> entries;
    for (const CardProperty& property : ReadCardProperties(cardText).properties) {
        std::string name = property.name;
        if (const auto renamed = kNames.find(name); renamed != kNames.end()) name = renamed->second;
        if (name == "PROFILE" || name == "NAME" || name == "MAILER") continue;
        std::vector<std::string> types;
        bool pref = false;
        std::map<std::string, std::vector<std::string>> others;
        std::string label, sortAs;
        for (const VCardParameter& parameter : property.parameters) {
            if (parameter.name == "TYPE") {
                for (const std::string& type : parameter.values)
                    if (text::EqualsNoCase(type, "pref")) pref = true;
                    else types.push_back(text::Lower(type));
            } else if (parameter.name == "PREF" && parameter.values == std::vector<std::string>{"1"}) {
                pref = true;
            } else if (parameter.name == "LABEL" && name == "ADR") {
                label = parameter.values.empty() ? "" : parameter.values.front();
            } else if (parameter.name == "SORT-AS" && name == "N") {
                for (const std::string& value : parameter.values) sortAs += (sortAs.empty() ? "" : ",") + value;
            } else if (parameter.name != "VALUE" && parameter.name != "X-APPLE-OMIT-YEAR") {
                others[parameter.name] = parameter.values;
            }
        }
        std::sort(types.begin(), types.end());
        std::string params;
        for (const std::string& type : types) params += ";TYPE=" + type;
        if (pref) params += ";PREF=1";
        for (const auto& [key, values] : others)
            for (const std::string& value : values) params += ";" + key + "=" + value;
        const std::string group = text::Lower(property.group) + ".";
        if (!label.empty()) {
            std::string typeParams;
            for (const std::string& type : types) typeParams += ";TYPE=" + type;
            entries.push_back(group + "LABEL" + typeParams + ":" + asData(label).value_or(label));
        }
        if (!sortAs.empty()) entries.push_back("SORT-STRING:" + sortAs);
        std::string value;
        const std::string plain = property.kind == ValueKind::Text ? property.JoinedText()
                                                                  : UnescapeVCardText(property.raw, VCardVersion::V30);
        if (property.kind == ValueKind::Binary) {
            value = "binary " + property.mediaType + " " + property.raw;
        } else if (const auto data = asData(plain)) {
            value = *data;
        } else if (name == "TEL") {
            value = digits(property.kind == ValueKind::Text ? property.JoinedText() : property.raw);
        } else if (name == "BDAY" || name == "ANNIVERSARY") {
            value = digits(property.raw);
            const std::string omitted = property.Parameter("X-APPLE-OMIT-YEAR");
            if (!omitted.empty() && value.starts_with(omitted)) value.erase(0, omitted.size());
        } else {
            value = plain;
        }
        // An empty UID is no UID: the writer gives the card one instead.
        if (name == "UID" && text::Trim(value).empty()) continue;
        // A server may drop an ORG's empty last units (Radicale does).
        if (name == "ORG")
            while (value.ends_with(";")) value.pop_back();
        if (name == "ADR" && std::all_of(value.begin(), value.end(), [](char c) { return c == ';' || c == ','; }))
            continue;
        // SORT-STRING is N's SORT-AS in 4.0: its value alone is compared.
        if (name == "SORT-STRING") {
            entries.push_back("SORT-STRING:" + value);
            continue;
        }
        // An empty label says nothing; 4.0 keeps none (an ADR's LABEL parameter).
        if (name == "LABEL" && value.empty()) continue;
        if (name == "LABEL") params = [&] {
            std::string onlyTypes;
            for (const std::string& type : types) onlyTypes += ";TYPE=" + type;
            return onlyTypes;
        }();
        entries.push_back(group + name + params + ":" + value);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The entries of `before` missing from `after` (each counted), and those
// `after` has beyond `before` other than N, FN and UID.
inline std::vector<std::string> MeaningChanges(std::string_view before, std::string_view after) {
    const std::vector<std::string> a = Meaning(before), b = Meaning(after);
    std::vector<std::string> lost, added, changes;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(lost));
    std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(added));
    for (const std::string& entry : lost) changes.push_back("lost: " + entry);
    for (const std::string& entry : added)
        if (!entry.starts_with(".N:") && !entry.starts_with(".FN:") && !entry.starts_with(".UID:"))
            changes.push_back("added: " + entry);
    return changes;
}

}  // namespace orvane::test
