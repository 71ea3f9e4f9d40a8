#include "detail/LargeMemory.h"

#include <sys/mman.h>

#include <cstdint>

namespace orvane::detail {
namespace {

// Reserves an aligned range of bytes (a multiple of the unit): maps a unit
// more than needed and gives back the unaligned ends.
void* MapAligned(std::size_t bytes) {
    const std::size_t padded = bytes + kLargeUnit;
    void* raw = mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kLargeUnit - 1) & ~(std::uintptr_t{kLargeUnit} - 1);
    if (aligned > start) munmap(raw, aligned - start);
    const std::size_t tail = start + padded - (aligned + bytes);
    if (tail > 0) munmap(reinterpret_cast<void*>(aligned + bytes), tail);
    void* region = reinterpret_cast<void*>(aligned);
    madvise(region, bytes, MADV_HUGEPAGE);  // a hint: without huge pages it still works
    return region;
}

}  // namespace

void* MapLarge(std::size_t bytes) { return MapAligned(RoundToLargeUnit(bytes)); }

void* RemapLarge(void* region, std::size_t oldBytes, std::size_t newBytes) {
    oldBytes = RoundToLargeUnit(oldBytes);
    newBytes = RoundToLargeUnit(newBytes);
    if (newBytes == oldBytes) return region;
    if (newBytes < oldBytes) {
        munmap(static_cast<char*>(region) + newBytes, oldBytes - newBytes);
        return region;
    }
    // Move the pages (not their contents) into a fresh aligned range, so
    // that the grown region can keep its huge pages.
    void* target = MapAligned(newBytes);
    void* moved = mremap(region, oldBytes, newBytes, MREMAP_MAYMOVE | MREMAP_FIXED, target);
    if (moved == MAP_FAILED) {
        munmap(target, newBytes);
        throw std::bad_alloc();
    }
    madvise(moved, newBytes, MADV_HUGEPAGE);
    return moved;
}

void UnmapLarge(void* region, std::size_t bytes) noexcept { munmap(region, RoundToLargeUnit(bytes)); }

}  // namespace orvane::detail
