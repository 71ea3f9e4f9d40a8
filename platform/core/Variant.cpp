#include "Variant.h"

#include <cstring>

#include "Error.h"
#include "detail/TextChunk.h"

namespace orvane {

static_assert(sizeof(Variant) == 16, "a value is two words: kind and size, then number, text or array");

Variant::Variant(std::string_view value) : meta_(Tag(Kind::String)) {
    if (value.empty()) return;  // the empty text needs no block
    if (value.size() > UINT32_MAX) throw Error(errnum::Overflow, "Overflow: a text of 4 GB or more cannot be held");
    detail::TextChunk* chunk = detail::TextChunk::Make(value.size());
    std::memcpy(chunk->Bytes(), value.data(), value.size());
    chunk->used = static_cast<std::uint32_t>(value.size());
    chunk->users.store(1, std::memory_order_relaxed);  // this value
    chunk_ = chunk;
    size_ = static_cast<std::uint32_t>(value.size());
}

Variant::Variant(detail::TextChunk* chunk, std::uint32_t offset, std::uint32_t size) noexcept
    : meta_(Tag(Kind::String) | offset << 8), size_(size) {
    chunk_ = chunk;
}

Variant::Variant(VariantArray array) : meta_(Tag(Kind::Array)) { array_ = new VariantArray(std::move(array)); }

Variant Variant::Null() noexcept {
    Variant v;
    v.meta_ = Tag(Kind::Null);
    return v;
}

// Text is shared: a copy counts one more user of its block. An array is
// copied element by element.
Variant::Variant(const Variant& other) : meta_(other.meta_), size_(other.size_) {
    switch (GetKind()) {
        case Kind::String:
            chunk_ = other.chunk_;
            if (chunk_) chunk_->AddUser();
            break;
        case Kind::Long: long_ = other.long_; break;
        case Kind::Array: array_ = new VariantArray(*other.array_); break;
        default: break;
    }
}

Variant& Variant::operator=(const Variant& other) {
    if (this == &other) return *this;
    Variant copy(other);
    return *this = std::move(copy);
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        Release();
        StealFrom(other);
    }
    return *this;
}

void Variant::Release() noexcept {
    const Kind kind = GetKind();
    if (kind == Kind::String && chunk_) chunk_->DropUser();
    else if (kind == Kind::Array) delete array_;
    meta_ = Tag(Kind::Empty);
    chunk_ = nullptr;
}

std::int32_t Variant::ConvertToLong() const {
    switch (GetKind()) {
        case Kind::Empty: return 0;
        case Kind::Long: return long_;
        case Kind::Null: throw Error(errnum::InvalidUseOfNull, "Invalid use of Null: a missing value cannot be read as a number");
        case Kind::String: {
            const std::string s = Text();
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
    if (GetKind() == Kind::Long) return std::to_string(long_);
    return std::string(TextView());
}

std::string Variant::Text() const {
    if (GetKind() != Kind::String) throw Error(errnum::TypeMismatch, "Type mismatch: the value is not text");
    return std::string(TextView());
}

std::string_view Variant::TextView() const {
    switch (GetKind()) {
        case Kind::Empty:
        case Kind::Null: return std::string_view("", 0);  // never a null pointer, so "" stays text
        case Kind::String: return chunk_ ? std::string_view(chunk_->Bytes() + Offset(), size_) : std::string_view("", 0);
        case Kind::Long: throw Error(errnum::TypeMismatch, "Type mismatch: a number holds no text to look at");
        case Kind::Array: break;
    }
    throw Error(errnum::TypeMismatch, "Type mismatch: an array cannot be joined with text");
}

const VariantArray& Variant::Array() const {
    if (!IsArray()) throw Error(errnum::TypeMismatch, "Type mismatch: the value is not an array");
    return *array_;
}

VariantArray& Variant::Array() {
    if (!IsArray()) throw Error(errnum::TypeMismatch, "Type mismatch: the value is not an array");
    return *array_;
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.GetKind() != b.GetKind()) return false;
    switch (a.GetKind()) {
        case Variant::Kind::Long: return a.long_ == b.long_;
        case Variant::Kind::String: return a.TextView() == b.TextView();
        case Variant::Kind::Array: return *a.array_ == *b.array_;
        default: return true;
    }
}

VariantArray::VariantArray(std::int32_t lower1, std::int32_t upper1, std::int32_t lower2, std::int32_t upper2)
    : lower1_(lower1), upper1_(upper1), lower2_(lower2), upper2_(upper2) {
    if (upper1 < lower1 - 1 || upper2 < lower2 - 1) throw Error(errnum::SubscriptOutOfRange, "Subscript out of range: bad array bounds");
    auto n1 = static_cast<std::size_t>(static_cast<std::int64_t>(upper1) - lower1 + 1);
    auto n2 = static_cast<std::size_t>(static_cast<std::int64_t>(upper2) - lower2 + 1);
    elements_ = Elements(n1 * n2);
}

VariantArray::VariantArray(std::int32_t count1, std::int32_t count2, std::vector<Variant>&& elements)
    : VariantArray(count1, count2, [&elements] {
          Elements adopted;
          for (Variant& element : elements) adopted.push_back(std::move(element));
          return adopted;
      }()) {}

VariantArray::VariantArray(std::int32_t count1, std::int32_t count2, Elements&& elements)
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

void VariantArray::OutOfRange(std::int32_t i, std::int32_t j) {
    throw Error(errnum::SubscriptOutOfRange, "Subscript out of range: (" + std::to_string(i) + ", " + std::to_string(j) + ")");
}

namespace detail {

VariantBlocks::VariantBlocks(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) push_back(Variant());
}

VariantBlocks::~VariantBlocks() {
    TextChunk* run = nullptr;
    std::uint32_t users = 0;
    for (Block& block : blocks_) {
        for (Variant& value : block) {
            if (value.GetKind() != Variant::Kind::String || !value.chunk_) continue;
            if (value.chunk_ != run) {
                if (run) run->DropUsers(users);
                run = value.chunk_;
                users = 0;
            }
            ++users;
            value.meta_ = Variant::Tag(Variant::Kind::Empty);  // given back with its run
            value.chunk_ = nullptr;
        }
    }
    if (run) run->DropUsers(users);
}

void VariantBlocks::AddBlock() {
    blocks_.emplace_back();
    // Later blocks get their whole unit at once; the first grows, so that a
    // small array stays small.
    if (blocks_.size() > 1) blocks_.back().reserve(kPerBlock);
}

}  // namespace detail
}  // namespace orvane
