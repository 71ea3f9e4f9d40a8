// The dialect translation: a statement is read as clauses and expressions,
// each expression parsed with the program's (Jet) operator precedence, so
// that "+" and "&" are rewritten with their operands made out exactly.
#include <array>
#include <string>
#include <vector>

#include "adodb/ErrorNumbers.h"
#include "adodb/SqlDialect.h"
#include "core/Error.h"

namespace orvane::adodb {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

template <std::size_t N>
bool OneOf(std::string_view lowerWord, const std::array<std::string_view, N>& words) {
    for (std::string_view w : words)
        if (w == lowerWord) return true;
    return false;
}

// Words that open or separate clauses: never the start of an operand.
constexpr std::array<std::string_view, 62> kClauseWords{
    "select", "from",   "where",    "group",     "by",       "having",    "order",    "limit",     "offset",
    "union",  "all",    "intersect", "except",   "as",       "on",        "using",    "join",      "inner",
    "left",   "right",  "full",     "outer",     "cross",    "natural",   "into",     "values",    "set",
    "insert", "update", "delete",   "create",    "drop",     "alter",     "table",    "view",      "index",
    "trigger", "begin", "end",      "commit",    "rollback", "with",      "recursive", "distinct", "asc",
    "desc",   "then",   "when",     "else",      "and",      "or",        "is",       "in",        "like",
    "glob",   "match",  "regexp",   "between",   "escape",   "collate",   "returning", "replace"};
// Clause words that are also functions when a "(" follows.
constexpr std::array<std::string_view, 7> kFunctionWords{"left", "right", "replace", "like", "glob", "match", "regexp"};

constexpr std::array<std::string_view, 20> kTextFunctions{
    "trim",   "ltrim",  "rtrim", "upper", "lower",  "ucase",        "lcase",      "substr", "substring", "mid",
    "left",   "right",  "replace", "printf", "format", "group_concat", "string_agg", "char",  "hex",       "quote"};
constexpr std::array<std::string_view, 12> kNumberFunctions{"length", "len",   "abs",     "count",  "instr", "round",
                                                            "sum",    "total", "avg",     "unicode", "random", "sign"};

// How tightly the engine binds each kind of emitted expression.
enum Strength : int {
    kOr = 1, kAnd, kNot, kEquality, kRelational, kBitwise, kAdditive, kMultiplicative, kConcat, kUnary, kCollate, kPrimary
};

// The program's precedence, loosest first.
enum JetLevel : int { jOr = 1, jAnd, jNot, jCompare, jAmp, jAdd, jMultiply, jConcat };

constexpr int kMaxDepth = 200;

struct Operand {
    std::size_t first = 0, last = 0;  // significant-token positions
    SqlType type = SqlType::Unknown;
    bool isNull = false;
    int strength = kPrimary;
    // A bare column: its type is looked up only when a "+" needs it.
    std::size_t column = static_cast<std::size_t>(-1);
};

struct ParseFailure {};

enum class EditKind { Prepend, Append, Replace, Handled };
struct Edit {
    EditKind kind;
    std::size_t at;  // significant-token position
    std::string text;
};

class Translator {
public:
    Translator(std::string_view sql, const std::function<SqlType(std::string_view)>& columnType)
        : sql_(sql), tokens_(TokenizeSql(sql)), columnType_(columnType) {
        for (std::size_t i = 0; i < tokens_.size(); ++i)
            if (tokens_[i].kind != SqlTokenKind::Blank && tokens_[i].kind != SqlTokenKind::Comment) sig_.push_back(i);
        budget_ = 64 * sig_.size() + 4096;
        FindStatementNames();
    }

    std::string Run() {
        end_ = sig_.size();
        TranslateRange(0, sig_.size());
        return Apply();
    }

private:
    // ---- tokens ----
    const SqlToken& Tok(std::size_t p) const { return tokens_[sig_[p]]; }
    bool AtEnd() const { return pos_ >= end_; }
    bool IsOp(std::size_t p, std::string_view op) const {
        return p < end_ && Tok(p).kind == SqlTokenKind::Operator && Tok(p).text == op;
    }
    bool IsWord(std::size_t p, std::string_view lowerWord) const {
        return p < end_ && Tok(p).kind == SqlTokenKind::Word && Lower(Tok(p).text) == lowerWord;
    }
    void Advance() {
        if (++work_ > budget_)
            throw Error(aderr::ErrorsInCommand, "The statement is too complex to translate: " + Excerpt());
        ++pos_;
    }
    void Expect(bool ok) {
        if (!ok) throw ParseFailure{};
        Advance();
    }
    std::string Excerpt() const { return std::string(sql_.substr(0, 200)); }

    // Names the statement itself defines shadow the schema's.
    void FindStatementNames() {
        for (std::size_t p = 0; p < sig_.size(); ++p) {
            if (Tok(p).kind != SqlTokenKind::Word) continue;
            const std::string word = Lower(Tok(p).text);
            if (word == "with") hasWith_ = true;
            if (word == "as" && p + 1 < sig_.size()) aliases_.push_back(Lower(NameOf(Tok(p + 1))));
        }
    }

    static std::string NameOf(const SqlToken& t) {
        if (t.kind == SqlTokenKind::Word || !t.terminated || t.text.size() < 2) return std::string(t.text);
        const std::string_view inner = t.text.substr(1, t.text.size() - 2);
        if (t.kind == SqlTokenKind::BracketName) return std::string(inner);
        std::string name;
        for (std::size_t i = 0; i < inner.size(); ++i) {
            name += inner[i];
            if (inner[i] == t.text.front()) ++i;
        }
        return name;
    }

    SqlType ColumnType(const SqlToken& t) const {
        if (!columnType_ || hasWith_) return SqlType::Unknown;
        const std::string name = NameOf(t);
        for (const std::string& alias : aliases_)
            if (alias == Lower(name)) return SqlType::Unknown;
        return columnType_(name);
    }

    // ---- edits, undone with a failed parse ----
    void Log(EditKind kind, std::size_t at, std::string text = {}) { log_.push_back(Edit{kind, at, std::move(text)}); }
    void Wrap(const Operand& o) {
        Log(EditKind::Prepend, o.first, "(");
        Log(EditKind::Append, o.last, ")");
    }

    std::string Apply() {
        std::vector<std::string> before(sig_.size()), after(sig_.size());
        std::vector<const std::string*> replaced(sig_.size(), nullptr);
        std::vector<bool> handled(sig_.size(), false);
        for (const Edit& e : log_) {
            switch (e.kind) {
                case EditKind::Prepend: before[e.at] = e.text + before[e.at]; break;
                case EditKind::Append: after[e.at] += e.text; break;
                case EditKind::Replace: replaced[e.at] = &e.text; break;
                case EditKind::Handled: handled[e.at] = true; break;
            }
        }
        std::string out;
        out.reserve(sql_.size() + sql_.size() / 8 + 16);
        std::size_t p = 0;
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            if (p < sig_.size() && sig_[p] == i) {
                const SqlToken& t = tokens_[i];
                if ((IsOperatorText(t, "+") || IsOperatorText(t, "&")) && !handled[p])
                    throw Error(aderr::ErrorsInCommand, "The statement cannot be translated: the operands of \"" +
                                                            std::string(t.text) + "\" cannot be made out in: " + Excerpt());
                out += before[p];
                out += replaced[p] ? std::string_view(*replaced[p]) : t.text;
                out += after[p];
                ++p;
            } else {
                out += tokens_[i].text;
            }
        }
        return out;
    }
    static bool IsOperatorText(const SqlToken& t, std::string_view op) {
        return t.kind == SqlTokenKind::Operator && t.text == op;
    }

    // ---- clauses ----
    bool CanStartOperand(std::size_t p) const {
        const SqlToken& t = Tok(p);
        switch (t.kind) {
            case SqlTokenKind::Number:
            case SqlTokenKind::String:
            case SqlTokenKind::QuotedName:
            case SqlTokenKind::BracketName:
            case SqlTokenKind::Parameter: return true;
            case SqlTokenKind::Operator: return t.text == "(" || t.text == "-" || t.text == "+" || t.text == "~";
            case SqlTokenKind::Word: {
                const std::string word = Lower(t.text);
                if (!OneOf(word, kClauseWords)) return true;
                return OneOf(word, kFunctionWords) && IsOp(p + 1, "(");
            }
            default: return false;
        }
    }

    // Translates the statement (or subquery) between two positions: each
    // expression in it, and the tokens between them one by one.
    void TranslateRange(std::size_t begin, std::size_t end) {
        const std::size_t savedEnd = end_;
        end_ = end;
        std::size_t p = begin;
        while (p < end) {
            if (IsWord(p, "delete") && IsOp(p + 1, "*")) {
                // "DELETE * FROM": the "*" goes; a blank keeps the words apart.
                const bool spaced = sig_[p + 1] > sig_[p] + 1 || (p + 2 < sig_.size() && sig_[p + 2] > sig_[p + 1] + 1);
                Log(EditKind::Replace, p + 1, spaced ? "" : " ");
                p += 2;
                continue;
            }
            if (CanStartOperand(p)) {
                const std::size_t savedLog = log_.size();
                try {
                    pos_ = p;
                    ParseExpression(jOr);
                    p = pos_;
                    continue;
                } catch (const ParseFailure&) {
                    log_.resize(savedLog);
                }
            }
            RewriteToken(p);
            ++p;
        }
        end_ = savedEnd;
    }

    // The dialect's meaning of a single token wherever it stands.
    void RewriteToken(std::size_t p) {
        const SqlToken& t = Tok(p);
        if (!t.terminated) return;
        if (t.kind == SqlTokenKind::BracketName) {
            std::string quoted = "\"";
            for (char c : t.text.substr(1, t.text.size() - 2)) {
                if (c == '"') quoted += '"';
                quoted += c;
            }
            Log(EditKind::Replace, p, quoted + "\"");
        } else if (t.kind == SqlTokenKind::QuotedName && t.text.front() == '"') {
            std::string literal = "'";
            for (char c : NameOf(t)) {
                if (c == '\'') literal += '\'';
                literal += c;
            }
            Log(EditKind::Replace, p, literal + "'");
        }
    }

    // ---- expressions ----
    struct DepthGuard {
        explicit DepthGuard(int& depth) : depth_(depth) {
            if (++depth_ > kMaxDepth) throw ParseFailure{};
        }
        ~DepthGuard() { --depth_; }
        int& depth_;
    };

    Operand ParseExpression(int minLevel) {
        const DepthGuard guard(depth_);
        Operand left = ParseUnary();
        for (;;) {
            if (AtEnd()) return left;
            const std::size_t op = pos_;
            const SqlToken& t = Tok(op);
            const std::string word = t.kind == SqlTokenKind::Word ? Lower(t.text) : std::string();
            if (t.kind == SqlTokenKind::Operator) {
                const std::string_view o = t.text;
                int level = 0, strength = 0;
                SqlType type = SqlType::Number;
                if (o == "=" || o == "==" || o == "<>" || o == "!=") level = jCompare, strength = kEquality;
                else if (o == "<" || o == "<=" || o == ">" || o == ">=") level = jCompare, strength = kRelational;
                else if (o == "&" || o == "|" || o == "<<" || o == ">>") level = jAmp, strength = kBitwise;
                else if (o == "+" || o == "-") level = jAdd, strength = kAdditive;
                else if (o == "*" || o == "/" || o == "%") level = jMultiply, strength = kMultiplicative;
                else if (o == "||" || o == "->" || o == "->>") level = jConcat, strength = kConcat, type = o == "||" ? SqlType::Text : SqlType::Unknown;
                if (level == 0 || level < minLevel) return left;
                Advance();
                Operand right = ParseExpression(level + 1);
                if (o == "+") left = Plus(left, op, right);
                else if (o == "&") left = Ampersand(left, op, right);
                else left = Binary(left, right, strength, type);
                continue;
            }
            if (word == "or" || word == "and") {
                const int level = word == "or" ? jOr : jAnd;
                if (level < minLevel) return left;
                Advance();
                left = Binary(left, ParseExpression(level + 1), word == "or" ? kOr : kAnd, SqlType::Number);
                continue;
            }
            if (jCompare < minLevel) return left;
            if (!ParseComparisonTail(left)) return left;
        }
    }

    // IS, [NOT] LIKE/GLOB/MATCH/REGEXP/IN/BETWEEN, ISNULL, NOTNULL, NOT NULL,
    // COLLATE; false when none follows.
    bool ParseComparisonTail(Operand& left) {
        const auto wordAt = [&](std::size_t p) {
            return p < end_ && Tok(p).kind == SqlTokenKind::Word ? Lower(Tok(p).text) : std::string();
        };
        std::string word = wordAt(pos_);
        if (word == "isnull" || word == "notnull" || (word == "not" && wordAt(pos_ + 1) == "null")) {
            if (word == "not") Advance();
            Advance();
            left = Postfix(left, kEquality, SqlType::Number);
            return true;
        }
        if (word == "collate") {
            Advance();
            Expect(!AtEnd());
            left = Postfix(left, kCollate, left.type);
            return true;
        }
        const bool negated = word == "not";
        if (negated) word = wordAt(pos_ + 1);
        if (word == "is" && !negated) {
            Advance();
            if (IsWord(pos_, "not")) Advance();
            if (IsWord(pos_, "distinct")) {
                Advance();
                Expect(IsWord(pos_, "from"));
            }
            left = Binary(left, ParseExpression(jAmp), kEquality, SqlType::Number);
            return true;
        }
        if (word == "like" || word == "glob" || word == "match" || word == "regexp") {
            if (negated) Advance();
            Advance();
            left = Binary(left, ParseExpression(jAmp), kEquality, SqlType::Number);
            if (IsWord(pos_, "escape")) {
                Advance();
                left = Binary(left, ParseExpression(jAmp), kEquality, SqlType::Number);
            }
            return true;
        }
        if (word == "between") {
            if (negated) Advance();
            Advance();
            Operand low = ParseExpression(jAmp);
            Expect(IsWord(pos_, "and"));
            left = Binary(Binary(left, low, kEquality, SqlType::Number), ParseExpression(jAmp), kEquality, SqlType::Number);
            return true;
        }
        if (word == "in") {
            if (negated) Advance();
            Advance();
            if (IsOp(pos_, "(")) {
                left = Postfix(left, kEquality, SqlType::Number);
                left.last = ParseParenthesized().last;
            } else {
                left = Postfix(left, kEquality, SqlType::Number);
                left.last = ParseName().last;
            }
            return true;
        }
        return false;
    }

    Operand Binary(const Operand& left, const Operand& right, int strength, SqlType type) {
        if (left.strength < strength) Wrap(left);
        // The engine groups equal strengths from the left; joining is the
        // one that gives the same either way.
        if (right.strength < strength || (right.strength == strength && strength != kConcat)) Wrap(right);
        return Operand{left.first, right.last, type, false, strength};
    }
    Operand Postfix(const Operand& operand, int strength, SqlType type) {
        if (operand.strength < strength) Wrap(operand);
        return Operand{operand.first, pos_ - 1, type, false, strength};
    }

    SqlType TypeOf(const Operand& o) const {
        return o.column == static_cast<std::size_t>(-1) ? o.type : ColumnType(Tok(o.column));
    }
    bool TextLike(const Operand& o) const { return o.isNull || TypeOf(o) == SqlType::Text; }
    bool NumberLike(const Operand& o) const { return o.isNull || TypeOf(o) == SqlType::Number; }

    // Jet's "+": joins two texts, adds two numbers, null with null.
    Operand Plus(const Operand& left, std::size_t op, const Operand& right) {
        Log(EditKind::Handled, op);
        if (TextLike(left) && TextLike(right) && !(left.isNull && right.isNull)) {
            Log(EditKind::Replace, op, "||");
            Operand joined = Binary(left, right, kConcat, SqlType::Text);
            return joined;
        }
        if (NumberLike(left) && NumberLike(right)) return Binary(left, right, kAdditive, SqlType::Number);
        // Decided when the values are known.
        Log(EditKind::Prepend, left.first, std::string(kDialectPlusFunction) + "(");
        Log(EditKind::Replace, op, ",");
        Log(EditKind::Append, right.last, ")");
        return Operand{left.first, right.last, SqlType::Unknown, false, kPrimary};
    }

    // Jet's "&": text joined, null taken as empty text.
    Operand Ampersand(const Operand& left, std::size_t op, const Operand& right) {
        Log(EditKind::Handled, op);
        Log(EditKind::Prepend, left.first, "(ifnull(");
        Log(EditKind::Replace, op, ",'')||ifnull(");
        Log(EditKind::Append, right.last, ",''))");
        return Operand{left.first, right.last, SqlType::Text, false, kPrimary};
    }

    Operand ParseUnary() {
        if (AtEnd()) throw ParseFailure{};
        const std::size_t start = pos_;
        if (IsOp(pos_, "-") || IsOp(pos_, "+") || IsOp(pos_, "~")) {
            const bool plus = IsOp(pos_, "+");
            if (plus) Log(EditKind::Handled, pos_);
            Advance();
            const DepthGuard guard(depth_);
            Operand operand = ParseUnary();
            if (operand.strength < kUnary) Wrap(operand);
            Operand result{start, operand.last, plus ? operand.type : SqlType::Number, plus && operand.isNull, kUnary};
            if (plus) result.column = operand.column;
            return result;
        }
        if (IsWord(pos_, "not")) {
            Advance();
            Operand operand = ParseExpression(jNot);
            if (operand.strength < kNot) Wrap(operand);
            return Operand{start, operand.last, SqlType::Number, false, kNot};
        }
        return ParsePrimary();
    }

    Operand ParsePrimary() {
        if (AtEnd()) throw ParseFailure{};
        const std::size_t start = pos_;
        const SqlToken& t = Tok(pos_);
        if (!t.terminated) throw ParseFailure{};
        switch (t.kind) {
            case SqlTokenKind::Number: Advance(); return Operand{start, start, SqlType::Number};
            case SqlTokenKind::String: Advance(); return Operand{start, start, SqlType::Text};
            case SqlTokenKind::Parameter: Advance(); return Operand{start, start, SqlType::Unknown};
            case SqlTokenKind::QuotedName:
                if (t.text.front() == '"') {
                    RewriteToken(pos_);
                    Advance();
                    return Operand{start, start, SqlType::Text};
                }
                return ParseName();
            case SqlTokenKind::BracketName: return ParseName();
            case SqlTokenKind::Operator:
                if (t.text == "(") return ParseParenthesized();
                throw ParseFailure{};
            case SqlTokenKind::Word: break;
            default: throw ParseFailure{};
        }
        const std::string word = Lower(t.text);
        if (word == "null") {
            Advance();
            return Operand{start, start, SqlType::Unknown, true};
        }
        if (word == "true" || word == "false") {
            Advance();
            return Operand{start, start, SqlType::Number};
        }
        if (word == "case") return ParseCase();
        if (word == "cast" && IsOp(pos_ + 1, "(")) return ParseCast();
        if (word == "exists" && IsOp(pos_ + 1, "(")) {
            Advance();
            const Operand inner = ParseParenthesized();
            return Operand{start, inner.last, SqlType::Number};
        }
        if (OneOf(word, kClauseWords) && !(OneOf(word, kFunctionWords) && IsOp(pos_ + 1, "("))) throw ParseFailure{};
        return ParseName();
    }

    // A name, qualified (a.b.c, a.*) or called as a function.
    Operand ParseName() {
        if (AtEnd()) throw ParseFailure{};  // "x IN" with nothing after it
        const std::size_t start = pos_;
        std::size_t lastName = pos_;
        RewriteToken(pos_);
        Advance();
        while (IsOp(pos_, ".")) {
            Advance();
            if (IsOp(pos_, "*")) {
                Advance();
                return Operand{start, pos_ - 1, SqlType::Unknown};
            }
            Expect(!AtEnd() && Tok(pos_).terminated &&
                   (Tok(pos_).kind == SqlTokenKind::Word || Tok(pos_).kind == SqlTokenKind::BracketName ||
                    Tok(pos_).kind == SqlTokenKind::QuotedName));
            lastName = pos_ - 1;
            if (Tok(lastName).kind == SqlTokenKind::BracketName) RewriteToken(lastName);
        }
        if (IsOp(pos_, "(") && start == lastName) return ParseCall(start);
        Operand name{start, pos_ - 1, SqlType::Unknown};
        name.column = lastName;
        return name;
    }

    Operand ParseCall(std::size_t start) {
        const std::string name = Lower(NameOf(Tok(start)));
        Advance();  // "("
        if (IsOp(pos_, "*")) {
            Advance();
        } else if (!IsOp(pos_, ")")) {
            if (IsWord(pos_, "distinct")) Advance();
            ParseExpression(jOr);
            while (IsOp(pos_, ",")) {
                Advance();
                ParseExpression(jOr);
            }
        }
        Expect(IsOp(pos_, ")"));
        // FILTER (...) and OVER (...) hold clauses of their own.
        while (IsWord(pos_, "filter") || IsWord(pos_, "over")) {
            Advance();
            if (IsOp(pos_, "(")) SkipClause();
            else Expect(!AtEnd() && Tok(pos_).kind == SqlTokenKind::Word);
        }
        SqlType type = SqlType::Unknown;
        if (OneOf(name, kTextFunctions)) type = SqlType::Text;
        else if (OneOf(name, kNumberFunctions)) type = SqlType::Number;
        return Operand{start, pos_ - 1, type};
    }

    // "(" ... ")" holding clauses: translated as a statement of its own.
    void SkipClause() {
        const DepthGuard guard(depth_);
        const std::size_t close = MatchingClose(pos_);
        TranslateRange(pos_ + 1, close);
        pos_ = close;
        Advance();
    }

    std::size_t MatchingClose(std::size_t open) const {
        int depth = 0;
        for (std::size_t p = open; p < end_; ++p) {
            if (IsOp(p, "(")) ++depth;
            if (IsOp(p, ")") && --depth == 0) return p;
        }
        throw ParseFailure{};
    }

    // A subquery, or one or more expressions in parentheses.
    Operand ParseParenthesized() {
        const std::size_t start = pos_;
        if (IsWord(pos_ + 1, "select") || IsWord(pos_ + 1, "with") || IsWord(pos_ + 1, "values")) {
            SkipClause();
            return Operand{start, pos_ - 1, SqlType::Unknown};
        }
        Advance();
        if (IsOp(pos_, ")")) {  // IN ()
            Advance();
            return Operand{start, pos_ - 1, SqlType::Unknown};
        }
        Operand inner = ParseExpression(jOr);
        bool list = false;
        while (IsOp(pos_, ",")) {
            list = true;
            Advance();
            ParseExpression(jOr);
        }
        Expect(IsOp(pos_, ")"));
        Operand result{start, pos_ - 1, list ? SqlType::Unknown : inner.type, !list && inner.isNull, kPrimary};
        if (!list) result.column = inner.column;
        return result;
    }

    Operand ParseCase() {
        const std::size_t start = pos_;
        Advance();
        if (!IsWord(pos_, "when")) ParseExpression(jOr);
        Expect(IsWord(pos_, "when"));
        ParseExpression(jOr);
        Expect(IsWord(pos_, "then"));
        ParseExpression(jOr);
        while (IsWord(pos_, "when")) {
            Advance();
            ParseExpression(jOr);
            Expect(IsWord(pos_, "then"));
            ParseExpression(jOr);
        }
        if (IsWord(pos_, "else")) {
            Advance();
            ParseExpression(jOr);
        }
        Expect(IsWord(pos_, "end"));
        return Operand{start, pos_ - 1, SqlType::Unknown};
    }

    Operand ParseCast() {
        const std::size_t start = pos_;
        Advance();
        Advance();  // "("
        ParseExpression(jOr);
        Expect(IsWord(pos_, "as"));
        std::string type;
        while (!AtEnd() && !IsOp(pos_, ")")) {
            type += Lower(Tok(pos_).text);
            Advance();
        }
        Expect(IsOp(pos_, ")"));
        SqlType result = SqlType::Unknown;
        if (type.find("int") != std::string::npos || type.find("real") != std::string::npos ||
            type.find("num") != std::string::npos || type.find("floa") != std::string::npos ||
            type.find("doub") != std::string::npos)
            result = SqlType::Number;
        else if (type.find("char") != std::string::npos || type.find("text") != std::string::npos ||
                 type.find("clob") != std::string::npos)
            result = SqlType::Text;
        return Operand{start, pos_ - 1, result};
    }

    std::string_view sql_;
    std::vector<SqlToken> tokens_;
    const std::function<SqlType(std::string_view)>& columnType_;
    std::vector<std::size_t> sig_;
    std::vector<Edit> log_;
    std::vector<std::string> aliases_;
    bool hasWith_ = false;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::size_t work_ = 0;
    std::size_t budget_ = 0;
    int depth_ = 0;
};

}  // namespace

std::string TranslateSql(std::string_view sql, const std::function<SqlType(std::string_view column)>& columnType) {
    return Translator(sql, columnType).Run();
}

}  // namespace orvane::adodb
