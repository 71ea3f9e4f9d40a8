#include "adodb/ConnectionString.h"

#include <algorithm>
#include <vector>

#include "adodb/ErrorNumbers.h"
#include "core/App.h"
#include "core/Error.h"

namespace orvane::adodb {
namespace {

constexpr char Lower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool IsBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) noexcept {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}


// A quoted value: from the quote at start to its closing quote, a doubled
// quote standing for one; only blanks may follow before the next ";".
// Returns the position of that ";" (or the end of the text).
std::size_t ReadQuoted(std::string_view text, std::size_t start, std::string& value) {
    const char quote = text[start];
    std::size_t i = start + 1;
    for (;; ++i) {
        if (i >= text.size())
            throw Error(aderr::InvalidArgument, "The connection string is not valid: a quoted value is not closed.");
        if (text[i] != quote) {
            value += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == quote) {
            value += quote;
            ++i;
        } else {
            break;
        }
    }
    const std::size_t end = std::min(text.find(';', i + 1), text.size());
    if (!Trim(text.substr(i + 1, end - i - 1)).empty())
        throw Error(aderr::InvalidArgument, "The connection string is not valid: text follows a quoted value.");
    return end;
}

bool IsProviderName(std::string_view v) noexcept {
    return !v.empty() && std::all_of(v.begin(), v.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    });
}

// Whether a segment that follows a ";" inside an unquoted Data Source is a
// pair of the syntax, so the ";" ends the value. A folder's own name never
// qualifies: the application folder is always followed by the program's
// "\Database\..." path, and no other key of the syntax holds a path.
bool IsPairOfTheSyntax(std::string_view segment) {
    segment = Trim(segment);
    if (segment.empty()) return true;
    const std::size_t equals = segment.find('=');
    if (equals == std::string_view::npos) return false;
    const std::string_view key = Trim(segment.substr(0, equals));
    const std::string_view value = Trim(segment.substr(equals + 1));
    if (EqualsNoCase(key, "Provider")) return IsProviderName(value);
    if (EqualsNoCase(key, "Persist Security Info"))
        return EqualsNoCase(value, "True") || EqualsNoCase(value, "False") || EqualsNoCase(value, "Yes") ||
               EqualsNoCase(value, "No");
    if (EqualsNoCase(key, "Mode"))
        return !value.empty() && std::all_of(value.begin(), value.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ' ' || c == '|';
        });
    if (EqualsNoCase(key, "Data Source") || key.empty()) return false;
    const bool keyLike = std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == ':' ||
               c == '.' || c == '_' || c == '-';
    });
    return keyLike && value.find_first_of("\\/") == std::string_view::npos;
}

// Where an unquoted Data Source value ends, given the first ";" after it:
// at the first ";" after which every segment is a pair of the syntax.
// Suffixes are judged from the right, so this is linear in the text.
std::size_t DataSourceEnd(std::string_view text, std::size_t firstSemicolon) {
    std::vector<std::size_t> semicolons;
    for (std::size_t i = firstSemicolon; i < text.size(); i = text.find(';', i + 1)) semicolons.push_back(i);
    std::size_t end = text.size();  // no ";" qualifies: the value runs to the end
    bool restIsPairs = true;
    std::size_t segmentEnd = text.size();
    std::vector<bool> qualifies(semicolons.size());
    for (std::size_t k = semicolons.size(); k-- > 0;) {
        restIsPairs = restIsPairs && IsPairOfTheSyntax(text.substr(semicolons[k] + 1, segmentEnd - semicolons[k] - 1));
        qualifies[k] = restIsPairs;
        segmentEnd = semicolons[k];
    }
    for (std::size_t k = 0; k < semicolons.size(); ++k)
        if (qualifies[k]) return semicolons[k];
    return end;
}

}  // namespace

bool KeyLess::operator()(std::string_view a, std::string_view b) const noexcept {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

namespace {

// Parses text; quoted, when given, receives the keys whose value was quoted.
ConnectionProperties Parse(std::string_view text, ConnectionProperties* quoted) {
    ConnectionProperties properties;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find(';', pos), text.size());
        const std::string_view segment = Trim(text.substr(pos, end - pos));
        if (segment.empty()) {
            pos = end + 1;
            continue;
        }
        const std::size_t equals = segment.find('=');
        const std::string_view key = Trim(segment.substr(0, equals));
        if (equals == std::string_view::npos || key.empty())
            throw Error(aderr::InvalidArgument,
                        "The connection string is not valid: \"" + std::string(segment) + "\" is not a key=value pair.");
        const std::size_t valueStart = static_cast<std::size_t>(segment.data() - text.data()) + equals + 1;
        std::size_t valueEnd = end;
        std::string value;
        const std::string_view rest = Trim(text.substr(valueStart));
        if (!rest.empty() && (rest.front() == '"' || rest.front() == '\'')) {
            valueEnd = ReadQuoted(text, static_cast<std::size_t>(rest.data() - text.data()), value);
            if (quoted) quoted->insert_or_assign(std::string(key), std::string());
        } else {
            if (quoted) quoted->erase(std::string(key));
            if (EqualsNoCase(key, "Data Source")) valueEnd = DataSourceEnd(text, end);
            value = std::string(Trim(text.substr(valueStart, valueEnd - valueStart)));
        }
        properties.insert_or_assign(std::string(key), std::move(value));
        pos = valueEnd + 1;
    }
    return properties;
}

}  // namespace

ConnectionProperties ParseConnectionString(std::string_view text) { return Parse(text, nullptr); }

std::string ConnectionStringForFile(std::string_view path, bool readOnly) {
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + quoted + (readOnly ? ";Mode=Read;" : ";") +
           "Persist Security Info=False;";
}

ConnectionTarget ResolveConnectionString(std::string_view text) {
    ConnectionProperties quoted;
    const ConnectionProperties properties = Parse(text, &quoted);

    const auto provider = properties.find("Provider");
    if (provider == properties.end() || provider->second.empty())
        throw Error(aderr::ProviderNotFound,
                    "Provider cannot be found. It may not be properly installed. (The connection string names no Provider.)");
    if (!EqualsNoCase(provider->second, "Microsoft.Jet.OLEDB.4.0"))
        throw Error(aderr::ProviderNotFound, "Provider cannot be found. It may not be properly installed. (Provider '" +
                                                 provider->second + "')");

    const auto source = properties.find("Data Source");
    if (source == properties.end() || source->second.empty())
        throw Error(aderr::Unspecified, "The connection string names no Data Source (the database file).");

    ConnectionTarget target;
    // A quoted path is a file name of this system as it stands; an unquoted
    // one is the program's own "\\"-separated text.
    target.path = quoted.count("Data Source") ? source->second : App::NativePath(source->second);
    if (const auto mode = properties.find("Mode"); mode != properties.end()) target.readOnly = EqualsNoCase(mode->second, "Read");
    return target;
}

}  // namespace orvane::adodb
