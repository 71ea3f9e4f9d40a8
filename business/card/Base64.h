#pragma once

#include <string>
#include <string_view>

namespace orvane::card {

// Standard base64 (RFC 4648) with padding, as vCard carries binary values.
std::string EncodeBase64(std::string_view bytes);
// Characters outside the alphabet (blanks, line breaks) are skipped; a
// value cut short keeps the whole bytes it holds.
std::string DecodeBase64(std::string_view text);

}  // namespace orvane::card
