#include "transfer/CardWriter.h"

#include <algorithm>

#include "sync/CardLines.h"
#include "transfer/CardConversion.h"
#include "transfer/TextTools.h"
#include "transfer/VCardWriter.h"

namespace orvane::transfer {
namespace {

// 3.0 and 4.0 text escapes; `semicolons` where ';' would separate components.
std::string Escape(std::string_view value, bool commas, bool semicolons) {
    std::string out;
    out.reserve(value.size() + 8);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\') out += "\\\\";
        else if (c == ',' && commas) out += "\\,";
        else if (c == ';' && semicolons) out += "\\;";
        else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
            out += "\\n";
        } else out += c;
    }
    return out;
}

std::string TextValue(const CardProperty& property, VCardVersion to) {
    const TextShape shape = ShapeOf(property.name);
    if (shape == TextShape::Single) {
        std::string joined = property.JoinedText();
        // 3.0 escapes ';' in every text; 4.0 only where it separates components.
        return Escape(joined, true, to == VCardVersion::V30);
    }
    std::string out;
    for (std::size_t i = 0; i < property.text.size(); ++i) {
        if (i) out += ';';
        for (std::size_t j = 0; j < property.text[i].size(); ++j)
            out += (j ? "," : "") + Escape(property.text[i][j], true, true);
    }
    return out;
}

// A parameter value: RFC 6868 caret escapes, quoted when it holds : ; or ,
// or begins or ends with a blank.
std::string ParameterValue(std::string_view value) {
    std::string out;
    bool quote = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '^') out += "^^";
        else if (c == '"') out += "^'";
        else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
            out += "^n";
        } else {
            quote = quote || c == ':' || c == ';' || c == ',';
            out += c;
        }
    }
    // Blanks at either end are read as part of the value only inside quotes.
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    quote = quote || (!value.empty() && (blank(value.front()) || blank(value.back())));
    return quote ? "\"" + out + "\"" : out;
}

// 3.0's TYPE for a media type: "JPEG" for a PHOTO's image/jpeg, the whole
// media type where the kind is not the one the property implies.
std::string MediaTypeParameter(std::string_view name, std::string_view mediaType) {
    const std::string_view kind = name == "SOUND" ? "audio/" : name == "KEY" ? "application/" : "image/";
    if (!mediaType.starts_with(kind) || mediaType.size() == kind.size()) return std::string(mediaType);
    return text::Upper(mediaType.substr(kind.size()));
}

std::string Line(const CardProperty& property, VCardVersion to) {
    std::string line = property.group.empty() ? std::string() : property.group + ".";
    line += property.name;
    std::vector<VCardParameter> parameters = property.parameters;
    std::string value;
    switch (property.kind) {
        case ValueKind::Text: value = TextValue(property, to); break;
        case ValueKind::Raw: value = property.raw; break;
        case ValueKind::Binary:
            if (to == VCardVersion::V40) {
                value = "data:" + (property.mediaType.empty() ? std::string("application/octet-stream")
                                                                : property.mediaType) +
                        ";base64," + property.raw;
            } else {
                parameters.insert(parameters.begin(), {"ENCODING", {"b"}});
                if (!property.mediaType.empty()) {
                    auto type = std::find_if(parameters.begin(), parameters.end(),
                                             [](const VCardParameter& p) { return p.name == "TYPE"; });
                    if (type == parameters.end()) parameters.insert(parameters.begin() + 1, {"TYPE", {}});
                    type = std::find_if(parameters.begin(), parameters.end(),
                                        [](const VCardParameter& p) { return p.name == "TYPE"; });
                    type->values.insert(type->values.begin(), MediaTypeParameter(property.name, property.mediaType));
                }
                value = property.raw;
            }
            break;
    }
    for (const VCardParameter& parameter : parameters) {
        line += ";" + text::Upper(parameter.name) + "=";
        for (std::size_t i = 0; i < parameter.values.size(); ++i)
            line += (i ? "," : "") + ParameterValue(parameter.values[i]);
    }
    return line + ":" + value;
}

const CardProperty* Find(const KeptCardProperties& card, std::string_view name) {
    for (const CardProperty& property : card.properties)
        if (property.name == name) return &property;
    return nullptr;
}

CardProperty TextProperty(std::string name, std::vector<std::vector<std::string>> text) {
    CardProperty property;
    property.name = std::move(name);
    property.kind = ValueKind::Text;
    property.text = std::move(text);
    return property;
}

// The full name N spells: prefix, given, additional names, family name, suffix.
std::string FullNameOf(const CardProperty& n) {
    std::vector<std::string> words;
    for (const std::size_t index : {3u, 1u, 2u, 0u, 4u})
        if (index < n.text.size())
            for (const std::string& word : n.text[index])
                if (!text::Trim(word).empty()) words.emplace_back(text::Trim(word));
    return text::JoinNonEmpty(words, " ");
}

void AddMissing(KeptCardProperties& card, const AddressFields& fields, const std::string& uid) {
    std::vector<CardProperty> front;
    const CardProperty* n = Find(card, "N");
    CardProperty newN;
    if (!n || n->kind != ValueKind::Text) {
        newN = TextProperty("N", {{fields[kLastName]}, {fields[kFirstName]}, {""}, {""}, {""}});
        n = &newN;
    }
    if (!Find(card, "FN")) {
        std::string full = FullNameOf(*n);
        if (full.empty())
            if (const CardProperty* org = Find(card, "ORG"); org && org->kind == ValueKind::Text)
                full = org->text.empty() || org->text.front().empty() ? "" : org->text.front().front();
        if (full.empty())
            if (const CardProperty* email = Find(card, "EMAIL"); email && email->kind == ValueKind::Text)
                full = email->JoinedText();
        front.push_back(TextProperty("FN", {{full}}));
    }
    if (n == &newN) front.push_back(std::move(newN));
    card.properties.insert(card.properties.begin(), front.begin(), front.end());
    // An empty UID is none: the card keeps its own where it has one, else gets ours.
    std::erase_if(card.properties, [](const CardProperty& p) {
        return p.name == "UID" && text::Trim(p.kind == ValueKind::Text ? p.JoinedText() : p.raw).empty();
    });
    if (!Find(card, "UID")) card.properties.push_back(TextProperty("UID", {{uid}}));
}

}  // namespace

std::string WriteCardProperties(const KeptCardProperties& card, VCardVersion to) {
    std::string out = "BEGIN:VCARD\r\n";
    out += to == VCardVersion::V40 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";
    for (const CardProperty& property : card.properties) out += FoldContentLine(Line(property, to));
    out += "END:VCARD\r\n";
    return out;
}

std::string WriteKeptCard(std::string_view cardText, VCardVersion to, const AddressFields& fields,
                          const std::string& uid) {
    KeptCardProperties card = ReadCardProperties(cardText);
    AddMissing(card, fields, uid);
    ConvertProperties(card, to);
    return WriteCardProperties(card, to);
}

VCardVersion CardVersionOf(std::string_view cardText) { return ReadCardProperties(cardText).version; }

}  // namespace orvane::transfer
