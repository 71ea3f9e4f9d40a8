#include "detail/ListEntries.h"

#include "core/Error.h"

namespace orvane::toolkit::detail {

void ListEntries::TooMany() const {
    if (entries_.Size() >= kMaxEntries) throw Error(7, "Out of memory: the list box cannot hold more entries.");
    throw Error(7, "Out of memory: the list box cannot hold more than 4 GB of text.");
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
