#pragma once

// Memory for the program's big tables (a list of a million addresses):
// regions of whole 2 MB units, aligned so that the kernel may back them
// with huge pages. Filling such a region then costs one page fault per
// 2 MB instead of one per 4 KB, and freeing it hands it straight back.
// Smaller requests are better served by the ordinary heap.

#include <cstddef>
#include <new>

namespace orvane::detail {

inline constexpr std::size_t kLargeUnit = std::size_t{2} << 20;

inline bool IsLarge(std::size_t bytes) noexcept { return bytes >= kLargeUnit; }
inline std::size_t RoundToLargeUnit(std::size_t bytes) noexcept {
    return (bytes + kLargeUnit - 1) / kLargeUnit * kLargeUnit;
}

// A new region of at least bytes (rounded up to whole units), zero-filled
// on first touch. Throws std::bad_alloc when the system has none.
void* MapLarge(std::size_t bytes);
// The region grown (or shrunk) to newBytes, its contents kept; it may move.
// Only for contents that may be moved byte by byte.
void* RemapLarge(void* region, std::size_t oldBytes, std::size_t newBytes);
void UnmapLarge(void* region, std::size_t bytes) noexcept;

// A standard allocator that takes large requests from MapLarge and the
// rest from the heap, for vectors that may grow to millions of elements.
template <class T>
struct LargeAllocator {
    using value_type = T;

    LargeAllocator() noexcept = default;
    template <class U>
    LargeAllocator(const LargeAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        if (IsLarge(bytes)) return static_cast<T*>(MapLarge(bytes));
        return static_cast<T*>(::operator new(bytes));
    }
    void deallocate(T* p, std::size_t n) noexcept {
        const std::size_t bytes = n * sizeof(T);
        if (IsLarge(bytes))
            UnmapLarge(p, RoundToLargeUnit(bytes));
        else
            ::operator delete(p);
    }

    template <class U>
    bool operator==(const LargeAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace orvane::detail
