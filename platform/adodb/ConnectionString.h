#pragma once

#include <map>
#include <string>
#include <string_view>

namespace orvane::adodb {

// Orders keys without regard to ASCII letter case, so "data source" finds
// "Data Source".
struct KeyLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};

using ConnectionProperties = std::map<std::string, std::string, KeyLess>;

// Splits "key=value;key=value;..." into its pairs. Keys are case-insensitive;
// blanks around keys, "=" and values are dropped; empty segments are skipped;
// a value runs to the next ";" and may itself contain "=". A value may be
// quoted with " or ' (a doubled quote standing for one), and then holds any
// text. An unquoted Data Source runs on past a ";" when what follows is no
// pair of the syntax (a known key with a value it takes), so a folder name
// with ";" in it reads back whole. A later key replaces an earlier one. A
// non-empty segment without "=" or with an empty key, and an unclosed
// quote, raise orvane::Error. Pure text work: safe on any input.
ConnectionProperties ParseConnectionString(std::string_view text);

// What a connection opens, taken from a parsed connection string.
struct ConnectionTarget {
    std::string path;       // the database file, in this system's form
    bool readOnly = false;  // "Mode=Read"
};

// A connection string that names the file at path exactly as given (quoted,
// so ";", "\\", quotes and blanks are part of the name), e.g. a path that a
// user typed on a command line.
std::string ConnectionStringForFile(std::string_view path, bool readOnly = false);

// Checks the provider (Microsoft.Jet.OLEDB.4.0, any letter case, is served
// by the embedded engine) and finds the database file ("Data Source": a
// quoted value as it stands, an unquoted one in this system's form as
// App::NativePath gives it). Raises orvane::Error for an unknown or
// missing provider and for a missing Data Source.
ConnectionTarget ResolveConnectionString(std::string_view text);

}  // namespace orvane::adodb
