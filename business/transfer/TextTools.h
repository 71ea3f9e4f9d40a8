#pragma once

#include <string>
#include <string_view>
#include <vector>

// Small text helpers shared by the contact readers and writers. Letter case
// is folded for ASCII only: the names they compare are ASCII.
namespace orvane::transfer::text {

std::string Upper(std::string_view s);
std::string Lower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
std::string_view Trim(std::string_view s);

// Index of the first of stops outside double quotes (a vCard's quoted
// parameter values), npos when none.
std::size_t FindOutsideQuotes(std::string_view s, std::string_view stops, std::size_t from = 0);

// The non-empty parts joined by separator.
std::string JoinNonEmpty(const std::vector<std::string>& parts, std::string_view separator);

// "Mary Ann Smith" -> {"Mary Ann", "Smith"}; a text without a blank is all
// first name.
std::pair<std::string, std::string> SplitAtLastBlank(std::string_view fullName);

// "1,204": thousands grouped with commas.
std::string Grouped(std::size_t n);

// A short excerpt of a line for messages: at most 60 characters, never
// cutting a UTF-8 sequence, control characters shown as blanks.
std::string Excerpt(std::string_view line);

}  // namespace orvane::transfer::text
