#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "card/CardModel.h"

namespace orvane::card {

// The error number of a value the user typed wrong ("Invalid property value").
inline constexpr std::int32_t kInvalidCardValue = 380;

// Checks what a user can get wrong: each e-mail address needs a name, an
// "@" and a domain; each date must exist. Raises orvane::Error naming the
// field ("E-mail address 2", "Birthday").
void ValidateCardModel(const CardModel& model);

// A date as typed: "1980-05-21", or "05-21" (also "--05-21") without a
// year; none for empty text. Raises orvane::Error naming `field` when the
// text is no date or the date does not exist.
std::optional<CardDate> ParseCardDate(const std::string& field, const std::string& typed);

}  // namespace orvane::card
