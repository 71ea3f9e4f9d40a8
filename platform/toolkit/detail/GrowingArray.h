#pragma once

// A growing array of plain values (bytes, small structs) for lists that may
// hold millions of entries. While small it lives on the heap; once large it
// lives in large units of memory (core/detail/LargeMemory.h) that grow by
// remapping their pages, so growing never copies the contents and filling
// costs few page faults.

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "core/detail/LargeMemory.h"

namespace orvane::toolkit::detail {

template <class T>
class GrowingArray {
    static_assert(std::is_trivially_copyable_v<T>, "the contents are moved byte by byte");

public:
    GrowingArray() = default;
    ~GrowingArray() { Release(); }
    GrowingArray(const GrowingArray&) = delete;
    GrowingArray& operator=(const GrowingArray&) = delete;

    std::size_t Size() const noexcept { return size_; }
    T* Data() noexcept { return data_; }
    const T* Data() const noexcept { return data_; }
    T& operator[](std::size_t i) noexcept { return data_[i]; }
    const T& operator[](std::size_t i) const noexcept { return data_[i]; }

    // Appends count values; the array grows by half its size when full.
    void Append(const T* values, std::size_t count) {
        if (count == 0) return;
        if (size_ + count > capacity_) Grow(size_ + count);
        std::memcpy(data_ + size_, values, count * sizeof(T));
        size_ += count;
    }
    void Append(const T& value) {
        if (size_ == capacity_) Grow(size_ + 1);
        data_[size_++] = value;
    }
    // Empties the array and keeps its memory for the next fill.
    void Clear() noexcept { size_ = 0; }

private:
    void Grow(std::size_t needed) {
        std::size_t capacity = capacity_ < 256 ? 256 : capacity_ + capacity_ / 2;
        if (capacity < needed) capacity = needed;
        const std::size_t oldBytes = capacity_ * sizeof(T);
        const std::size_t newBytes = capacity * sizeof(T);
        void* grown = nullptr;
        // A list of some thousands of entries already goes into large
        // units: it fills huge pages instead of faulting in every 4 KB.
        if (newBytes < kFirstLargeBytes) {
            grown = std::realloc(data_, newBytes);
            if (!grown) throw std::bad_alloc();
        } else if (oldBytes >= kFirstLargeBytes) {
            grown = orvane::detail::RemapLarge(data_, oldBytes, newBytes);
            capacity = orvane::detail::RoundToLargeUnit(newBytes) / sizeof(T);
        } else {
            grown = orvane::detail::MapLarge(newBytes);
            if (size_ > 0) std::memcpy(grown, data_, size_ * sizeof(T));
            std::free(data_);
            capacity = orvane::detail::RoundToLargeUnit(newBytes) / sizeof(T);
        }
        data_ = static_cast<T*>(grown);
        capacity_ = capacity;
    }

    void Release() noexcept {
        const std::size_t bytes = capacity_ * sizeof(T);
        if (bytes >= kFirstLargeBytes)
            orvane::detail::UnmapLarge(data_, bytes);
        else
            std::free(data_);
    }

    static constexpr std::size_t kFirstLargeBytes = orvane::detail::kLargeUnit / 8;

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace orvane::toolkit::detail
