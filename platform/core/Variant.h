#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace orvane {

class VariantArray;

// The tagged value passed between the tiers: empty, null, a 32-bit integer,
// text, or a two-dimensional array of tagged values with bounds.
class Variant {
public:
    enum class Kind { Empty, Null, Long, String, Array };

    Variant() = default;  // the empty value
    Variant(std::int32_t value) : value_(value) {}
    Variant(std::string value) : value_(std::move(value)) {}
    Variant(const char* value) : value_(std::string(value)) {}
    Variant(VariantArray array);

    static Variant Null();

    Variant(const Variant& other);
    Variant& operator=(const Variant& other);
    Variant(Variant&&) noexcept = default;
    Variant& operator=(Variant&&) noexcept = default;
    ~Variant();

    Kind GetKind() const noexcept { return static_cast<Kind>(value_.index()); }
    bool IsEmpty() const noexcept { return GetKind() == Kind::Empty; }
    bool IsNull() const noexcept { return GetKind() == Kind::Null; }
    bool IsArray() const noexcept { return GetKind() == Kind::Array; }

    // Conversions as the callers use them. Null (or an array) cannot be
    // converted: that is an error with a description saying so.
    std::int32_t ToLong() const;
    std::string ToText() const;
    // Joining with empty text: null and empty become "", numbers their digits.
    std::string JoinEmpty() const;

    // Only valid for Kind::String, without copying.
    const std::string& Text() const;

    const VariantArray& Array() const;
    VariantArray& Array();

    friend bool operator==(const Variant& a, const Variant& b);

private:
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    std::variant<std::monostate, NullTag, std::int32_t, std::string, std::unique_ptr<VariantArray>> value_;
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
