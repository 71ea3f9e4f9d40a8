#include "AddressWords.h"

#include <algorithm>

#include "core/SearchText.h"
#include "transfer/CardProperties.h"
#include "transfer/FileFormatError.h"

namespace orvane::find {
namespace {

void Add(std::vector<FieldValue>& values, FindField field, std::string value) {
    if (value.find_first_not_of(" \t\r\n") == std::string::npos) return;
    values.push_back({field, std::move(value)});
}

std::string Component(const transfer::CardProperty& p, std::size_t index) {
    if (index >= p.text.size()) return {};
    std::string joined;
    for (const std::string& v : p.text[index]) joined += (joined.empty() ? "" : " ") + v;
    return joined;
}

void AddCardValues(std::vector<FieldValue>& values, const std::string& card) {
    transfer::KeptCardProperties kept;
    try {
        kept = transfer::ReadCardProperties(card);
    } catch (const transfer::FileFormatError&) {
        return;
    }
    for (const transfer::CardProperty& p : kept.properties) {
        if (p.kind == transfer::ValueKind::Binary) continue;
        const std::string text = p.kind == transfer::ValueKind::Text ? p.JoinedText() : p.raw;
        if (p.name == "FN") Add(values, FindField::Name, text);
        else if (p.name == "N") {
            std::string name;
            for (std::size_t i = 0; i < p.text.size(); ++i) name += (name.empty() ? "" : " ") + Component(p, i);
            Add(values, FindField::Name, name);
        } else if (p.name == "NICKNAME") Add(values, FindField::Nickname, text);
        else if (p.name == "ADR") {
            Add(values, FindField::Street, Component(p, 0) + " " + Component(p, 1) + " " + Component(p, 2));
            Add(values, FindField::City, Component(p, 3));
            Add(values, FindField::Region, Component(p, 4));
            Add(values, FindField::PostalCode, Component(p, 5));
            Add(values, FindField::Country, Component(p, 6));
        } else if (p.name == "TEL") Add(values, FindField::Phone, text);
        else if (p.name == "EMAIL") Add(values, FindField::Email, text);
        else if (p.name == "ORG") Add(values, FindField::Organisation, text);
        else if (p.name == "TITLE") Add(values, FindField::Title, text);
        else if (p.name == "NOTE") Add(values, FindField::Note, text);
        else if (p.name == "CATEGORIES") Add(values, FindField::Group, text);
        else if (p.name == "URL") Add(values, FindField::WebSite, text);
    }
}

}  // namespace

std::string_view Label(FindField f) {
    switch (f) {
        case FindField::FirstName: return "first name";
        case FindField::LastName: return "last name";
        case FindField::Name: return "name";
        case FindField::Nickname: return "nickname";
        case FindField::Street: return "street";
        case FindField::City: return "city";
        case FindField::Region: return "region";
        case FindField::PostalCode: return "postal code";
        case FindField::Country: return "country";
        case FindField::Phone: return "phone";
        case FindField::Email: return "e-mail";
        case FindField::Organisation: return "organisation";
        case FindField::Title: return "title";
        case FindField::Note: return "note";
        case FindField::Group: return "group";
        case FindField::WebSite: return "web site";
    }
    return "field";
}

std::string DigitsOf(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9') digits += c;
    return digits;
}

std::vector<FieldValue> SearchableValues(const FindSource& address) {
    static constexpr FindField kColumns[] = {FindField::FirstName, FindField::LastName, FindField::Street,
                                             FindField::PostalCode, FindField::Region,   FindField::Country,
                                             FindField::Phone};
    std::vector<FieldValue> values;
    for (std::size_t i = 0; i < address.fields.size(); ++i) Add(values, kColumns[i], address.fields[i]);
    if (address.card) AddCardValues(values, *address.card);
    return values;
}

std::vector<FindWord> IndexWords(const std::vector<FieldValue>& values) {
    std::vector<std::pair<std::string, bool>> text;
    std::vector<std::string> phones;
    for (const FieldValue& v : values) {
        if (v.field != FindField::Phone) {
            for (std::string& w : searchtext::Words(v.value)) text.emplace_back(std::move(w), IsNameField(v.field));
            continue;
        }
        std::string digits = DigitsOf(v.value);
        if (digits.size() >= kPhoneDigitsMin && std::find(phones.begin(), phones.end(), digits) == phones.end())
            phones.push_back(std::move(digits));
    }
    // Each word once, marked when any field it came from is a name.
    std::sort(text.begin(), text.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second > b.second;
    });
    std::vector<FindWord> words;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i == 0 || text[i].first != text[i - 1].first) words.push_back({std::move(text[i].first), text[i].second ? 1u : 0u});
    // Every three digits of each phone where they stand; one position is
    // left free between two phones, so no run of digits spans both.
    std::uint32_t position = 0;
    for (const std::string& digits : phones) {
        for (std::size_t i = 0; i + kPhoneDigitsMin <= digits.size(); ++i)
            words.push_back({kPhoneMark + digits.substr(i, kPhoneDigitsMin), position + static_cast<std::uint32_t>(i)});
        position += static_cast<std::uint32_t>(digits.size()) + 1;
    }
    return words;
}

}  // namespace orvane::find
