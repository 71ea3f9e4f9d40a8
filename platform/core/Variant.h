#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class VariantArray;
class TextArena;

namespace detail {
struct TextChunk;
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
    Variant(std::int32_t value) noexcept : kind_(Kind::Long) { long_ = value; }
    Variant(const std::string& value) : Variant(std::string_view(value)) {}
    Variant(const char* value) : Variant(std::string_view(value)) {}
    explicit Variant(std::string_view value);
    Variant(VariantArray array);

    static Variant Null() noexcept;

    Variant(const Variant& other);
    Variant& operator=(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant&& other) noexcept;
    ~Variant();

    Kind GetKind() const noexcept { return kind_; }
    bool IsEmpty() const noexcept { return kind_ == Kind::Empty; }
    bool IsNull() const noexcept { return kind_ == Kind::Null; }
    bool IsArray() const noexcept { return kind_ == Kind::Array; }

    // Conversions as the callers use them. Null (or an array) cannot be
    // converted: that is an error with a description saying so.
    std::int32_t ToLong() const;
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
    // A text of size bytes at offset in chunk; takes over one reference.
    Variant(detail::TextChunk* chunk, std::uint16_t offset, std::uint32_t size) noexcept;
    void Release() noexcept;
    void StealFrom(Variant& other) noexcept;

    Kind kind_ = Kind::Empty;
    std::uint16_t offset_ = 0;  // text: where it begins in its chunk
    std::uint32_t size_ = 0;    // text: its length in bytes
    union {
        std::int32_t long_;
        detail::TextChunk* chunk_ = nullptr;  // text; null for the empty text
        VariantArray* array_;
    };
};

// A two-dimensional array with a lower and upper bound per dimension.
// Elements are stored with the second index major, so a fields x rows
// result can be appended row by row.
class VariantArray {
public:
    VariantArray(std::int32_t lower1, std::int32_t upper1, std::int32_t lower2, std::int32_t upper2);
    // Adopts elements laid out row-major over the second index:
    // element (i, j) at (j - lower2) * count1 + (i - lower1).
    VariantArray(std::int32_t count1, std::int32_t count2, std::vector<Variant>&& elements);

    std::int32_t LBound(int dimension) const;
    std::int32_t UBound(int dimension) const;

    const Variant& At(std::int32_t i, std::int32_t j) const;
    Variant& At(std::int32_t i, std::int32_t j);

    bool operator==(const VariantArray& other) const = default;

private:
    std::size_t Offset(std::int32_t i, std::int32_t j) const;

    std::int32_t lower1_, upper1_, lower2_, upper2_;
    std::vector<Variant> elements_;
};

}  // namespace orvane
