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

// What the translator knows of a column's values from the schema: text
// (or null), numbers (or null), or nothing certain.
enum class SqlType { Unknown, Text, Number };

// The function the connection registers for a "+" whose operand types are
// not known before the statement runs: it joins two texts, adds two
// numbers, adds a number and a text that reads as a number, gives null when
// either side is null, and raises "Type mismatch" for any other pair.
inline constexpr const char* kDialectPlusFunction = "orvane_plus";

// Turns a statement written in the program's (Jet) dialect into SQLite's:
//  - "DELETE * FROM" loses the "*";
//  - "+" joins text when both operands are text and becomes "||" (which,
//    like Jet's "+", gives null when either side is null); it stays an
//    addition when both are numbers, and calls kDialectPlusFunction when
//    the types are not both known; a unary "+" stays as it is;
//  - "&" joins text with null taken as empty text;
//  - "double-quoted" text is a string literal, [bracketed names] become
//    engine names (which the engine then requires to exist), `name` stays.
// Operand types: literals by their kind, columns through columnType (given
// the column's name; empty means no column is known), and the functions
// and operators whose result type is fixed. A name that the statement
// itself defines (WITH, or an alias after AS) is not taken from the schema.
// The rest, including the inside of literals, names and comments, passes
// unchanged; unterminated tokens pass as they stand, so the engine reports
// the syntax error. A "+" or "&" whose operands cannot be made out, and
// statements too deeply nested to read, raise orvane::Error: a statement is
// either translated to what it means or refused, never run otherwise.
std::string TranslateSql(std::string_view sql, const std::function<SqlType(std::string_view column)>& columnType);

}  // namespace orvane::adodb
