#pragma once

// Small helpers the database tests share.

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "adodb/WorkLimits.h"
#include "core/Error.h"
#include "core/Variant.h"

namespace orvane::test {

// An 8 x 1 address record: the ID, the first name, and "f2".."f7".
inline Variant AddressRecord(std::int32_t id, const std::string& first) {
    VariantArray a(0, 7, 0, 0);
    a.At(0, 0) = id;
    a.At(1, 0) = first;
    for (std::int32_t i = 2; i <= 7; ++i) a.At(i, 0) = std::string("f") + std::to_string(i);
    return Variant(std::move(a));
}

// The description of the error fn raises, or "(no error)".
inline std::string ErrorText(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const orvane::Error& e) {
        return e.Description();
    }
    return "(no error)";
}

// text as an SQL string literal.
inline std::string SqlQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

inline std::string FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Lowers the work limits while it lives, so a test of them ends quickly.
class LimitsFor {
public:
    explicit LimitsFor(adodb::WorkLimits limits) : saved_(adodb::CurrentWorkLimits()) { adodb::SetWorkLimits(limits); }
    ~LimitsFor() { adodb::SetWorkLimits(saved_); }
    LimitsFor(const LimitsFor&) = delete;
    LimitsFor& operator=(const LimitsFor&) = delete;

private:
    adodb::WorkLimits saved_;
};

}  // namespace orvane::test
