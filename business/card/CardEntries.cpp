#include "card/CardEntries.h"

#include <charconv>

#include "transfer/TextTools.h"

namespace orvane::card::entries {
namespace text = transfer::text;
using transfer::CardProperty;
using transfer::KeptCardProperties;
using transfer::ValueKind;

std::string GroupLabel(const KeptCardProperties& card, const std::string& group) {
    if (group.empty()) return {};
    for (const CardProperty& property : card.properties) {
        if (property.name != "X-ABLABEL" || !text::EqualsNoCase(property.group, group)) continue;
        std::string label = property.kind == ValueKind::Text ? property.JoinedText() : property.raw;
        if (label.starts_with("_$!<") && label.ends_with(">!$_")) label = label.substr(4, label.size() - 8);
        return label;
    }
    return {};
}

EntryLabel KindOf(const KeptCardProperties& card, const CardProperty& property) {
    if (const std::string label = GroupLabel(card, property.group); !label.empty()) return EntryLabel::FromText(label);
    if (property.HasType("fax")) return {EntryKind::Fax, {}};
    if (property.HasType("cell")) return {EntryKind::Mobile, {}};
    if (property.HasType("home")) return {EntryKind::Home, {}};
    if (property.HasType("work")) return {EntryKind::Work, {}};
    return {EntryKind::Other, {}};
}

bool PreferredOf(const CardProperty& property) {
    return property.HasType("pref") || text::Trim(property.Parameter("PREF")) == "1";
}

std::string ValueOf(const CardProperty& property) {
    if (property.kind == ValueKind::Text) return property.JoinedText();
    std::string_view raw = text::Trim(property.raw);
    if (property.name == "TEL" && text::StartsWithNoCase(raw, "tel:")) raw.remove_prefix(4);
    return std::string(raw);
}

CardEntry EntryOf(const KeptCardProperties& card, std::size_t index) {
    const CardProperty& property = card.properties[index];
    return {KindOf(card, property), ValueOf(property), PreferredOf(property), index};
}

std::string Component(const CardProperty& property, std::size_t index, const char* separator) {
    if (property.kind != ValueKind::Text || index >= property.text.size()) return {};
    return text::JoinNonEmpty(property.text[index], separator);
}

PostalAddress AddressOf(const KeptCardProperties& card, std::size_t index) {
    const CardProperty& property = card.properties[index];
    PostalAddress address;
    address.kind = KindOf(card, property);
    address.poBox = Component(property, 0, ", ");
    address.extended = Component(property, 1, ", ");
    address.street = Component(property, 2, ", ");
    address.city = Component(property, 3, ", ");
    address.region = Component(property, 4, ", ");
    address.postalCode = Component(property, 5, ", ");
    address.country = Component(property, 6, ", ");
    address.preferred = PreferredOf(property);
    address.source = index;
    return address;
}

namespace {
bool Number(std::string_view digits, int& value) {
    if (digits.empty()) return false;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return ec == std::errc() && end == digits.data() + digits.size();
}
}  // namespace

std::optional<CardDate> DateOf(const CardProperty& property) {
    std::string value(text::Trim(property.kind == ValueKind::Text ? property.JoinedText() : property.raw));
    if (const std::size_t time = value.find('T'); time != std::string::npos) value.resize(time);
    CardDate date;
    int year = 0;
    std::string monthDay;
    if (value.starts_with("--")) {
        monthDay = value.substr(2);
    } else if (value.size() == 10 && value[4] == '-' && value[7] == '-') {
        if (!Number(std::string_view(value).substr(0, 4), year)) return std::nullopt;
        monthDay = value.substr(5);
        date.year = year;
    } else if (value.size() == 8) {
        if (!Number(std::string_view(value).substr(0, 4), year)) return std::nullopt;
        monthDay = value.substr(4);
        date.year = year;
    } else {
        return std::nullopt;
    }
    if (monthDay.size() == 5 && monthDay[2] == '-') monthDay.erase(2, 1);
    if (monthDay.size() != 4 || !Number(std::string_view(monthDay).substr(0, 2), date.month) ||
        !Number(std::string_view(monthDay).substr(2), date.day))
        return std::nullopt;
    // Apple keeps a date without a year under a year it names.
    const std::string omitted(text::Trim(property.Parameter("X-APPLE-OMIT-YEAR")));
    if (date.year && !omitted.empty() && omitted == std::to_string(*date.year)) date.year.reset();
    return date;
}

}  // namespace orvane::card::entries
