#pragma once

// The block behind text values: characters of one or more texts, and a
// count of the values that use any of them. Internal to Variant and
// TextArena.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace orvane::detail {

struct TextChunk {
    std::atomic<std::uint32_t> users;
    std::uint32_t used;
    std::uint32_t capacity;

    char* Bytes() noexcept { return reinterpret_cast<char*>(this + 1); }

    // A chunk with room for capacity bytes and no user yet.
    static TextChunk* Make(std::size_t capacity);
    static void Free(TextChunk* chunk) noexcept;

    void AddUser() noexcept { users.fetch_add(1, std::memory_order_relaxed); }
    void DropUser() noexcept { DropUsers(1); }
    void DropUsers(std::uint32_t count) noexcept {
        if (users.fetch_sub(count, std::memory_order_acq_rel) == count) Free(this);
    }
};

}  // namespace orvane::detail
