#include "ResultOrder.h"

#include <algorithm>

namespace orvane::find {

void ResultOrder::Assign(std::vector<std::int32_t> order) {
    order_ = std::move(order);
    dense_.clear();
    sparse_.clear();
    if (order_.empty()) return;
    const auto [low, high] = std::minmax_element(order_.begin(), order_.end());
    first_ = *low;
    const std::int64_t span = std::int64_t{*high} - *low + 1;
    if (span <= static_cast<std::int64_t>(order_.size()) * 4 + 65536) {
        dense_.assign(static_cast<std::size_t>(span), -1);
        for (std::size_t r = 0; r < order_.size(); ++r)
            dense_[static_cast<std::size_t>(std::int64_t{order_[r]} - first_)] = static_cast<std::int32_t>(r);
        return;
    }
    sparse_.reserve(order_.size());
    for (std::size_t r = 0; r < order_.size(); ++r) sparse_.emplace_back(order_[r], static_cast<std::int32_t>(r));
    std::sort(sparse_.begin(), sparse_.end());
}

std::int32_t ResultOrder::RankOf(std::int32_t id) const {
    if (!dense_.empty()) {
        const std::int64_t at = std::int64_t{id} - first_;
        return at >= 0 && at < static_cast<std::int64_t>(dense_.size()) ? dense_[static_cast<std::size_t>(at)] : -1;
    }
    const auto it = std::lower_bound(sparse_.begin(), sparse_.end(), std::pair(id, std::int32_t{-1}));
    return it != sparse_.end() && it->first == id ? it->second : -1;
}

}  // namespace orvane::find
