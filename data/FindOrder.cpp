#include "FindOrder.h"

#include <algorithm>
#include <optional>

#include "adodb/Connection.h"
#include "adodb/PreparedStatement.h"

using orvane::adodb::PreparedStatement;

namespace FindOrder {
namespace {

// More changes than one in this many addresses: every address sorted anew.
constexpr std::size_t kSortAllRatio = 32;

std::string Bytes(const std::vector<std::int32_t>& ids) {
    std::string out(ids.size() * 4, '\0');
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const auto v = static_cast<std::uint32_t>(ids[i]);
        for (std::size_t b = 0; b < 4; ++b) out[i * 4 + b] = static_cast<char>((v >> (8 * b)) & 0xFF);
    }
    return out;
}

void Store(orvane::adodb::Connection& cnn, const std::vector<std::int32_t>& ids) {
    PreparedStatement put(cnn, "INSERT OR REPLACE INTO OrvaneFindOrder (ID, AddressIDs) VALUES (1, ?1)");
    put.BindBlob(1, Bytes(ids));
    put.Run();
}

std::vector<std::int32_t> SortAll(orvane::adodb::Connection& cnn, const FindSortKey& sortKey) {
    std::vector<std::pair<std::string, std::int32_t>> keyed;
    PreparedStatement read(cnn, "SELECT ID, FirstName, LastName FROM tblAddress");
    while (read.Step()) keyed.emplace_back(sortKey(read.Bytes(1), read.Bytes(2)), static_cast<std::int32_t>(read.Int64(0)));
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::int32_t> ids;
    ids.reserve(keyed.size());
    for (const auto& k : keyed) ids.push_back(k.second);
    return ids;
}

}  // namespace

std::vector<std::int32_t> Load(orvane::adodb::Connection& cnn) {
    PreparedStatement read(cnn, "SELECT AddressIDs FROM OrvaneFindOrder WHERE ID = 1");
    std::vector<std::int32_t> ids;
    if (!read.Step()) return ids;
    const std::string_view bytes = read.Bytes(0);
    ids.resize(bytes.size() / 4);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        std::uint32_t v = 0;
        for (std::size_t b = 0; b < 4; ++b) v |= std::uint32_t{static_cast<unsigned char>(bytes[i * 4 + b])} << (8 * b);
        ids[i] = static_cast<std::int32_t>(v);
    }
    return ids;
}

void Update(orvane::adodb::Connection& cnn, const std::vector<std::int32_t>& changed, const FindSortKey& sortKey) {
    if (changed.empty()) return;
    std::vector<std::int32_t> order = Load(cnn);
    if (order.empty() || changed.size() * kSortAllRatio > order.size()) {
        Store(cnn, SortAll(cnn, sortKey));
        return;
    }
    std::erase_if(order, [&](std::int32_t id) { return std::binary_search(changed.begin(), changed.end(), id); });
    PreparedStatement names(cnn, "SELECT FirstName, LastName FROM tblAddress WHERE ID = ?1");
    const auto keyOf = [&](std::int32_t id) -> std::optional<std::string> {
        names.Bind(1, id);
        std::optional<std::string> key;
        if (names.Step()) key = sortKey(names.Bytes(0), names.Bytes(1));
        names.Reset();
        return key;
    };
    for (std::int32_t id : changed) {
        const std::optional<std::string> key = keyOf(id);
        if (!key) continue;
        // Every address in the order is in tblAddress: its key is read as it is now.
        const auto at = std::partition_point(order.begin(), order.end(), [&](std::int32_t other) {
            const std::optional<std::string> otherKey = keyOf(other);
            return std::pair(otherKey.value_or(std::string()), other) < std::pair(*key, id);
        });
        order.insert(at, id);
    }
    Store(cnn, order);
}

}  // namespace FindOrder
