#include "FindPostings.h"

namespace orvane::data::FindPostings {
namespace {

void Put(std::string& out, std::uint64_t v) {
    while (v >= 0x80) {
        out += static_cast<char>((v & 0x7F) | 0x80);
        v >>= 7;
    }
    out += static_cast<char>(v);
}

}  // namespace

std::string Encode(const std::vector<FindPosting>& entries) {
    std::string out;
    out.reserve(entries.size() * 2);
    std::uint32_t last = 0;
    for (const FindPosting& e : entries) {
        const auto id = static_cast<std::uint32_t>(e.id);
        Put(out, id - last);
        Put(out, e.value);
        last = id;
    }
    return out;
}

void AppendWord(std::string& row, std::string_view word, std::string_view postings) {
    Put(row, word.size());
    row += word;
    Put(row, postings.size());
    row += postings;
}

std::vector<FindPosting> DecodeAll(std::string_view bytes) {
    std::vector<FindPosting> out;
    Decode(bytes, [&](std::int32_t id, std::uint32_t value) { out.push_back({id, value}); });
    return out;
}

}  // namespace orvane::data::FindPostings
