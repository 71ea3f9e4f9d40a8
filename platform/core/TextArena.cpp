#include "TextArena.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "Error.h"
#include "detail/LargeMemory.h"
#include "detail/TextChunk.h"

namespace orvane {
namespace detail {

TextChunk* TextChunk::Make(std::size_t capacity) {
    if (capacity > UINT32_MAX) throw Error(errnum::Overflow, "Overflow: a text of 4 GB or more cannot be held");
    const std::size_t bytes = sizeof(TextChunk) + capacity;
    void* memory = IsLarge(bytes) ? MapLarge(bytes) : std::malloc(bytes);
    if (!memory) throw std::bad_alloc();
    auto* chunk = new (memory) TextChunk{};
    chunk->users.store(0, std::memory_order_relaxed);
    chunk->used = 0;
    chunk->capacity = static_cast<std::uint32_t>(capacity);
    return chunk;
}

void TextChunk::Free(TextChunk* chunk) noexcept {
    const std::size_t bytes = sizeof(TextChunk) + chunk->capacity;
    chunk->~TextChunk();
    if (IsLarge(bytes))
        UnmapLarge(chunk, bytes);
    else
        std::free(chunk);
}

}  // namespace detail

namespace {

// Shared blocks start at 4 KB (a record of eight fields needs little) and
// double up to one large unit, where a million texts fill a dozen blocks
// with few page faults. Every offset fits the value's 24 bits.
// Longer texts get a block of their own rather than waste the rest of one.
constexpr std::size_t kLongText = 1024;
constexpr std::size_t kLastSmallBlock = detail::kLargeUnit / 16;

}  // namespace

TextArena::~TextArena() { ReleaseChunk(); }

// The arena stands for a large claim on its current block instead of
// counting each value it hands out; it gives back the claim minus those
// values when it lets go of the block. Values dropped meanwhile count down
// from the claim, so the block cannot reach zero while the arena holds it.
void TextArena::ReleaseChunk() noexcept {
    if (!chunk_) return;
    const std::uint32_t unused = kArenaClaim - issued_;
    if (chunk_->users.fetch_sub(unused, std::memory_order_acq_rel) == unused) detail::TextChunk::Free(chunk_);
    chunk_ = nullptr;
    issued_ = 0;
}

Variant TextArena::Add(std::string_view text) {
    if (text.empty()) return Variant(std::string_view());
    if (text.size() >= kLongText) return Variant(text);
    if (!chunk_ || chunk_->capacity - chunk_->used < text.size()) {
        // Past a few blocks the next is a whole large unit: a long result
        // then fills huge pages instead of faulting in every 4 KB page.
        lastBlockBytes_ = lastBlockBytes_ >= kLastSmallBlock ? detail::kLargeUnit : lastBlockBytes_ * 2;
        detail::TextChunk* fresh = detail::TextChunk::Make(lastBlockBytes_ - sizeof(detail::TextChunk));
        fresh->users.store(kArenaClaim, std::memory_order_relaxed);
        ReleaseChunk();
        chunk_ = fresh;
    }
    const std::uint32_t offset = chunk_->used;
    std::memcpy(chunk_->Bytes() + offset, text.data(), text.size());
    chunk_->used += static_cast<std::uint32_t>(text.size());
    ++issued_;
    return Variant(chunk_, offset, static_cast<std::uint32_t>(text.size()));
}

}  // namespace orvane
