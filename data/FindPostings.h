#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One entry of a posting list of the search index: an address, and a value
// the index's user gives it (whether the word was in a name; where phone
// digits stand).
struct FindPosting {
    std::int32_t id = 0;
    std::uint32_t value = 0;
    friend bool operator==(const FindPosting&, const FindPosting&) = default;
    friend auto operator<=>(const FindPosting&, const FindPosting&) = default;
};

// The index keeps the postings of one word and one block of addresses as a
// blob: per entry, the ID's distance from the previous one and the value,
// each as a variable-length number (seven bits a byte, low bits first).
namespace orvane::data::FindPostings {

// The addresses of one block share their ID's upper bits: a block of the
// index holds the postings of 4096 consecutive IDs.
inline constexpr int kBlockBits = 12;
inline constexpr std::int64_t BlockOf(std::int32_t id) { return std::int64_t{id} >> kBlockBits; }

// entries: sorted, each once.
std::string Encode(const std::vector<FindPosting>& entries);

// Calls onPosting(id, value) for each entry. A blob cut short or otherwise
// broken ends early: the entries before are still told.
template <typename OnPosting>
void Decode(std::string_view bytes, OnPosting onPosting) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    const auto next = [&](std::uint64_t& out) {
        out = 0;
        for (int shift = 0; p < end && shift < 64; shift += 7) {
            const unsigned char b = *p++;
            out |= std::uint64_t{b & 0x7Fu} << shift;
            if (!(b & 0x80u)) return true;
        }
        return false;
    };
    std::uint64_t id = 0, delta = 0, value = 0;
    while (p < end) {
        if (!next(delta) || !next(value)) return;
        id += delta;
        onPosting(static_cast<std::int32_t>(static_cast<std::uint32_t>(id)), static_cast<std::uint32_t>(value));
    }
}

std::vector<FindPosting> DecodeAll(std::string_view bytes);

// A row of the index holds the words of one block that begin with the same
// head (their first two bytes, or the one of a word of one byte), in word
// order, each followed by its postings: few rows to write and to step
// through, and a prefix of two or more bytes is found in one row a block.
inline constexpr std::size_t kHeadBytes = 2;
inline std::string_view HeadOf(std::string_view word) { return word.substr(0, std::min(word.size(), kHeadBytes)); }

void AppendWord(std::string& row, std::string_view word, std::string_view postings);

// Calls onWord(word, postings) for each word of a row; a broken row ends early.
template <typename OnWord>
void ForEachWord(std::string_view row, OnWord onWord) {
    const auto part = [&](std::string_view& out) {
        std::uint64_t size = 0;
        std::size_t used = 0;
        for (int shift = 0; used < row.size() && shift < 64; shift += 7) {
            const auto b = static_cast<unsigned char>(row[used++]);
            size |= std::uint64_t{b & 0x7Fu} << shift;
            if (!(b & 0x80u)) {
                if (size > row.size() - used) return false;
                out = row.substr(used, static_cast<std::size_t>(size));
                row.remove_prefix(used + static_cast<std::size_t>(size));
                return true;
            }
        }
        return false;
    };
    std::string_view word, postings;
    while (!row.empty() && part(word) && part(postings)) onWord(word, postings);
}

}  // namespace orvane::data::FindPostings
