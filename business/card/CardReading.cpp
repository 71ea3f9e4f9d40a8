#include <algorithm>
#include <array>
#include <cstdio>

#include "card/Base64.h"
#include "card/CardEntries.h"
#include "card/CardModel.h"
#include "sync/NewCard.h"
#include "transfer/TextTools.h"
#include "transfer/VCardReader.h"

namespace orvane::card {
namespace text = transfer::text;
using transfer::CardProperty;
using transfer::ValueKind;

namespace {

constexpr std::array<std::string_view, 5> kKindWords{"Home", "Work", "Mobile", "Fax", "Other"};

// Readable names of the properties shown under "More".
struct ReadableName {
    std::string_view property;
    std::string_view name;
};
constexpr ReadableName kReadableNames[] = {
    {"FN", "Full name"},           {"UID", "Unique ID"},
    {"REV", "Last changed"},       {"PRODID", "Made by"},
    {"GENDER", "Gender"},          {"X-GENDER", "Gender"},
    {"ROLE", "Role"},              {"LABEL", "Address label"},
    {"GEO", "Location"},           {"TZ", "Time zone"},
    {"IMPP", "Instant messaging"}, {"X-SOCIALPROFILE", "Social profile"},
    {"KIND", "Kind"},              {"X-ADDRESSBOOKSERVER-KIND", "Kind"},
    {"LANG", "Language"},          {"RELATED", "Related"},
    {"X-ABRELATEDNAMES", "Related name"}, {"MEMBER", "Member"},
    {"SOURCE", "Source"},          {"CLASS", "Access class"},
    {"SORT-STRING", "Sort as"},    {"X-ABLABEL", "Label"},
    {"X-ABDATE", "Date"},          {"LOGO", "Logo"},
    {"SOUND", "Sound"},            {"KEY", "Public key"},
    {"PHOTO", "Photo"},            {"CALURI", "Calendar"},
    {"CALADRURI", "Calendar requests"}, {"FBURL", "Free/busy times"},
    {"X-PHONETIC-FIRST-NAME", "Phonetic first name"}, {"X-PHONETIC-LAST-NAME", "Phonetic last name"},
    {"X-MAIDENNAME", "Maiden name"}, {"NAME", "Source name"},
    {"MAILER", "Mail program"},    {"AGENT", "Agent"},
    {"NOTE", "Notes"},             {"BDAY", "Birthday"},
    {"ANNIVERSARY", "Anniversary"}, {"X-ANNIVERSARY", "Anniversary"},
    {"NICKNAME", "Nickname"},      {"ORG", "Organisation"},
    {"TITLE", "Job title"},        {"CATEGORIES", "Groups"},
    {"N", "Name"},                 {"CLIENTPIDMAP", "Client ID map"},
    {"XML", "XML"},                {"X-ABADR", "Address format"},
};

std::string ReadableNameOf(const std::string& property) {
    for (const ReadableName& known : kReadableNames)
        if (known.property == property) return std::string(known.name);
    return property;
}

std::string OtherValue(const CardProperty& property) {
    switch (property.kind) {
        case ValueKind::Text: return property.JoinedText();
        case ValueKind::Raw: return property.raw;
        case ValueKind::Binary: break;
    }
    const std::size_t bytes = property.raw.size() / 4 * 3;
    return "(" + (property.mediaType.empty() ? std::string("binary data") : property.mediaType) + ", about " +
           std::to_string(bytes) + " bytes)";
}

bool Taken(Source& slot, std::size_t index) {
    if (slot) return false;
    slot = index;
    return true;
}

}  // namespace

std::string EntryLabel::Text() const {
    return kind == EntryKind::Label ? label : std::string(kKindWords[static_cast<std::size_t>(kind)]);
}

EntryLabel EntryLabel::FromText(const std::string& words) {
    const std::string_view trimmed = text::Trim(words);
    for (std::size_t i = 0; i < kKindWords.size(); ++i)
        if (text::EqualsNoCase(trimmed, kKindWords[i])) return {static_cast<EntryKind>(i), {}};
    if (text::EqualsNoCase(trimmed, "cell") || text::EqualsNoCase(trimmed, "iPhone")) return {EntryKind::Mobile, {}};
    if (trimmed.empty()) return {EntryKind::Other, {}};
    return {EntryKind::Label, std::string(trimmed)};
}

std::string CardDate::Text() const {
    char buffer[16];
    if (year) std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", *year, month, day);
    else std::snprintf(buffer, sizeof buffer, "%02d-%02d", month, day);
    return buffer;
}

CardModel ModelOf(transfer::KeptCardProperties card) {
    CardModel model;
    SingleSources& at = model.sources;
    std::vector<bool> modelledAt(card.properties.size());
    for (std::size_t i = 0; i < card.properties.size(); ++i) {
        const CardProperty& property = card.properties[i];
        const std::string& name = property.name;
        const bool text = property.kind == ValueKind::Text;
        bool modelled = true;
        if (name == "EMAIL" && text) model.emails.push_back(entries::EntryOf(card, i));
        else if (name == "TEL" && property.kind != ValueKind::Binary) model.phones.push_back(entries::EntryOf(card, i));
        else if (name == "URL" && property.kind != ValueKind::Binary) model.webSites.push_back(entries::EntryOf(card, i));
        else if (name == "ADR" && text) model.addresses.push_back(entries::AddressOf(card, i));
        else if (name == "N" && text && Taken(at.n, i)) {
            model.last = entries::Component(property, 0);
            model.first = entries::Component(property, 1);
            model.middle = entries::Component(property, 2);
            model.prefix = entries::Component(property, 3);
            model.suffix = entries::Component(property, 4);
        } else if (name == "NICKNAME" && text && Taken(at.nickname, i)) model.nickname = entries::Component(property, 0, ", ");
        else if (name == "ORG" && text && Taken(at.organisation, i)) model.organisation = entries::Component(property, 0);
        else if (name == "TITLE" && text && Taken(at.jobTitle, i)) model.jobTitle = property.JoinedText();
        else if (name == "NOTE" && text && Taken(at.notes, i)) model.notes = property.JoinedText();
        else if (name == "CATEGORIES" && text && Taken(at.groups, i)) {
            for (const auto& component : property.text)
                for (const std::string& group : component)
                    if (!text::Trim(group).empty()) model.groups.emplace_back(text::Trim(group));
        } else if (name == "BDAY" && !at.birthday && entries::DateOf(property)) {
            at.birthday = i;
            model.birthday = entries::DateOf(property);
        } else if ((name == "ANNIVERSARY" || name == "X-ANNIVERSARY") && !at.anniversary && entries::DateOf(property)) {
            at.anniversary = i;
            model.anniversary = entries::DateOf(property);
        } else if (name == "PHOTO" && property.kind == ValueKind::Binary && Taken(at.photo, i)) {
            model.photo = DecodeBase64(property.raw);
            model.photoMediaType = property.mediaType;
        } else {
            modelled = false;
        }
        modelledAt[i] = modelled;
        if (name == "FN" && !at.fn) at.fn = i;
    }
    for (std::size_t i = 0; i < card.properties.size(); ++i) {
        const CardProperty& property = card.properties[i];
        if (modelledAt[i]) continue;
        // A group's label is shown with the value it names.
        if (property.name == "X-ABLABEL" && !property.group.empty()) continue;
        std::string name = ReadableNameOf(property.name);
        if (const std::string label = entries::GroupLabel(card, property.group); !label.empty())
            name += " (" + label + ")";
        model.more.push_back({std::move(name), OtherValue(property)});
    }
    model.card = std::move(card);
    return model;
}

CardModel ReadCardModel(std::string_view cardText) { return ModelOf(transfer::ReadCardProperties(cardText)); }

std::string PlainCard(const transfer::AddressFields& fields, const std::string& uid) {
    return sync::NewCardText(fields, uid);
}

transfer::AddressFields FieldsOfCard(const std::string& cardText) {
    transfer::VCardReader reader(cardText);
    transfer::ImportedCard card;
    if (!reader.Next(card)) return {};
    return card.fields;
}

}  // namespace orvane::card
