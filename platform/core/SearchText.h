#pragma once

#include <string>
#include <string_view>
#include <vector>

// Text as the address search compares it: case and accents ignored.
namespace orvane::searchtext {

// The words of a text (runs of letters and digits), each folded: lower case,
// accents removed ("Müller" -> "muller", "Zoë" -> "zoe"), as UTF-8.
std::vector<std::string> Words(std::string_view text);

// The same folding of a whole text, separators kept (for ordering by it).
std::string Fold(std::string_view text);

}  // namespace orvane::searchtext
