#include "Variant.h"

#include "Error.h"

namespace orvane {

Variant::Variant(VariantArray array) : value_(std::make_unique<VariantArray>(std::move(array))) {}

Variant Variant::Null() {
    Variant v;
    v.value_ = NullTag{};
    return v;
}

Variant::Variant(const Variant& other) { *this = other; }

Variant& Variant::operator=(const Variant& other) {
    if (this == &other) return *this;
    if (other.IsArray())
        value_ = std::make_unique<VariantArray>(other.Array());
    else
        std::visit(
            [this](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (!std::is_same_v<T, std::unique_ptr<VariantArray>>) value_ = v;
            },
            other.value_);
    return *this;
}

Variant::~Variant() = default;

std::int32_t Variant::ToLong() const {
    switch (GetKind()) {
        case Kind::Empty: return 0;
        case Kind::Long: return std::get<std::int32_t>(value_);
        case Kind::Null: throw Error(errnum::InvalidUseOfNull, "Invalid use of Null: a missing value cannot be read as a number");
        case Kind::String: {
            const std::string& s = std::get<std::string>(value_);
            try {
                std::size_t used = 0;
                long long n = std::stoll(s, &used);
                if (used != s.size()) throw Error(errnum::TypeMismatch, "Type mismatch: \"" + s + "\" is not a number");
                if (n < INT32_MIN || n > INT32_MAX) throw Error(errnum::Overflow, "Overflow: " + s + " does not fit in a 32-bit integer");
                return static_cast<std::int32_t>(n);
            } catch (const std::logic_error&) {
                throw Error(errnum::TypeMismatch, "Type mismatch: \"" + s + "\" is not a number");
            }
        }
        case Kind::Array: break;
    }
    throw Error(errnum::TypeMismatch, "Type mismatch: an array cannot be read as a number");
}

std::string Variant::ToText() const {
    if (IsNull()) throw Error(errnum::InvalidUseOfNull, "Invalid use of Null: a missing value cannot be read as text");
    if (IsArray()) throw Error(errnum::TypeMismatch, "Type mismatch: an array cannot be read as text");
    return JoinEmpty();
}

std::string Variant::JoinEmpty() const {
    switch (GetKind()) {
        case Kind::Empty:
        case Kind::Null: return {};
        case Kind::Long: return std::to_string(std::get<std::int32_t>(value_));
        case Kind::String: return std::get<std::string>(value_);
        case Kind::Array: break;
    }
    throw Error(errnum::TypeMismatch, "Type mismatch: an array cannot be joined with text");
}

const std::string& Variant::Text() const {
    if (GetKind() != Kind::String) throw Error(errnum::TypeMismatch, "Type mismatch: the value is not text");
    return std::get<std::string>(value_);
}

const VariantArray& Variant::Array() const {
    if (!IsArray()) throw Error(errnum::TypeMismatch, "Type mismatch: the value is not an array");
    return *std::get<std::unique_ptr<VariantArray>>(value_);
}

VariantArray& Variant::Array() {
    if (!IsArray()) throw Error(errnum::TypeMismatch, "Type mismatch: the value is not an array");
    return *std::get<std::unique_ptr<VariantArray>>(value_);
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.GetKind() != b.GetKind()) return false;
    if (a.IsArray()) return a.Array() == b.Array();
    return a.value_ == b.value_;
}

VariantArray::VariantArray(std::int32_t lower1, std::int32_t upper1, std::int32_t lower2, std::int32_t upper2)
    : lower1_(lower1), upper1_(upper1), lower2_(lower2), upper2_(upper2) {
    if (upper1 < lower1 - 1 || upper2 < lower2 - 1) throw Error(errnum::SubscriptOutOfRange, "Subscript out of range: bad array bounds");
    auto n1 = static_cast<std::size_t>(static_cast<std::int64_t>(upper1) - lower1 + 1);
    auto n2 = static_cast<std::size_t>(static_cast<std::int64_t>(upper2) - lower2 + 1);
    elements_.resize(n1 * n2);
}

VariantArray::VariantArray(std::int32_t count1, std::int32_t count2, std::vector<Variant>&& elements)
    : lower1_(0), upper1_(count1 - 1), lower2_(0), upper2_(count2 - 1), elements_(std::move(elements)) {
    if (count1 < 0 || count2 < 0 ||
        elements_.size() != static_cast<std::size_t>(count1) * static_cast<std::size_t>(count2))
        throw Error(errnum::SubscriptOutOfRange, "Subscript out of range: element count does not match the bounds");
}

std::int32_t VariantArray::LBound(int dimension) const {
    if (dimension == 1) return lower1_;
    if (dimension == 2) return lower2_;
    throw Error(errnum::SubscriptOutOfRange, "Subscript out of range: the array has two dimensions");
}

std::int32_t VariantArray::UBound(int dimension) const {
    if (dimension == 1) return upper1_;
    if (dimension == 2) return upper2_;
    throw Error(errnum::SubscriptOutOfRange, "Subscript out of range: the array has two dimensions");
}

std::size_t VariantArray::Offset(std::int32_t i, std::int32_t j) const {
    if (i < lower1_ || i > upper1_ || j < lower2_ || j > upper2_)
        throw Error(errnum::SubscriptOutOfRange, "Subscript out of range: (" + std::to_string(i) + ", " + std::to_string(j) + ")");
    auto count1 = static_cast<std::size_t>(static_cast<std::int64_t>(upper1_) - lower1_ + 1);
    return static_cast<std::size_t>(j - lower2_) * count1 + static_cast<std::size_t>(i - lower1_);
}

const Variant& VariantArray::At(std::int32_t i, std::int32_t j) const { return elements_[Offset(i, j)]; }
Variant& VariantArray::At(std::int32_t i, std::int32_t j) { return elements_[Offset(i, j)]; }

}  // namespace orvane
