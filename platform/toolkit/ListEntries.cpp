#include "detail/ListEntries.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "core/Error.h"

namespace orvane::toolkit::detail {

void ListEntries::Append(std::string_view text) {
    constexpr std::size_t kMaxBytes = std::numeric_limits<std::uint32_t>::max();
    if (text.size() > kMaxBytes - used_)
        throw Error(7, "Out of memory: the list box cannot hold more than 4 GB of text.");
    if (entries_.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw Error(7, "Out of memory: the list box cannot hold more entries.");
    Reserve(used_ + text.size());
    if (!text.empty()) std::memcpy(bytes_.get() + used_, text.data(), text.size());
    used_ += text.size();
    entries_.push_back(Entry{static_cast<std::uint32_t>(used_), 0});
}

void ListEntries::Clear() noexcept {
    used_ = 0;
    entries_.clear();
}

std::string_view ListEntries::TextAt(std::int32_t index) const noexcept {
    const std::uint32_t begin = index == 0 ? 0 : entries_[index - 1].end;
    return {bytes_.get() + begin, entries_[index].end - begin};
}

void ListEntries::Reserve(std::size_t bytes) {
    if (bytes <= capacity_) return;
    std::size_t capacity = capacity_ < 4096 ? 4096 : capacity_;
    while (capacity < bytes) capacity += capacity / 2;
    capacity = std::min<std::size_t>(capacity, std::numeric_limits<std::uint32_t>::max());
    void* grown = std::realloc(bytes_.get(), capacity);
    if (!grown) throw std::bad_alloc();
    static_cast<void>(bytes_.release());
    bytes_.reset(static_cast<char*>(grown));
    capacity_ = capacity;
}

}  // namespace orvane::toolkit::detail
