#include "transfer/AddressKey.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>

namespace orvane::transfer {
namespace {

constexpr std::uint64_t Rotl(std::uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

struct SipState {
    std::uint64_t v0, v1, v2, v3;
    void Round() {
        v0 += v1; v1 = Rotl(v1, 13); v1 ^= v0; v0 = Rotl(v0, 32);
        v2 += v3; v3 = Rotl(v3, 16); v3 ^= v2;
        v0 += v3; v3 = Rotl(v3, 21); v3 ^= v0;
        v2 += v1; v1 = Rotl(v1, 17); v1 ^= v2; v2 = Rotl(v2, 32);
    }
    void Compress(std::uint64_t m) {
        v3 ^= m;
        Round();
        Round();
        v0 ^= m;
    }
};

std::uint64_t LittleEndian(const unsigned char* p, std::size_t n) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < n; ++i) value |= std::uint64_t{p[i]} << (8 * i);
    return value;
}

const std::array<std::uint64_t, 4>& RunKeys() {
    static const std::array<std::uint64_t, 4> keys{RandomKey(), RandomKey(), RandomKey(), RandomKey()};
    return keys;
}

}  // namespace

std::uint64_t RandomKey() {
    std::random_device device;
    return (std::uint64_t{device()} << 32) ^ device();
}

std::uint64_t SipHash24(std::string_view bytes, std::uint64_t k0, std::uint64_t k1) {
    SipState s{k0 ^ 0x736f6d6570736575ULL, k1 ^ 0x646f72616e646f6dULL, k0 ^ 0x6c7967656e657261ULL,
               k1 ^ 0x7465646279746573ULL};
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t whole = bytes.size() - bytes.size() % 8;
    for (std::size_t i = 0; i < whole; i += 8) s.Compress(LittleEndian(p + i, 8));
    s.Compress((std::uint64_t{bytes.size() & 0xFF} << 56) | LittleEndian(p + whole, bytes.size() - whole));
    s.v2 ^= 0xFF;
    for (int i = 0; i < 4; ++i) s.Round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

AddressKeySet::Slot AddressKeySet::SlotOf(std::string_view key) {
    Slot slot;
    std::memcpy(&slot.a, key.data(), std::min<std::size_t>(8, key.size()));
    if (key.size() > 8) std::memcpy(&slot.b, key.data() + 8, std::min<std::size_t>(8, key.size() - 8));
    slot.a |= 1;  // 127 bits of the key, and 0 marks an empty slot
    return slot;
}

std::size_t AddressKeySet::Find(const Slot& key) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(key.a >> 1) & mask;; i = (i + 1) & mask)
        if (slots_[i].a == 0 || (slots_[i].a == key.a && slots_[i].b == key.b)) return i;
}

std::size_t AddressKeySet::count(std::string_view key) const {
    if (size_ == 0) return 0;
    return slots_[Find(SlotOf(key))].a != 0 ? 1 : 0;
}

bool AddressKeySet::Full() const { return (size_ + 1) * 5 > slots_.size() * 4; }  // past four fifths

std::pair<std::size_t, bool> AddressKeySet::insert(std::string_view key) {
    if (Full()) Grow();
    const Slot slot = SlotOf(key);
    const std::size_t at = Find(slot);
    if (slots_[at].a != 0) return {at, false};
    slots_[at] = slot;
    ++size_;
    return {at, true};
}

void AddressKeySet::Grow() {
    std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(std::max<std::size_t>(64, slots_.size() * 2)));
    for (const Slot& slot : old)
        if (slot.a != 0) slots_[Find(slot)] = slot;
}

void AddressKeySet::merge(AddressKeySet& other) {
    if (size_ == 0) {
        // The common case of the first file: no second copy of its keys.
        std::swap(slots_, other.slots_);
        std::swap(size_, other.size_);
    }
    for (const Slot& slot : other.slots_) {
        if (slot.a == 0) continue;
        if (Full()) Grow();
        const std::size_t at = Find(slot);
        if (slots_[at].a == 0) {
            slots_[at] = slot;
            ++size_;
        }
    }
    other = AddressKeySet();
}

std::string AddressKey(const AddressFields& fields) {
    // Each field after its length: no other seven fields give the same text.
    std::string text;
    for (const std::string& field : fields) {
        text += std::to_string(field.size());
        text += ':';
        text += field;
    }
    const auto& k = RunKeys();
    const std::uint64_t halves[2] = {SipHash24(text, k[0], k[1]), SipHash24(text, k[2], k[3])};
    std::string key(16, '\0');
    std::memcpy(key.data(), halves, sizeof halves);
    return key;
}

}  // namespace orvane::transfer
