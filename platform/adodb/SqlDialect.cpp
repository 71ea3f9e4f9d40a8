#include "adodb/SqlDialect.h"

#include <algorithm>
#include <optional>

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

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

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

bool IsName(const SqlToken& t) noexcept {
    return t.terminated &&
           (t.kind == SqlTokenKind::Word || t.kind == SqlTokenKind::QuotedName || t.kind == SqlTokenKind::BracketName);
}

bool IsOperator(const SqlToken& t, std::string_view op) noexcept { return t.kind == SqlTokenKind::Operator && t.text == op; }

// The name a name token stands for: quotes or brackets removed.
std::string NameOf(const SqlToken& t) {
    if (t.kind == SqlTokenKind::Word) return std::string(t.text);
    const std::string_view inner = t.text.substr(1, t.text.size() - 2);
    if (t.kind == SqlTokenKind::BracketName) return std::string(inner);
    const char quote = t.text.front();
    std::string name;
    name.reserve(inner.size());
    for (std::size_t i = 0; i < inner.size(); ++i) {
        name += inner[i];
        if (inner[i] == quote) ++i;  // a doubled quote stands for one
    }
    return name;
}

void AppendBracketAsQuoted(std::string& out, const SqlToken& t) {
    if (!t.terminated) {
        out += t.text;
        return;
    }
    out += '"';
    for (char c : t.text.substr(1, t.text.size() - 2)) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

class Translator {
public:
    Translator(std::vector<SqlToken> tokens, const std::function<bool(std::string_view)>& isTextColumn)
        : tokens_(std::move(tokens)), isTextColumn_(isTextColumn) {}

    std::string Run(std::size_t sizeHint) {
        std::string out;
        out.reserve(sizeHint + sizeHint / 8 + 8);
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            const SqlToken& t = tokens_[i];
            if (IsOperator(t, "*") && FollowsDelete(i)) {
                // Keep the words apart when the "*" was the only separator.
                if (!IsSeparator(i - 1) && !IsSeparator(i + 1)) out += ' ';
            } else if (IsOperator(t, "+") && JoinsText(i)) {
                out += "||";
            } else if (t.kind == SqlTokenKind::BracketName) {
                AppendBracketAsQuoted(out, t);
            } else {
                out += t.text;
            }
        }
        return out;
    }

private:
    bool IsSkippable(std::size_t i) const noexcept {
        return tokens_[i].kind == SqlTokenKind::Blank || tokens_[i].kind == SqlTokenKind::Comment;
    }
    bool IsSeparator(std::size_t i) const noexcept { return i >= tokens_.size() || IsSkippable(i); }

    std::optional<std::size_t> Previous(std::size_t i) const noexcept {
        while (i > 0) {
            --i;
            if (!IsSkippable(i)) return i;
        }
        return std::nullopt;
    }
    std::optional<std::size_t> Following(std::size_t i) const noexcept {
        for (++i; i < tokens_.size(); ++i)
            if (!IsSkippable(i)) return i;
        return std::nullopt;
    }

    bool FollowsDelete(std::size_t i) const noexcept {
        const auto before = Previous(i);
        return before && tokens_[*before].kind == SqlTokenKind::Word && EqualsNoCase(tokens_[*before].text, "DELETE");
    }

    bool IsTextColumn(std::size_t i) const {
        if (!isTextColumn_) return false;
        // A name followed by "(" calls a function; it is no column.
        if (const auto after = Following(i); after && IsOperator(tokens_[*after], "(")) return false;
        return isTextColumn_(NameOf(tokens_[i]));
    }

    // The operand left of "+" ends at the token before it; the one on the
    // right may be qualified (tblAddress.LastName), so its column is the
    // last name of the chain.
    bool LeftIsText(std::size_t plus) const {
        const auto left = Previous(plus);
        if (!left) return false;
        const SqlToken& t = tokens_[*left];
        if (t.kind == SqlTokenKind::String) return true;
        return IsName(t) && IsTextColumn(*left);
    }
    bool RightIsText(std::size_t plus) const {
        auto right = Following(plus);
        if (!right) return false;
        if (tokens_[*right].kind == SqlTokenKind::String) return true;
        if (!IsName(tokens_[*right])) return false;
        for (;;) {
            const auto dot = Following(*right);
            if (!dot || !IsOperator(tokens_[*dot], ".")) break;
            const auto part = Following(*dot);
            if (!part || !IsName(tokens_[*part])) break;
            right = part;
        }
        return IsTextColumn(*right);
    }
    bool JoinsText(std::size_t plus) const { return LeftIsText(plus) || RightIsText(plus); }

    std::vector<SqlToken> tokens_;
    const std::function<bool(std::string_view)>& isTextColumn_;
};

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

std::string TranslateSql(std::string_view sql, const std::function<bool(std::string_view column)>& isTextColumn) {
    return Translator(TokenizeSql(sql), isTextColumn).Run(sql.size());
}

}  // namespace orvane::adodb
