#include "AddressSearch.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <unordered_map>

#include "AddressWords.h"
#include "FindIndexStore.h"
#include "FindPostings.h"
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

std::string SortKey(std::string_view first, std::string_view last) {
    std::string display(first);
    display += ", ";
    display += last;
    return searchtext::Fold(display);
}

// The addresses whose phone digits hold the typed digits: three digits at
// a time (from the start, every third, and the last three), each found at
// its distance from the first.
std::vector<std::int32_t> PhoneMatches(FindIndexStore& store, const std::string& digits) {
    std::vector<std::size_t> offsets;
    for (std::size_t o = 0; o + kPhoneDigitsMin <= digits.size(); o += kPhoneDigitsMin) offsets.push_back(o);
    if (offsets.back() + kPhoneDigitsMin != digits.size()) offsets.push_back(digits.size() - kPhoneDigitsMin);
    // (address, where the typed digits would begin), in order.
    std::vector<FindPosting> found;
    for (std::size_t k = 0; k < offsets.size(); ++k) {
        const auto offset = static_cast<std::uint32_t>(offsets[k]);
        std::vector<FindPosting> piece;
        store.ForEachPrefixMatch(kPhoneMark + digits.substr(offsets[k], kPhoneDigitsMin), [&](std::string_view postings) {
            data::FindPostings::Decode(postings, [&](std::int32_t id, std::uint32_t position) {
                if (position >= offset) piece.push_back({id, position - offset});
            });
        });
        if (k == 0) {
            found = std::move(piece);
        } else {
            std::vector<FindPosting> both;
            std::set_intersection(found.begin(), found.end(), piece.begin(), piece.end(), std::back_inserter(both));
            found = std::move(both);
        }
        if (found.empty()) break;
    }
    std::vector<std::int32_t> ids;
    for (const FindPosting& p : found)
        if (ids.empty() || ids.back() != p.id) ids.push_back(p.id);
    return ids;
}

// A set of places in the result order, one bit each.
using Places = std::vector<std::uint64_t>;

void Mark(Places& places, std::int32_t rank) {
    places[static_cast<std::size_t>(rank) >> 6] |= std::uint64_t{1} << (rank & 63);
}

}  // namespace

AddressSearch::AddressSearch(std::string database) : database_(std::move(database)) {}

bool AddressSearch::IndexCurrent() const {
    FindIndexStore store(database_, FindIndexStore::Mode::Read);
    return store.Current();
}

std::size_t AddressSearch::UpdateIndex(const std::function<void(std::size_t, std::size_t)>& progress) const {
    FindIndexStore store(database_, FindIndexStore::Mode::Write);
    const FindIndexRules rules{[](const FindSource& address) { return IndexWords(SearchableValues(address)); }, SortKey};
    if (store.Current()) {
        const std::size_t pending = store.PendingAddresses().size();
        store.ReindexPending(rules);
        store.CommitCurrent();
        return pending;
    }
    ++fullScans_;
    const std::size_t indexed = store.Refresh(rules, progress);
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
    if (order_.path != store->Path() || order_.counter != store->Counter() || order_.Size() == 0) {
        order_.Assign(store->DisplayOrder());
        order_.path = store->Path();
        order_.counter = store->Counter();
    }
    // The places of the addresses every word matches, and of those where
    // some word matched a name.
    const std::size_t blocks = (order_.Size() + 63) / 64;
    Places all, names(blocks, 0), one;
    for (std::size_t i = 0; i < words.size(); ++i) {
        one.assign(blocks, 0);
        const auto mark = [&](std::int32_t id, bool name) {
            const std::int32_t rank = order_.RankOf(id);
            if (rank < 0) return;
            Mark(one, rank);
            if (name) Mark(names, rank);
        };
        store->ForEachPrefixMatch(words[i], [&](std::string_view postings) {
            data::FindPostings::Decode(postings, [&](std::int32_t id, std::uint32_t name) { mark(id, name != 0); });
        });
        if (words[i].size() >= kPhoneDigitsMin && AllDigits(words[i]))
            for (std::int32_t id : PhoneMatches(*store, words[i])) mark(id, false);
        if (i == 0) {
            all.swap(one);
        } else {
            for (std::size_t b = 0; b < blocks; ++b) all[b] &= one[b];
        }
    }
    // Name matches first, then the others, each in display order.
    std::size_t count = 0;
    for (std::uint64_t bits : all) count += static_cast<std::size_t>(std::popcount(bits));
    std::vector<std::int32_t> shown;
    for (const bool nameMatches : {true, false}) {
        for (std::size_t b = 0; b < blocks && shown.size() < limit; ++b) {
            std::uint64_t bits = all[b] & (nameMatches ? names[b] : ~names[b]);
            for (; bits && shown.size() < limit; bits &= bits - 1)
                shown.push_back(order_.IdAt(b * 64 + static_cast<std::size_t>(std::countr_zero(bits))));
        }
    }
    result.more = count - shown.size();
    std::unordered_map<std::int32_t, FindSource> sources;
    for (FindSource& address : store->ReadAddresses(shown)) sources.emplace(address.id, std::move(address));
    for (std::int32_t id : shown) {
        const FindSource& address = sources[id];
        result.addresses.push_back({id, address.fields[0] + ", " + address.fields[1], MatchedField(address, words)});
    }
    return result;
}

}  // namespace orvane::find
