#include "transfer/CsvColumns.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string_view>

#include "transfer/AddressKey.h"
#include "transfer/TextTools.h"

namespace orvane::transfer {
namespace {

using Role = CsvColumns::Role;

// Lower case, every run of other characters than letters and digits one
// blank: "Address 1 - Street" -> "address 1 street", "Zip/PostalCode" ->
// "zip postalcode".
std::string Normalise(std::string_view name) {
    std::string out;
    bool gap = false;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        const bool word = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
        if (!word) {
            gap = true;
            continue;
        }
        if (gap && !out.empty()) out += ' ';
        gap = false;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : ch;
    }
    return out;
}

bool OneOf(std::string_view s, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), s) != names.end();
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start < s.size()) {
        std::size_t end = s.find(' ', start);
        if (end == std::string_view::npos) end = s.size();
        words.push_back(s.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

bool IsNumber(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

Role NameRole(std::string_view n) {
    if (OneOf(n, {"first name", "firstname", "first", "given name", "givenname", "forename", "given"})) return Role::First;
    if (OneOf(n, {"middle name", "middlename", "middle", "additional name", "additional names"})) return Role::Middle;
    if (OneOf(n, {"last name", "lastname", "last", "family name", "familyname", "surname"})) return Role::Last;
    if (OneOf(n, {"name", "full name", "fullname", "display name", "displayname", "formatted name", "contact name"}))
        return Role::FullName;
    return Role::Unknown;
}

Role AddressPartRole(std::string_view part) {
    if (OneOf(part, {"street", "street 1", "street1", "street address", "address", "address 1", "address1",
                     "address line 1", "addr", "street address 1"}))
        return Role::Street;
    if (OneOf(part, {"street 2", "street 3", "street2", "street3", "address 2", "address 3", "address2", "address3",
                     "address line 2", "address line 3", "street address 2", "street address 3"}))
        return Role::Street2;
    if (OneOf(part, {"po box", "pobox", "p o box", "post office box"})) return Role::PoBox;
    if (OneOf(part, {"extended address", "extended"})) return Role::Extended;
    if (OneOf(part, {"city", "locality", "town"})) return Role::City;
    if (OneOf(part, {"state", "region", "province", "state province", "state region", "county state"}))
        return Role::State;
    if (OneOf(part, {"zip", "zipcode", "zip code", "postal code", "postalcode", "postcode", "post code",
                     "zip postalcode", "zip postal code", "postal"}))
        return Role::PostalCode;
    if (OneOf(part, {"country", "country region", "countryregion", "country name", "country code"}))
        return Role::Country;
    if (OneOf(part, {"formatted", "formatted address"})) return Role::Formatted;
    return Role::Unknown;
}

}  // namespace

std::pair<Role, std::string> CsvColumns::Classify(const std::string& name) {
    const std::string n = Normalise(name);
    const std::vector<std::string_view> words = Words(n);
    if (words.empty()) return {Role::Unknown, {}};
    // "Phone 1 - Type", "Address 1 - Label": what kind a value is, not a value.
    if (words.size() > 1 && OneOf(words.back(), {"type", "label"})) return {Role::Ignored, {}};
    for (const std::string_view word : words)
        if (OneOf(word, {"phone", "telephone", "tel", "mobile", "cell", "phonenumber", "fax", "pager"}))
            return {Role::Phone, {}};
    if (const Role role = NameRole(n); role != Role::Unknown) return {role, {}};

    // An address part, maybe after a group: "home", "business", "address 1"...
    std::string group;
    std::size_t skip = 0;
    if (words.size() > 2 && words[0] == "address" && IsNumber(words[1])) {
        group = "address " + std::string(words[1]);
        skip = 2;
    } else if (words.size() > 1 && OneOf(words[0], {"home", "business", "work", "other", "personal", "primary",
                                                    "mailing", "postal", "billing", "shipping", "private"})) {
        group = std::string(words[0]);
        skip = 1;
    }
    std::string part;
    for (std::size_t i = skip; i < words.size(); ++i) part += (part.empty() ? "" : " ") + std::string(words[i]);
    if (const Role role = AddressPartRole(part); role != Role::Unknown) return {role, group};
    // "Postal Code" reads as the group "postal" with the part "code".
    if (const Role role = AddressPartRole(n); role != Role::Unknown) return {role, {}};
    return {Role::Unknown, {}};
}

int CsvColumns::PhoneRank(const std::string& name) {
    const std::string n = Normalise(name);
    const std::vector<std::string_view> words = Words(n);
    auto has = [&](std::initializer_list<std::string_view> any) {
        return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return OneOf(w, any); });
    };
    if (has({"fax", "pager", "assistant", "assistant s", "callback", "car", "telex", "tty", "isdn", "radio"})) return 6;
    if (has({"primary"})) return 0;
    if (has({"mobile", "cell"})) return 2;
    if (has({"home", "personal", "private"})) return 3;
    if (has({"business", "work", "company", "office"})) return 4;
    if (has({"other"})) return 5;
    return 1;
}

namespace {
std::uint64_t GroupHash(std::string_view group) {
    static const std::uint64_t k0 = RandomKey(), k1 = RandomKey();
    return SipHash24(group, k0, k1);
}

bool IsAddressRole(Role role) {
    return role == Role::PoBox || role == Role::Street || role == Role::Street2 || role == Role::Extended ||
           role == Role::City || role == Role::State || role == Role::PostalCode || role == Role::Country ||
           role == Role::Formatted;
}
}  // namespace

CsvColumns::CsvColumns(const std::vector<std::string>& header) {
    for (const std::string& name : header) Add(name);
    Finish();
}

void CsvColumns::Add(std::string_view name) {
    const auto index = static_cast<std::uint32_t>(width_++);
    if (!text::Trim(name).empty()) {
        names_.append(name);
        named_.push_back({index, static_cast<std::uint32_t>(names_.size())});
    }
    auto [role, group] = Classify(std::string(name));
    if (role == Role::Unknown) return;
    // The groups are numbered once the header is complete (Finish), by a
    // sort of their names' keyed hashes: 16 bytes a column however long the
    // names, and two names share a hash only by a chance nobody can aim at.
    if (IsAddressRole(role)) pendingGroups_.emplace_back(GroupHash(group), static_cast<std::uint32_t>(known_.size()));
    known_.push_back({index, 0, role, role == Role::Phone ? static_cast<std::int8_t>(PhoneRank(std::string(name)))
                                                          : std::int8_t{0}});
}

void CsvColumns::Finish() {
    // Equal names side by side, each run in header order; a group's number
    // is the place of its first column among the first columns of all.
    std::sort(pendingGroups_.begin(), pendingGroups_.end());
    {
        std::vector<std::pair<std::uint32_t, std::size_t>> firstColumns;  // first column, start of its run
        for (std::size_t i = 0; i < pendingGroups_.size(); ++i)
            if (i == 0 || pendingGroups_[i].first != pendingGroups_[i - 1].first)
                firstColumns.emplace_back(pendingGroups_[i].second, i);
        std::sort(firstColumns.begin(), firstColumns.end());
        groupCount_ = firstColumns.size();
        for (std::size_t g = 0; g < firstColumns.size(); ++g) {
            const std::size_t start = firstColumns[g].second;
            for (std::size_t i = start; i < pendingGroups_.size() && pendingGroups_[i].first == pendingGroups_[start].first; ++i)
                known_[pendingGroups_[i].second].group = static_cast<std::uint32_t>(g);
        }
    }
    pendingGroups_ = {};
    known_.shrink_to_fit();
    // The address columns by group, groups in the order they first appear,
    // each group's columns in header order.
    addressColumns_.clear();
    for (const Known& column : known_)
        if (IsAddressRole(column.role)) addressColumns_.push_back(column);
    std::stable_sort(addressColumns_.begin(), addressColumns_.end(),
                     [](const Known& a, const Known& b) { return a.group < b.group; });
    groupBegin_.assign(groupCount_ + 1, static_cast<std::uint32_t>(addressColumns_.size()));
    for (std::size_t i = addressColumns_.size(); i-- > 0;) groupBegin_[addressColumns_[i].group] = static_cast<std::uint32_t>(i);
    known_.shrink_to_fit();
    addressColumns_.shrink_to_fit();
    named_.shrink_to_fit();
    names_.shrink_to_fit();
}

bool CsvColumns::Recognised() const {
    return std::any_of(known_.begin(), known_.end(), [](const Known& c) { return c.role != Role::Ignored; });
}

std::string_view CsvColumns::Name(std::size_t index) const {
    const auto it = std::lower_bound(named_.begin(), named_.end(), index,
                                     [](const Named& n, std::size_t i) { return n.index < i; });
    if (it == named_.end() || it->index != index) return {};
    const std::uint32_t begin = it == named_.begin() ? 0 : std::prev(it)->end;
    return std::string_view(names_).substr(begin, it->end - begin);
}

void CsvColumns::Map(const CsvRow& row, ImportedCard& card) const {
    auto value = [&](std::size_t i) { return i < row.size() ? row[i] : std::string_view(); };
    auto joinedNames = [&](Role role) {
        std::vector<std::string> values;
        for (const Known& column : known_)
            if (column.role == role) values.emplace_back(value(column.index));
        return text::JoinNonEmpty(values, " ");
    };

    card.fields[kFirstName] = text::JoinNonEmpty({joinedNames(Role::First), joinedNames(Role::Middle)}, " ");
    card.fields[kLastName] = joinedNames(Role::Last);
    if (card.fields[kFirstName].empty() && card.fields[kLastName].empty()) {
        auto [first, last] = text::SplitAtLastBlank(joinedNames(Role::FullName));
        card.fields[kFirstName] = std::move(first);
        card.fields[kLastName] = std::move(last);
    }

    // The first address group with anything in it: each column looked at once.
    std::size_t chosen = groupCount_;
    for (std::size_t i = 0; i < addressColumns_.size() && chosen == groupCount_; ++i)
        if (!value(addressColumns_[i].index).empty()) chosen = addressColumns_[i].group;
    if (chosen < groupCount_) {
        auto joined = [&](Role role) {
            std::vector<std::string> values;
            for (std::uint32_t i = groupBegin_[chosen]; i < groupBegin_[chosen + 1]; ++i)
                if (addressColumns_[i].role == role) values.emplace_back(value(addressColumns_[i].index));
            return text::JoinNonEmpty(values, ", ");
        };
        card.fields[kStreet] = text::JoinNonEmpty({joined(Role::PoBox), joined(Role::Street), joined(Role::Street2),
                                                   joined(Role::Extended), joined(Role::City)},
                                                  ", ");
        card.fields[kState] = joined(Role::State);
        card.fields[kPostalCode] = joined(Role::PostalCode);
        card.fields[kCountry] = joined(Role::Country);
        // A group that has only its formatted form gives that as the street.
        if (card.fields[kStreet].empty() && card.fields[kState].empty() && card.fields[kPostalCode].empty() &&
            card.fields[kCountry].empty())
            card.fields[kStreet] = joined(Role::Formatted);
    }

    const Known* phone = nullptr;
    for (const Known& column : known_)
        if (column.role == Role::Phone && !value(column.index).empty() && (!phone || column.phoneRank < phone->phoneRank))
            phone = &column;
    if (phone) card.fields[kPhone] = std::string(value(phone->index));

    // Everything else with a value is counted by its column's name; the
    // known columns are walked beside the row, in header order.
    auto known = known_.begin();
    for (std::size_t i = 0; i < width_ && i < row.size(); ++i) {
        while (known != known_.end() && known->index < i) ++known;
        if (row[i].empty()) continue;
        const Role role = known != known_.end() && known->index == i ? known->role : Role::Unknown;
        bool kept = false;
        switch (role) {
            case Role::Ignored:
            case Role::First:
            case Role::Middle:
            case Role::Last:
            case Role::FullName: kept = true; break;
            case Role::Phone: kept = &*known == phone; break;
            case Role::Unknown: kept = false; break;
            default: kept = chosen < groupCount_ && known->group == chosen; break;
        }
        if (!kept) card.notStored.push_back(text::Excerpt(text::Trim(Name(i))));
    }
}

}  // namespace orvane::transfer
