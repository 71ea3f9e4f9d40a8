#include "adodb/SqlDialect.h"


namespace orvane::adodb {
namespace {

bool IsBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) noexcept { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
// Bytes of UTF-8 sequences count as letters, as they do for the engine.
bool IsWordStart(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsWordPart(char c) noexcept { return IsWordStart(c) || IsDigit(c) || c == '$'; }

// Length of a quoted token starting at s[0] == quote, where a doubled quote
// stands for one; sets terminated.
std::size_t QuotedLength(std::string_view s, char quote, bool& terminated) noexcept {
    std::size_t i = 1;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                i += 2;
                continue;
            }
            terminated = true;
            return i + 1;
        }
        ++i;
    }
    terminated = false;
    return s.size();
}

std::size_t NumberLength(std::string_view s) noexcept {
    std::size_t i = 0;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && IsHexDigit(s[2])) {
        i = 2;
        while (i < s.size() && IsHexDigit(s[i])) ++i;
        return i;
    }
    while (i < s.size() && IsDigit(s[i])) ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) ++j;
            i = j;
        }
    }
    return i;
}

SqlToken NextToken(std::string_view s) noexcept {
    const char c = s[0];
    const char next = s.size() > 1 ? s[1] : '\0';
    auto take = [&](SqlTokenKind kind, std::size_t length, bool terminated = true) {
        return SqlToken{kind, s.substr(0, length), terminated};
    };

    if (IsBlank(c)) {
        std::size_t i = 1;
        while (i < s.size() && IsBlank(s[i])) ++i;
        return take(SqlTokenKind::Blank, i);
    }
    if (c == '-' && next == '-') {
        const std::size_t end = s.find('\n');
        return take(SqlTokenKind::Comment, end == std::string_view::npos ? s.size() : end);
    }
    if (c == '/' && next == '*') {
        const std::size_t end = s.find("*/", 2);
        if (end == std::string_view::npos) return take(SqlTokenKind::Comment, s.size(), false);
        return take(SqlTokenKind::Comment, end + 2);
    }
    if (c == '\'' || c == '"' || c == '`') {
        bool terminated = false;
        const std::size_t length = QuotedLength(s, c, terminated);
        return take(c == '\'' ? SqlTokenKind::String : SqlTokenKind::QuotedName, length, terminated);
    }
    if (c == '[') {
        const std::size_t end = s.find(']');
        if (end == std::string_view::npos) return take(SqlTokenKind::BracketName, s.size(), false);
        return take(SqlTokenKind::BracketName, end + 1);
    }
    if (IsDigit(c) || (c == '.' && IsDigit(next))) return take(SqlTokenKind::Number, NumberLength(s));
    if (IsWordStart(c)) {
        std::size_t i = 1;
        while (i < s.size() && IsWordPart(s[i])) ++i;
        return take(SqlTokenKind::Word, i);
    }
    if (c == '?') {
        std::size_t i = 1;
        while (i < s.size() && IsDigit(s[i])) ++i;
        return take(SqlTokenKind::Parameter, i);
    }
    if ((c == ':' || c == '@' || c == '$') && (IsWordPart(next))) {
        std::size_t i = 1;
        while (i < s.size() && IsWordPart(s[i])) ++i;
        return take(SqlTokenKind::Parameter, i);
    }
    if (c == '-' && next == '>') return take(SqlTokenKind::Operator, s.size() > 2 && s[2] == '>' ? 3 : 2);
    static constexpr std::string_view pairs[] = {"||", "<=", ">=", "<>", "!=", "==", "<<", ">>"};
    for (std::string_view pair : pairs)
        if (s.substr(0, 2) == pair) return take(SqlTokenKind::Operator, 2);
    static constexpr std::string_view singles = "+-*/%=<>!~&|(),.;";
    if (singles.find(c) != std::string_view::npos) return take(SqlTokenKind::Operator, 1);
    return take(SqlTokenKind::Other, 1);
}

}  // namespace

std::vector<SqlToken> TokenizeSql(std::string_view sql) {
    std::vector<SqlToken> tokens;
    tokens.reserve(sql.size() / 3 + 1);
    while (!sql.empty()) {
        SqlToken t = NextToken(sql);
        sql.remove_prefix(t.text.size());
        tokens.push_back(t);
    }
    return tokens;
}

}  // namespace orvane::adodb
