#include "FindOrder.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "adodb/Connection.h"
#include "adodb/PreparedStatement.h"

using orvane::adodb::PreparedStatement;

namespace orvane::data::FindOrder {
namespace {

// The order is kept in parts of about this many IDs, so that a change
// rewrites one or two parts; a part grown past four times that, or one
// emptied, has the whole order cut into parts anew.
constexpr std::size_t kPartIds = 1024;

using Parts = std::vector<std::vector<std::int32_t>>;

std::string Bytes(const std::vector<std::int32_t>& ids) {
    std::string out(ids.size() * 4, '\0');
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const auto v = static_cast<std::uint32_t>(ids[i]);
        for (std::size_t b = 0; b < 4; ++b) out[i * 4 + b] = static_cast<char>((v >> (8 * b)) & 0xFF);
    }
    return out;
}

void AppendIds(std::vector<std::int32_t>& ids, std::string_view bytes) {
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        std::uint32_t v = 0;
        for (std::size_t b = 0; b < 4; ++b) v |= std::uint32_t{static_cast<unsigned char>(bytes[i + b])} << (8 * b);
        ids.push_back(static_cast<std::int32_t>(v));
    }
}

Parts LoadParts(orvane::adodb::Connection& cnn) {
    Parts parts;
    PreparedStatement read(cnn, "SELECT AddressIDs FROM OrvaneFindOrder ORDER BY Part");
    while (read.Step()) AppendIds(parts.emplace_back(), read.Bytes(0));
    return parts;
}

void StorePart(orvane::adodb::Connection& cnn, std::size_t part, const std::vector<std::int32_t>& ids) {
    PreparedStatement put(cnn, "INSERT OR REPLACE INTO OrvaneFindOrder (Part, AddressIDs) VALUES (?1, ?2)");
    put.Bind(1, static_cast<std::int64_t>(part));
    put.BindBlob(2, Bytes(ids));
    put.Run();
}

// The whole order, cut into parts anew.
void StoreAll(orvane::adodb::Connection& cnn, const std::vector<std::int32_t>& ids) {
    std::size_t part = 0;
    for (std::size_t at = 0; at < ids.size(); at += kPartIds, ++part)
        StorePart(cnn, part, std::vector<std::int32_t>(ids.begin() + static_cast<std::ptrdiff_t>(at),
                                                        ids.begin() + static_cast<std::ptrdiff_t>(std::min(ids.size(), at + kPartIds))));
    PreparedStatement drop(cnn, "DELETE FROM OrvaneFindOrder WHERE Part >= ?1");
    drop.Bind(1, static_cast<std::int64_t>(part));
    drop.Run();
}

// Every address's sort key, kept compactly: a million keys as separate
// strings beside their IDs would take several times the memory of the
// window's whole list while the index is made.
class SortKeys {
public:
    void Add(std::string_view key, std::int32_t id) {
        if (blocks_.empty() || blocks_.back().size() + key.size() > kBlockBytes) {
            blocks_.emplace_back();
            blocks_.back().reserve(std::max(kBlockBytes, key.size()));
        }
        std::string& block = blocks_.back();
        entries_.push_back({static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(block.size()),
                            static_cast<std::uint32_t>(key.size()), id});
        block.append(key);
    }

    // The IDs by key, then by ID.
    std::vector<std::int32_t> SortedIds() {
        std::sort(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
            const int order = KeyOf(a).compare(KeyOf(b));
            return order != 0 ? order < 0 : a.id < b.id;
        });
        std::vector<std::int32_t> ids;
        ids.reserve(entries_.size());
        for (const Entry& e : entries_) ids.push_back(e.id);
        return ids;
    }

private:
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
    struct Entry {
        std::uint32_t block, at, size;
        std::int32_t id;
    };
    std::string_view KeyOf(const Entry& e) const { return std::string_view(blocks_[e.block]).substr(e.at, e.size); }

    std::vector<std::string> blocks_;
    std::vector<Entry> entries_;
};

std::vector<std::int32_t> SortAll(orvane::adodb::Connection& cnn, const FindSortKey& sortKey) {
    SortKeys keys;
    PreparedStatement read(cnn, "SELECT ID, FirstName, LastName FROM tblAddress");
    while (read.Step()) keys.Add(sortKey(read.Bytes(1), read.Bytes(2)), static_cast<std::int32_t>(read.Int64(0)));
    return keys.SortedIds();
}

}  // namespace

std::vector<std::int32_t> Load(orvane::adodb::Connection& cnn) {
    std::vector<std::int32_t> ids;
    PreparedStatement read(cnn, "SELECT AddressIDs FROM OrvaneFindOrder ORDER BY Part");
    while (read.Step()) AppendIds(ids, read.Bytes(0));
    return ids;
}

void Update(orvane::adodb::Connection& cnn, const std::vector<std::int32_t>& changed, const FindSortKey& sortKey) {
    if (changed.empty()) return;
    Parts parts = LoadParts(cnn);
    std::size_t size = 0;
    for (const auto& p : parts) size += p.size();
    // Each change costs a few lookups per halving of the order; past the
    // cost of reading every address, they are all sorted anew.
    if (changed.size() * (std::bit_width(size) + 1) * 4 > size) {
        StoreAll(cnn, SortAll(cnn, sortKey));
        return;
    }
    // Each changed address out of its part ...
    const std::unordered_set<std::int32_t> out(changed.begin(), changed.end());
    std::vector<bool> dirty(parts.size(), false);
    for (std::size_t p = 0; p < parts.size(); ++p)
        dirty[p] = std::erase_if(parts[p], [&](std::int32_t id) { return out.contains(id); }) > 0;
    bool recut = std::erase_if(parts, [](const auto& p) { return p.empty(); }) > 0;
    if (parts.empty()) {
        StoreAll(cnn, SortAll(cnn, sortKey));
        return;
    }
    // ... and, when still there, into the part where its key now belongs:
    // the last that begins before it (or the first), at its place there.
    PreparedStatement names(cnn, "SELECT FirstName, LastName FROM tblAddress WHERE ID = ?1");
    const auto keyOf = [&](std::int32_t id) -> std::optional<std::pair<std::string, std::int32_t>> {
        names.Bind(1, id);
        std::optional<std::pair<std::string, std::int32_t>> key;
        if (names.Step()) key.emplace(sortKey(names.Bytes(0), names.Bytes(1)), id);
        names.Reset();
        return key;
    };
    for (std::int32_t id : changed) {
        const auto key = keyOf(id);
        if (!key) continue;
        // Every address in the order is in tblAddress: its key is read as it is now.
        const auto before = [&](std::int32_t other) { return keyOf(other).value_or(std::pair(std::string(), other)) < *key; };
        const auto after = std::partition_point(parts.begin() + 1, parts.end(), [&](const auto& p) { return before(p.front()); });
        const auto p = static_cast<std::size_t>(after - parts.begin()) - 1;
        parts[p].insert(std::partition_point(parts[p].begin(), parts[p].end(), before), id);
        dirty[p] = true;
        recut = recut || parts[p].size() > 4 * kPartIds;
    }
    if (recut) {
        std::vector<std::int32_t> all;
        all.reserve(size + changed.size());
        for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
        StoreAll(cnn, all);
        return;
    }
    for (std::size_t p = 0; p < parts.size(); ++p)
        if (dirty[p]) StorePart(cnn, p, parts[p]);
}

}  // namespace orvane::data::FindOrder
