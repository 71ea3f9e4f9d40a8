#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "detail/LargeMemory.h"

namespace orvane {

class VariantArray;
class TextArena;

namespace detail {
struct TextChunk;
class VariantBlocks;
}

// The tagged value passed between the tiers: empty, null, a 32-bit integer,
// text, or a two-dimensional array of tagged values with bounds.
//
// Sixteen bytes. Text is immutable and shared: a copy of a text value
// points at the same characters and only counts one more user, so a list
// of a million texts is copied, passed and dropped without touching the
// characters. Many texts may share one block (see TextArena). Arrays are
// values: a copy of an array is a new array (whose texts are shared).
class Variant {
public:
    enum class Kind : std::uint8_t { Empty, Null, Long, String, Array };

    Variant() noexcept {}  // the empty value
    Variant(std::int32_t value) noexcept : meta_(Tag(Kind::Long)) { long_ = value; }
    Variant(const std::string& value) : Variant(std::string_view(value)) {}
    Variant(const char* value) : Variant(std::string_view(value)) {}
    explicit Variant(std::string_view value);
    Variant(VariantArray array);

    static Variant Null() noexcept;

    Variant(const Variant& other);
    Variant& operator=(const Variant& other);
    Variant(Variant&& other) noexcept { StealFrom(other); }
    Variant& operator=(Variant&& other) noexcept;
    // Numbers, null and the empty value hold nothing to give back.
    ~Variant() {
        if (GetKind() >= Kind::String) Release();
    }

    Kind GetKind() const noexcept { return static_cast<Kind>(meta_ & 0xFF); }
    bool IsEmpty() const noexcept { return GetKind() == Kind::Empty; }
    bool IsNull() const noexcept { return GetKind() == Kind::Null; }
    bool IsArray() const noexcept { return GetKind() == Kind::Array; }

    // Conversions as the callers use them. Null (or an array) cannot be
    // converted: that is an error with a description saying so.
    std::int32_t ToLong() const { return GetKind() == Kind::Long ? long_ : ConvertToLong(); }
    std::string ToText() const;
    // Joining with empty text: null and empty become "", numbers their digits.
    std::string JoinEmpty() const;

    // Only valid for Kind::String: a copy of the text.
    std::string Text() const;
    // The text without copying it, as joining with empty text reads it: text
    // as it is, null and the empty value as "". A number or an array has no
    // text of its own to look at: an error. Valid while this value lives.
    std::string_view TextView() const;

    const VariantArray& Array() const;
    VariantArray& Array();

    friend bool operator==(const Variant& a, const Variant& b);

private:
    friend class TextArena;
    friend class detail::VariantBlocks;
    // A text of size bytes at offset in chunk; takes over one reference.
    Variant(detail::TextChunk* chunk, std::uint32_t offset, std::uint32_t size) noexcept;
    static constexpr std::uint32_t Tag(Kind kind) noexcept { return static_cast<std::uint32_t>(kind); }
    std::uint32_t Offset() const noexcept { return meta_ >> 8; }
    std::int32_t ConvertToLong() const;
    void Release() noexcept;
    void StealFrom(Variant& other) noexcept {
        meta_ = other.meta_;
        size_ = other.size_;
        switch (GetKind()) {
            case Kind::Long: long_ = other.long_; break;
            case Kind::String: chunk_ = other.chunk_; break;
            case Kind::Array: array_ = other.array_; break;
            default: chunk_ = nullptr; break;
        }
        other.meta_ = Tag(Kind::Empty);
        other.chunk_ = nullptr;
    }

    std::uint32_t meta_ = 0;  // the kind in the low 8 bits; text: where it begins in its chunk above them
    std::uint32_t size_ = 0;  // text: its length in bytes
    union {
        std::int32_t long_;
        detail::TextChunk* chunk_ = nullptr;  // text; null for the empty text
        VariantArray* array_;
    };
};

namespace detail {

// The elements of an array in blocks of one large unit each (the first one
// grows up to that size), so that a result of millions of values is read
// without ever moving what is already there, and only what is used is
// allocated.
class VariantBlocks {
public:
    static constexpr std::size_t kPerBlock = kLargeUnit / sizeof(Variant);

    VariantBlocks() = default;
    explicit VariantBlocks(std::size_t count);
    VariantBlocks(const VariantBlocks&) = default;
    VariantBlocks(VariantBlocks&&) noexcept = default;
    VariantBlocks& operator=(const VariantBlocks&) = default;
    VariantBlocks& operator=(VariantBlocks&&) noexcept = default;
    // Texts next to each other mostly share a block (a read puts a whole
    // result's texts into few): each run of them gives its block back in
    // one count instead of one count per text.
    ~VariantBlocks();

    std::size_t size() const noexcept { return size_; }
    Variant& operator[](std::size_t i) noexcept { return blocks_[i / kPerBlock][i % kPerBlock]; }
    const Variant& operator[](std::size_t i) const noexcept { return blocks_[i / kPerBlock][i % kPerBlock]; }

    void push_back(Variant&& value) {
        if (blocks_.empty() || blocks_.back().size() == kPerBlock) AddBlock();
        blocks_.back().push_back(std::move(value));
        ++size_;
    }
    template <class... Args>
    void emplace_back(Args&&... args) {
        push_back(Variant(std::forward<Args>(args)...));
    }

    // For a reader that has seen the values will be many: the first block
    // takes its whole unit now, instead of moving every value it holds each
    // time it doubles on the way there.
    void ExpectMany() {
        if (blocks_.size() == 1) blocks_.front().reserve(kPerBlock);
    }

    bool operator==(const VariantBlocks& other) const = default;

private:
    using Block = std::vector<Variant, LargeAllocator<Variant>>;
    void AddBlock();

    std::vector<Block> blocks_;
    std::size_t size_ = 0;
};

}  // namespace detail

// A two-dimensional array with a lower and upper bound per dimension.
// Elements are stored with the second index major, so a fields x rows
// result can be appended row by row.
class VariantArray {
public:
    // Element storage that takes a large table's memory in whole large units.
    using Elements = detail::VariantBlocks;

    VariantArray(std::int32_t lower1, std::int32_t upper1, std::int32_t lower2, std::int32_t upper2);
    // Adopts elements laid out row-major over the second index:
    // element (i, j) at (j - lower2) * count1 + (i - lower1).
    VariantArray(std::int32_t count1, std::int32_t count2, Elements&& elements);
    VariantArray(std::int32_t count1, std::int32_t count2, std::vector<Variant>&& elements);

    std::int32_t LBound(int dimension) const;
    std::int32_t UBound(int dimension) const;

    // Inline, as the list's load reads every element of a large result here.
    const Variant& At(std::int32_t i, std::int32_t j) const { return elements_[Offset(i, j)]; }
    Variant& At(std::int32_t i, std::int32_t j) { return elements_[Offset(i, j)]; }

    bool operator==(const VariantArray& other) const = default;

private:
    std::size_t Offset(std::int32_t i, std::int32_t j) const {
        if (i < lower1_ || i > upper1_ || j < lower2_ || j > upper2_) OutOfRange(i, j);
        const auto count1 = static_cast<std::size_t>(static_cast<std::int64_t>(upper1_) - lower1_ + 1);
        return static_cast<std::size_t>(j - lower2_) * count1 + static_cast<std::size_t>(i - lower1_);
    }
    [[noreturn]] static void OutOfRange(std::int32_t i, std::int32_t j);

    std::int32_t lower1_, upper1_, lower2_, upper2_;
    Elements elements_;
};

}  // namespace orvane
