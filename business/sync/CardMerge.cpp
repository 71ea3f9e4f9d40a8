#include "sync/CardMerge.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>

#include "sync/PropertyKey.h"
#include "transfer/CardConversion.h"
#include "transfer/CardWriter.h"
#include "transfer/TextTools.h"

namespace orvane::sync {
namespace {
using transfer::CardProperty;
using transfer::KeptCardProperties;
using transfer::VCardVersion;
using Properties = std::vector<CardProperty>;
namespace text = transfer::text;

enum class Rule { Server, Single, Categories, Several };

Rule RuleOf(std::string_view name) {
    static constexpr std::array<std::string_view, 9> kSingle{"N",     "FN",    "BDAY",  "ANNIVERSARY", "NOTE",
                                                             "ORG",   "TITLE", "PHOTO", "NICKNAME"};
    name = CommonName(name);
    if (name == "UID" || name == "PRODID" || name == "REV") return Rule::Server;
    if (name == "CATEGORIES") return Rule::Categories;
    if (std::find(kSingle.begin(), kSingle.end(), name) != kSingle.end()) return Rule::Single;
    return Rule::Several;
}

bool Named(const CardProperty& property, std::string_view name) { return CommonName(property.name) == name; }

// A card read in the version the merge works in: the server's, 3.0 for a 2.1 card.
KeptCardProperties ReadIn(std::string_view cardText, std::optional<VCardVersion> version = std::nullopt) {
    KeptCardProperties card = transfer::ReadCardProperties(cardText);
    if (!version) version = card.version == VCardVersion::V40 ? VCardVersion::V40 : VCardVersion::V30;
    transfer::ConvertProperties(card, *version);
    card.version = *version;
    return card;
}

Properties PropertiesNamed(const Properties& card, std::string_view name) {
    Properties named;
    std::copy_if(card.begin(), card.end(), std::back_inserter(named),
                 [&](const CardProperty& property) { return Named(property, name); });
    return named;
}

// The properties of that name replaced by `with`, in the place of the first
// of them (at the end when there was none).
void Replace(Properties& card, std::string_view name, const Properties& with) {
    const auto first = std::find_if(card.begin(), card.end(), [&](const CardProperty& p) { return Named(p, name); });
    const auto at = first - card.begin();
    std::erase_if(card, [&](const CardProperty& p) { return Named(p, name); });
    card.insert(card.begin() + std::min<std::ptrdiff_t>(at, static_cast<std::ptrdiff_t>(card.size())), with.begin(),
                with.end());
}

// After the last property of the same name, else at the end.
void Insert(Properties& card, CardProperty property) {
    const auto last = std::find_if(card.rbegin(), card.rend(), [&](const CardProperty& p) { return p.name == property.name; });
    card.insert(last == card.rend() ? card.end() : last.base(), std::move(property));
}

// Every property's key but REV's and PRODID's, sorted: the card's meaning.
std::vector<std::string> SortedKeys(const Properties& card) {
    std::vector<std::string> keys;
    for (const CardProperty& property : card)
        if (property.name != "REV" && property.name != "PRODID") keys.push_back(PropertyKey(property));
    std::sort(keys.begin(), keys.end());
    return keys;
}

// The ADR or TEL the vCard reader maps to the fields: the most preferred,
// the first among equals.
std::optional<std::size_t> Mapped(const Properties& card, std::string_view name) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < card.size(); ++i)
        if (card[i].name == name && (!best || PreferenceRank(card[i]) < PreferenceRank(card[*best]))) best = i;
    return best;
}

using Positions = std::map<std::string, std::vector<std::size_t>>;

// The properties a card may hold several times, by key, without the ADR
// and TEL the fields show.
Positions SeveralOf(const Properties& card) {
    std::set<std::size_t> mapped;
    for (const char* name : {"ADR", "TEL"})
        if (const auto i = Mapped(card, name)) mapped.insert(*i);
    Positions positions;
    for (std::size_t i = 0; i < card.size(); ++i)
        if (RuleOf(card[i].name) == Rule::Several && !mapped.count(i)) positions[PropertyKey(card[i])].push_back(i);
    return positions;
}

std::size_t CountOf(const Positions& positions, const std::string& key) {
    const auto found = positions.find(key);
    return found == positions.end() ? 0 : found->second.size();
}

// How often a value is there after the merge, from how often it was agreed
// on, is here and is on the server: each side's additions and removals.
std::size_t MergedCount(std::size_t base, std::size_t local, std::size_t server) {
    if (local == base) return server;
    if (server == base) return local;
    if (local > base && server > base) return std::max(local, server);
    if (local < base && server < base) return std::min(local, server);
    return local > base ? server + (local - base) : server - std::min(server, base - local);
}

std::set<std::string> GroupsOf(const Properties& card) {
    std::set<std::string> groups;
    for (const CardProperty& property : card)
        if (!property.group.empty()) groups.insert(text::Lower(property.group));
    return groups;
}

// Groups new here that the server has taken for something else since get
// names of their own, so a label stays with its own property.
void RenameCollidingGroups(Properties& added, const Properties& base, const Properties& local, const Properties& server) {
    const std::set<std::string> agreed = GroupsOf(base);
    const std::set<std::string> theirs = GroupsOf(server);
    std::set<std::string> taken = GroupsOf(local);
    taken.insert(theirs.begin(), theirs.end());
    std::map<std::string, std::string> renamed;
    int next = 1;
    for (CardProperty& property : added) {
        const std::string group = text::Lower(property.group);
        if (group.empty() || agreed.count(group) || !theirs.count(group)) continue;
        auto name = renamed.find(group);
        if (name == renamed.end()) {
            std::string fresh;
            do fresh = "item" + std::to_string(next++);
            while (taken.count(fresh));
            taken.insert(fresh);
            name = renamed.emplace(group, fresh).first;
        }
        property.group = name->second;
    }
}

Properties MergeSeveral(const Properties& base, const Properties& local, const Properties& server) {
    const Positions agreed = SeveralOf(base), here = SeveralOf(local), there = SeveralOf(server);
    Properties kept = server;
    std::vector<bool> dropped(server.size(), false);
    Properties added;
    std::set<std::string> keys;
    for (const Positions* side : {&agreed, &here})
        for (const auto& entry : *side) keys.insert(entry.first);
    for (const std::string& key : keys) {
        const std::size_t agreedCount = CountOf(agreed, key), ourCount = CountOf(here, key),
                          theirCount = CountOf(there, key);
        if (ourCount == agreedCount) continue;
        const std::size_t merged = MergedCount(agreedCount, ourCount, theirCount);
        for (std::size_t k = merged; k < theirCount; ++k) dropped[there.at(key)[k]] = true;
        for (std::size_t k = theirCount; k < merged; ++k) added.push_back(local[here.at(key)[k]]);
    }
    RenameCollidingGroups(added, base, local, server);

    // The ADR and TEL the fields show: their values are the field merge's,
    // their parameters (kind, preference, group) follow a change here.
    for (const char* name : {"ADR", "TEL"}) {
        const auto agreedAt = Mapped(base, name), ourAt = Mapped(local, name), theirAt = Mapped(server, name);
        if (!agreedAt || !ourAt || !theirAt) continue;
        const std::string agreedKey = ParameterKey(base[*agreedAt]);
        if (ParameterKey(local[*ourAt]) == agreedKey || ParameterKey(server[*theirAt]) != agreedKey) continue;
        kept[*theirAt].group = local[*ourAt].group;
        kept[*theirAt].parameters = local[*ourAt].parameters;
    }

    Properties merged;
    for (std::size_t i = 0; i < kept.size(); ++i)
        if (!dropped[i]) merged.push_back(std::move(kept[i]));
    for (CardProperty& property : added) Insert(merged, std::move(property));
    return merged;
}

// The keys of the properties of that name, sorted; N without the names the
// fields hold unless `namesLeftOut` is false.
std::vector<std::string> KeysOf(const Properties& card, std::string_view name, bool namesLeftOut = true) {
    std::vector<std::string> keys;
    for (const CardProperty& property : card)
        if (Named(property, name)) keys.push_back(PropertyKey(property, namesLeftOut && name == "N"));
    std::sort(keys.begin(), keys.end());
    return keys;
}

// The names the fields hold (family; given and additional) of the card's N.
std::string NamesOf(const Properties& card) {
    for (const CardProperty& property : card) {
        if (property.name != "N") continue;
        std::vector<std::string> names;
        for (std::size_t i = 0; i < 3; ++i)
            names.push_back(i < property.text.size() ? text::JoinNonEmpty(property.text[i], " ") : std::string());
        return names[0] + '\x1f' + text::JoinNonEmpty({names[1], names[2]}, " ");
    }
    return {};
}

std::string Shown(const Properties& card, std::string_view name) {
    std::vector<const CardProperty*> named;
    for (const CardProperty& property : card)
        if (Named(property, name)) named.push_back(&property);
    return DisplayOf(named);
}

void MergeSingles(const Properties& base, const Properties& local, const Properties& server,
                  const std::vector<PropertyChoice>& choices, VCardVersion version, CardMergeResult& result,
                  Properties& merged) {
    std::set<std::string> names;
    for (const Properties* card : {&base, &local, &server})
        for (const CardProperty& property : *card)
            if (RuleOf(property.name) == Rule::Single) names.insert(std::string(CommonName(property.name)));
    const bool namesChanged = NamesOf(local) != NamesOf(base) || NamesOf(server) != NamesOf(base);
    for (const std::string& name : names) {
        // An N changed only here is taken whole, so the names in it (the
        // field merge's then) and the FN written with them stay together.
        if (name == "N" && KeysOf(server, name, false) == KeysOf(base, name, false) &&
            KeysOf(local, name, false) != KeysOf(base, name, false)) {
            Replace(merged, name, PropertiesNamed(local, name));
            continue;
        }
        const std::vector<std::string> agreed = KeysOf(base, name), here = KeysOf(local, name),
                                       there = KeysOf(server, name);
        if (here == agreed || here == there) continue;  // the server's stands
        if (there != agreed) {
            const auto choice = std::find_if(choices.begin(), choices.end(),
                                             [&](const PropertyChoice& c) { return c.property == name; });
            if (choice != choices.end()) {
                if (choice->take == Side::Server) continue;
            } else if (name == "FN" && namesChanged) {
                Replace(merged, name, {});  // follows the names: the card is given one from N
                continue;
            } else {
                result.conflicts.push_back({name, Shown(local, name), Shown(server, name),
                                            transfer::WriteCardProperties({version, PropertiesNamed(base, name)}, version)});
                continue;
            }
        }
        Replace(merged, name, PropertiesNamed(local, name));
    }
}

// Each category once, by its name in lower case, in the card's order.
std::vector<std::pair<std::string, std::string>> CategoriesOf(const Properties& card) {
    std::vector<std::pair<std::string, std::string>> categories;
    std::set<std::string> seen;
    for (const CardProperty& property : card) {
        if (property.name != "CATEGORIES" || property.kind != transfer::ValueKind::Text) continue;
        for (const std::vector<std::string>& component : property.text)
            for (const std::string& value : component) {
                const std::string_view name = text::Trim(value);
                if (!name.empty() && seen.insert(text::Lower(name)).second)
                    categories.emplace_back(text::Lower(name), std::string(name));
            }
    }
    return categories;
}

void MergeCategories(const Properties& base, const Properties& local, const Properties& server, Properties& merged) {
    const auto agreed = CategoriesOf(base), here = CategoriesOf(local), there = CategoriesOf(server);
    const auto has = [](const std::vector<std::pair<std::string, std::string>>& list, const std::string& key) {
        return std::any_of(list.begin(), list.end(), [&](const auto& entry) { return entry.first == key; });
    };
    auto values = there;
    for (const auto& entry : here)
        if (!has(agreed, entry.first) && !has(values, entry.first)) values.push_back(entry);
    std::erase_if(values, [&](const auto& entry) { return has(agreed, entry.first) && !has(here, entry.first); });
    if (values.size() == there.size() &&
        std::all_of(values.begin(), values.end(), [&](const auto& entry) { return has(there, entry.first); }))
        return;
    CardProperty categories;
    const auto model = std::find_if(server.begin(), server.end(), [](const CardProperty& p) { return p.name == "CATEGORIES"; });
    if (model != server.end()) {
        categories.group = model->group;
        categories.parameters = model->parameters;
    }
    categories.name = "CATEGORIES";
    categories.kind = transfer::ValueKind::Text;
    categories.text.emplace_back();
    for (const auto& entry : values) categories.text.front().push_back(entry.second);
    Replace(merged, "CATEGORIES", values.empty() ? Properties{} : Properties{categories});
}

}  // namespace

CardMergeResult MergeCards(std::string_view base, std::string_view local, std::string_view server,
                           const std::vector<PropertyChoice>& choices) {
    const KeptCardProperties there = ReadIn(server);
    const VCardVersion version = there.version;
    const Properties agreed = ReadIn(base, version).properties, here = ReadIn(local, version).properties;
    CardMergeResult result;
    Properties merged = MergeSeveral(agreed, here, there.properties);
    MergeSingles(agreed, here, there.properties, choices, version, result, merged);
    MergeCategories(agreed, here, there.properties, merged);
    result.changed = SortedKeys(merged) != SortedKeys(there.properties);
    result.card = transfer::WriteCardProperties({version, std::move(merged)}, version);
    return result;
}

std::string WithPropertiesOf(std::string_view card, std::string_view from, const std::vector<std::string>& names) {
    KeptCardProperties target = ReadIn(card);
    const Properties source = ReadIn(from, target.version).properties;
    for (const std::string& name : names) Replace(target.properties, name, PropertiesNamed(source, name));
    return transfer::WriteCardProperties(target, target.version);
}

bool SameMeaning(std::string_view a, std::string_view b) {
    const KeptCardProperties first = ReadIn(a);
    return SortedKeys(first.properties) == SortedKeys(ReadIn(b, first.version).properties);
}

}  // namespace orvane::sync
