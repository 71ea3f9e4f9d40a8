#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::adodb {

enum class SqlTokenKind {
    Blank,        // white space
    Comment,      // -- to the end of the line, or /* ... */
    String,       // 'text', with '' standing for one quote
    QuotedName,   // "name" (or `name`), with a doubled quote standing for one
    BracketName,  // [name]
    Number,       // 42, 1.5, .5, 1e10, 0x1F
    Word,         // identifiers and keywords
    Parameter,    // ?, ?3, :name, @name, $name
    Operator,     // || <= >= <> != == << >> -> ->> and single punctuation
    Other         // any other byte
};

struct SqlToken {
    SqlTokenKind kind;
    std::string_view text;   // the exact source text of the token
    bool terminated = true;  // false for a string, name or comment cut off by the end of the text
};

// Splits SQL into tokens whose texts, joined, give back the input exactly.
// Never fails: an unterminated string, quoted name, bracket or comment
// becomes one token that runs to the end (terminated == false).
std::vector<SqlToken> TokenizeSql(std::string_view sql);

// Turns a statement written in the program's (Jet) dialect into SQLite's:
//  - "DELETE * FROM" loses the "*";
//  - "+" next to a text operand (a string literal, or a column for which
//    isTextColumn is true) joins text and becomes "||", which, like Jet's
//    "+", gives null when either side is null; other "+" stay additions;
//  - [bracketed names] become "double-quoted" names.
// Everything else, including the inside of literals, names and comments,
// is passed through unchanged. Unterminated tokens are passed through as
// they stand, so the engine reports the syntax error. Never throws on its
// own (only what isTextColumn throws passes through); isTextColumn may be
// empty, meaning no column is text.
//
// "||" binds tighter than "*" and "/" where Jet's "+" does not, so an
// unparenthesised mix such as a*b+'x' groups differently; the program's
// statements never mix them.
std::string TranslateSql(std::string_view sql, const std::function<bool(std::string_view column)>& isTextColumn);

}  // namespace orvane::adodb
