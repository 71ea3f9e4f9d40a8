#include "transfer/TextTools.h"

namespace orvane::transfer::text {
namespace {
char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = UpperChar(c);
    return out;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = LowerChar(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperChar(a[i]) != UpperChar(b[i])) return false;
    return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string JoinNonEmpty(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!out.empty()) out += separator;
        out += part;
    }
    return out;
}

std::pair<std::string, std::string> SplitAtLastBlank(std::string_view fullName) {
    const std::string_view name = Trim(fullName);
    const std::size_t blank = name.find_last_of(' ');
    if (blank == std::string_view::npos) return {std::string(name), {}};
    return {std::string(Trim(name.substr(0, blank))), std::string(name.substr(blank + 1))};
}

std::string Grouped(std::size_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string Excerpt(std::string_view line) {
    constexpr std::size_t kMax = 60;
    std::string out;
    std::size_t i = 0;
    for (; i < line.size() && i < kMax; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        out += c < 0x20 || c == 0x7F ? ' ' : line[i];
    }
    if (i < line.size()) {
        // Back off to the start of a UTF-8 sequence so none is cut.
        while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();
        if (!out.empty() && static_cast<unsigned char>(out.back()) >= 0xC0) out.pop_back();
        out += "...";
    }
    return out;
}

std::size_t FindOutsideQuotes(std::string_view s, std::string_view stops, std::size_t from) {
    bool quoted = false;
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] == '"') quoted = !quoted;
        else if (!quoted && stops.find(s[i]) != std::string_view::npos) return i;
    }
    return std::string_view::npos;
}

}  // namespace orvane::transfer::text
