#include "TextArena.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "Error.h"
#include "detail/TextChunk.h"

namespace orvane {
namespace detail {

TextChunk* TextChunk::Make(std::size_t capacity) {
    if (capacity > UINT32_MAX) throw Error(errnum::Overflow, "Overflow: a text of 4 GB or more cannot be held");
    void* memory = std::malloc(sizeof(TextChunk) + capacity);
    if (!memory) throw std::bad_alloc();
    auto* chunk = new (memory) TextChunk{};
    chunk->users.store(0, std::memory_order_relaxed);
    chunk->used = 0;
    chunk->capacity = static_cast<std::uint32_t>(capacity);
    return chunk;
}

void TextChunk::Free(TextChunk* chunk) noexcept {
    chunk->~TextChunk();
    std::free(chunk);
}

}  // namespace detail

namespace {

// Shared blocks stay below the allocator's large-block threshold, so they
// come from and go back to the heap without a system call each, and every
// offset in them fits the value's 16 bits.
constexpr std::size_t kChunkBytes = 64 * 1024 - 64;
// Longer texts get a block of their own rather than waste the rest of one.
constexpr std::size_t kLongText = 1024;

}  // namespace

TextArena::~TextArena() {
    if (chunk_) chunk_->DropUser();
}

Variant TextArena::Add(std::string_view text) {
    if (text.empty()) return Variant(std::string_view());
    if (text.size() >= kLongText) return Variant(text);
    if (!chunk_ || chunk_->capacity - chunk_->used < text.size()) {
        detail::TextChunk* fresh = detail::TextChunk::Make(kChunkBytes);
        fresh->AddUser();  // the arena's own
        if (chunk_) chunk_->DropUser();
        chunk_ = fresh;
    }
    const std::uint32_t offset = chunk_->used;
    std::memcpy(chunk_->Bytes() + offset, text.data(), text.size());
    chunk_->used += static_cast<std::uint32_t>(text.size());
    chunk_->AddUser();
    return Variant(chunk_, static_cast<std::uint16_t>(offset), static_cast<std::uint32_t>(text.size()));
}

}  // namespace orvane
