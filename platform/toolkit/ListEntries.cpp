#include "detail/ListEntries.h"

#include <limits>

#include "core/Error.h"

namespace orvane::toolkit::detail {

void ListEntries::Append(std::string_view text) {
    constexpr std::size_t kMaxBytes = std::numeric_limits<std::uint32_t>::max();
    if (text.size() > kMaxBytes - bytes_.Size())
        throw Error(7, "Out of memory: the list box cannot hold more than 4 GB of text.");
    if (entries_.Size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw Error(7, "Out of memory: the list box cannot hold more entries.");
    bytes_.Append(text.data(), text.size());
    entries_.Append(Entry{static_cast<std::uint32_t>(bytes_.Size()), 0});
}

void ListEntries::Clear() noexcept {
    bytes_.Clear();
    entries_.Clear();
}

std::string_view ListEntries::TextAt(std::int32_t index) const noexcept {
    const std::uint32_t begin = index == 0 ? 0 : entries_[index - 1].end;
    return {bytes_.Data() + begin, entries_[index].end - begin};
}

}  // namespace orvane::toolkit::detail
