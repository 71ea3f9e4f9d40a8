#pragma once

// The entries of a list box without Qt: every text in one growing buffer,
// side by side, and per entry where its text ends and its item data. A
// million entries of 20 characters take about 28 MB and no heap block each.

#include <cstdint>
#include <string_view>

#include "GrowingArray.h"

namespace orvane::toolkit::detail {

class ListEntries {
public:
    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(entries_.Size()); }

    // Appends an entry with item data 0. An error when the list's texts
    // would pass 4 GB or it would hold more entries than an index can count.
    void Append(std::string_view text) {
        if (text.size() > kMaxBytes - bytes_.Size() || entries_.Size() >= kMaxEntries) TooMany();
        bytes_.Append(text.data(), text.size());
        entries_.Append(Entry{static_cast<std::uint32_t>(bytes_.Size()), 0});
    }
    // Removes every entry; the memory is kept for the next fill.
    void Clear() noexcept;

    std::string_view TextAt(std::int32_t index) const noexcept;
    std::int32_t ItemDataAt(std::int32_t index) const noexcept { return entries_[index].itemData; }
    void SetItemData(std::int32_t index, std::int32_t value) noexcept { entries_[index].itemData = value; }

private:
    static constexpr std::size_t kMaxBytes = UINT32_MAX;
    static constexpr std::size_t kMaxEntries = INT32_MAX;
    [[noreturn]] void TooMany() const;

    struct Entry {
        std::uint32_t end;  // one past the last byte of its text in the buffer
        std::int32_t itemData;
    };

    GrowingArray<char> bytes_;
    GrowingArray<Entry> entries_;
};

}  // namespace orvane::toolkit::detail
