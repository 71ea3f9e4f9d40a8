#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "transfer/ImportedCard.h"

namespace orvane::transfer {

// A 16-byte key of the seven fields of an address, for telling whether an
// address is already stored: equal for equal fields, and for different
// fields equal only by a chance of 2^-128 that nobody can aim at (two
// SipHash-2-4 values under keys drawn at random for each run). Short enough
// to be kept in the string itself, so a million addresses cost no more than
// a set of a million small strings.
std::string AddressKey(const AddressFields& fields);

// A set of address keys kept flat: 16 bytes a slot, open addressing, at
// least half the slots used; no allocation per address.
class AddressKeySet {
public:
    std::size_t count(std::string_view key) const;
    // Whether the key was new (second), as a standard set tells it.
    std::pair<std::size_t, bool> insert(std::string_view key);
    // Takes every key of other, which is left empty.
    void merge(AddressKeySet& other);
    std::size_t size() const { return size_; }
    void clear() {
        slots_.clear();
        size_ = 0;
    }

private:
    struct Slot {
        std::uint64_t a = 0, b = 0;  // a is never 0 in a used slot
    };
    static Slot SlotOf(std::string_view key);
    std::size_t Find(const Slot& key) const;  // its slot, or the empty one where it would go
    bool Full() const;
    void Grow();

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
};

// SipHash-2-4 of bytes under a 128-bit key (k0, k1).
// A 64-bit key half drawn at random (std::random_device).
std::uint64_t RandomKey();
std::uint64_t SipHash24(std::string_view bytes, std::uint64_t k0, std::uint64_t k1);

}  // namespace orvane::transfer
