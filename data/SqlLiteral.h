#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Values written into the statements of the card store and the sync state.
// The caller's statements take no bound parameters, so a value travels as a
// literal: text between single quotes with each quote doubled keeps every
// byte as it is (line ends, long lines, any UTF-8).
namespace orvane::data::SqlLiteral {

inline std::string Text(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 2);
    out += '\'';
    for (char c : value) {
        if (c == '\'') out += '\'';
        out += c;
    }
    out += '\'';
    return out;
}

inline std::string TextOrNull(const std::optional<std::string>& value) { return value ? Text(*value) : "NULL"; }

inline std::string Number(std::int32_t value) { return std::to_string(value); }

inline std::string NumberOrNull(const std::optional<std::int32_t>& value) { return value ? Number(*value) : "NULL"; }

}  // namespace orvane::data::SqlLiteral
