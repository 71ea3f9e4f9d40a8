#include "AddressSearch.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "AddressWords.h"
#include "FindIndexStore.h"
#include "core/SearchText.h"

namespace orvane::find {
namespace {

bool AllDigits(std::string_view word) {
    return std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether a typed (folded) word matches the value: the start of one of its
// words, or, for a phone, a run of its digits.
bool Matches(const FieldValue& v, std::string_view typed) {
    if (v.field == FindField::Phone)
        return typed.size() >= kPhoneDigitsMin && AllDigits(typed) && DigitsOf(v.value).find(typed) != std::string::npos;
    for (const std::string& w : searchtext::Words(v.value))
        if (w.starts_with(typed)) return true;
    return false;
}

// The field shown beside a result: the value the most typed words match;
// among equals a name, else the first.
std::string MatchedField(const FindSource& address, const std::vector<std::string>& typed) {
    const std::vector<FieldValue> values = SearchableValues(address);
    const FieldValue* best = nullptr;
    std::size_t bestCount = 0;
    for (const FieldValue& v : values) {
        const auto count = static_cast<std::size_t>(
            std::count_if(typed.begin(), typed.end(), [&](const std::string& t) { return Matches(v, t); }));
        if (count == 0) continue;
        if (count > bestCount || (count == bestCount && IsNameField(v.field) && !IsNameField(best->field))) {
            best = &v;
            bestCount = count;
        }
    }
    return best ? std::string(Label(best->field)) + ": " + best->value : std::string();
}

// Addresses a word matches, each with whether it matched a name.
using Hits = std::unordered_map<std::int32_t, bool>;

Hits Lookup(FindIndexStore& store, const std::string& word) {
    Hits hits;
    const auto onMatch = [&](std::int32_t id, std::int32_t field) {
        hits[id] |= IsNameField(static_cast<FindField>(field));
    };
    store.ForEachPrefixMatch(word, onMatch);
    if (word.size() >= kPhoneDigitsMin && AllDigits(word)) store.ForEachPrefixMatch(kPhoneMark + word, onMatch);
    return hits;
}

}  // namespace

AddressSearch::AddressSearch(std::string database) : database_(std::move(database)) {}

bool AddressSearch::IndexCurrent() const {
    FindIndexStore store(database_, FindIndexStore::Mode::Read);
    return store.Current();
}

std::size_t AddressSearch::UpdateIndex(const std::function<void(std::size_t, std::size_t)>& progress) const {
    FindIndexStore store(database_, FindIndexStore::Mode::Write);
    if (store.Current()) {
        const std::size_t pending = store.PendingAddresses().size();
        store.ReindexPending([](const FindSource& address) { return IndexWords(SearchableValues(address)); });
        store.CommitCurrent();
        return pending;
    }
    ++fullScans_;
    const auto total = static_cast<std::size_t>(store.CountAddresses());
    std::size_t done = 0, indexed = 0;
    store.ForgetDeletedAddresses();
    store.ReadAddresses([&](std::vector<FindSource>& chunk) {
        for (const FindSource& address : chunk) {
            if (address.indexed && *address.indexed == address.Fingerprint()) continue;
            store.Replace(address, IndexWords(SearchableValues(address)));
            ++indexed;
        }
        done += chunk.size();
        if (progress) progress(std::min(done, total), total);
    });
    store.CommitCurrent();
    return indexed;
}

FindResult AddressSearch::Find(std::string_view typed, std::size_t limit) const {
    std::vector<std::string> words = searchtext::Words(typed);
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    FindResult result;
    if (words.empty()) return result;
    auto store = std::make_unique<FindIndexStore>(database_, FindIndexStore::Mode::Read);
    if (!store->Current() || !store->PendingAddresses().empty()) {
        store.reset();
        UpdateIndex();
        store = std::make_unique<FindIndexStore>(database_, FindIndexStore::Mode::Read);
    }
    // Every word must match: the addresses of the first, kept while each
    // further word matches them too.
    Hits found = Lookup(*store, words.front());
    for (std::size_t i = 1; i < words.size() && !found.empty(); ++i) {
        const Hits more = Lookup(*store, words[i]);
        for (auto it = found.begin(); it != found.end();) {
            const auto hit = more.find(it->first);
            if (hit == more.end()) {
                it = found.erase(it);
            } else {
                it->second |= hit->second;
                ++it;
            }
        }
    }
    std::vector<std::int32_t> ids;
    ids.reserve(found.size());
    for (const auto& [id, name] : found) ids.push_back(id);

    struct Ranked {
        bool name;
        std::string key;
        std::int32_t id;
        std::string display;
    };
    std::vector<Ranked> ranked;
    for (FindIndexStore::Names& n : store->ReadNames(std::move(ids))) {
        std::string display = n.first + ", " + n.last;
        ranked.push_back({found[n.id], searchtext::Fold(display), n.id, std::move(display)});
    }
    const std::size_t shown = std::min(limit, ranked.size());
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(shown), ranked.end(),
                      [](const Ranked& a, const Ranked& b) {
                          if (a.name != b.name) return a.name;
                          if (a.key != b.key) return a.key < b.key;
                          return a.id < b.id;
                      });
    result.more = ranked.size() - shown;
    // The matched fields of those shown, their addresses read a few hundred at a time.
    std::unordered_map<std::int32_t, std::string> matched;
    for (std::size_t i = 0; i < shown; i += 500) {
        std::vector<std::int32_t> chunk;
        for (std::size_t k = i; k < std::min(shown, i + 500); ++k) chunk.push_back(ranked[k].id);
        for (const FindSource& address : store->ReadAddresses(chunk)) matched[address.id] = MatchedField(address, words);
    }
    for (std::size_t i = 0; i < shown; ++i)
        result.addresses.push_back({ranked[i].id, std::move(ranked[i].display), std::move(matched[ranked[i].id])});
    return result;
}

}  // namespace orvane::find
