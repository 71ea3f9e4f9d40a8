#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Variant.h"

namespace orvane {

namespace detail {
struct TextChunk;
}

// Makes text values whose characters lie side by side in a few large shared
// blocks instead of one heap block each: for reading many texts at once
// (the rows of a result). A block is freed when the arena and the last
// value that uses it are gone.
class TextArena {
public:
    TextArena() = default;
    ~TextArena();
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    // A text value holding a copy of text.
    Variant Add(std::string_view text);

private:
    static constexpr std::uint32_t kArenaClaim = std::uint32_t{1} << 31;
    void ReleaseChunk() noexcept;

    detail::TextChunk* chunk_ = nullptr;
    std::uint32_t issued_ = 0;  // values handed out from the current block
    std::size_t lastBlockBytes_ = 2048;  // the next block is twice as large (so the first 4 KB), up to one large unit
};

}  // namespace orvane
