#include "sync/PropertyKey.h"

#include <algorithm>
#include <charconv>

#include "transfer/TextTools.h"

namespace orvane::sync {
namespace {
using transfer::CardProperty;
using transfer::ValueKind;
namespace text = transfer::text;

// A component separator and a value separator no text holds.
constexpr char kComponentEnd = '\x1e';
constexpr char kValueEnd = '\x1f';

std::string TextKey(const CardProperty& property, bool namesLeftOut) {
    std::vector<std::string> components;
    for (std::size_t i = 0; i < property.text.size(); ++i) {
        std::string component;
        if (!(namesLeftOut && i < 3))
            for (const std::string& value : property.text[i]) component += std::string(text::Trim(value)) + kValueEnd;
        components.push_back(std::move(component));
    }
    // "Lee;Ann;;;" and "Lee;Ann" are one name.
    while (!components.empty() && (components.back().empty() ||
                                   components.back().find_first_not_of(kValueEnd) == std::string::npos))
        components.pop_back();
    std::string key;
    for (const std::string& component : components) key += component + kComponentEnd;
    return key;
}

// A phone by its digits (and +), a date by its digits (a year-less one
// keeps its "--"): how another writer spells them is no change.
std::string RawKey(std::string_view name, std::string_view raw) {
    raw = text::Trim(raw);
    const bool phone = name == "TEL";
    if (!phone && name != "BDAY" && name != "ANNIVERSARY") return std::string(raw);
    std::string key = !phone && raw.starts_with("--") ? "--" : "";
    for (const char c : raw)
        if ((c >= '0' && c <= '9') || (phone && c == '+')) key += c;
    return key.find_first_of("0123456789") == std::string::npos ? std::string(raw) : key;
}

}  // namespace

std::string ParameterKey(const CardProperty& property) {
    std::vector<std::string> parameters;
    for (const transfer::VCardParameter& parameter : property.parameters) {
        std::vector<std::string> values;
        for (const std::string& value : parameter.values)
            values.push_back(parameter.name == "TYPE" ? text::Lower(text::Trim(value)) : std::string(text::Trim(value)));
        if (parameter.name == "TYPE") {
            std::sort(values.begin(), values.end());
            values.erase(std::unique(values.begin(), values.end()), values.end());
        }
        std::string one = parameter.name + "=";
        for (const std::string& value : values) one += value + kValueEnd;
        parameters.push_back(std::move(one));
    }
    std::sort(parameters.begin(), parameters.end());
    std::string key = text::Lower(property.group) + "." + std::string(CommonName(property.name));
    for (const std::string& parameter : parameters) key += kComponentEnd + parameter;
    return key;
}

std::string PropertyKey(const CardProperty& property, bool namesLeftOut) {
    std::string key = ParameterKey(property) + ":";
    switch (property.kind) {
        case ValueKind::Text: return key + TextKey(property, namesLeftOut);
        case ValueKind::Raw: return key + RawKey(CommonName(property.name), property.raw);
        case ValueKind::Binary: return key + property.mediaType + kValueEnd + property.raw;
    }
    return key;
}

int PreferenceRank(const CardProperty& property) {
    const std::string value = property.Parameter("PREF");
    const std::string_view pref = text::Trim(value);
    int rank = 0;
    const auto [end, error] = std::from_chars(pref.data(), pref.data() + pref.size(), rank);
    if (!pref.empty() && error == std::errc() && end == pref.data() + pref.size() && rank >= 1 && rank <= 100)
        return rank;
    return property.HasType("pref") ? 1 : 101;
}

std::string_view CommonName(std::string_view name) { return name == "X-ANNIVERSARY" ? "ANNIVERSARY" : name; }

std::string DisplayOf(const std::vector<const CardProperty*>& properties) {
    std::vector<std::string> lines;
    for (const CardProperty* property : properties) {
        std::vector<std::string> words;
        switch (property->kind) {
            case ValueKind::Text:
                if (property->name == "N") {
                    // As a name is said: prefix, given, additional, family name, suffix.
                    for (const std::size_t index : {3u, 1u, 2u, 0u, 4u})
                        if (index < property->text.size())
                            words.push_back(text::JoinNonEmpty(property->text[index], " "));
                    lines.push_back(text::JoinNonEmpty(words, " "));
                } else {
                    for (const std::vector<std::string>& component : property->text)
                        words.push_back(text::JoinNonEmpty(component, ", "));
                    lines.push_back(text::JoinNonEmpty(words, ", "));
                }
                break;
            case ValueKind::Raw: lines.push_back(property->raw); break;
            case ValueKind::Binary:
                lines.push_back((property->mediaType.empty() ? std::string("data") : property->mediaType) + ", " +
                                std::to_string(property->raw.size() / 4 * 3) + " bytes");
                break;
        }
    }
    return lines.empty() ? "(none)" : text::JoinNonEmpty(lines, "\n");
}

}  // namespace orvane::sync
