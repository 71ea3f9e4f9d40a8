#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orvane::find {

// The order results are shown in, as the index keeps it (IDs by display
// text), with each address's place in it found at once: results are
// gathered as a set of places, read back in order.
class ResultOrder {
public:
    void Assign(std::vector<std::int32_t> order);
    std::size_t Size() const noexcept { return order_.size(); }
    // The place of an address, -1 for one the order does not hold.
    std::int32_t RankOf(std::int32_t id) const;
    std::int32_t IdAt(std::size_t rank) const { return order_[rank]; }

    // What the order was read from: a file in one state of its change counter.
    std::string path;
    std::uint32_t counter = 0;

private:
    std::vector<std::int32_t> order_;
    // Places by ID from the smallest, when the IDs lie close enough
    // together; else sorted (ID, place) pairs.
    std::int32_t first_ = 0;
    std::vector<std::int32_t> dense_;
    std::vector<std::pair<std::int32_t, std::int32_t>> sparse_;
};

}  // namespace orvane::find
