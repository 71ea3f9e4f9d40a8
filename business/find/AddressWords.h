#pragma once

#include <string>
#include <vector>

#include "FindField.h"
#include "FindIndexStore.h"

namespace orvane::find {

// One value of an address or its card, with the field it is in.
struct FieldValue {
    FindField field;
    std::string value;
};

// Every searchable value of the address and of its kept card, fields of the
// address first. A card that cannot be read adds nothing.
std::vector<FieldValue> SearchableValues(const FindSource& address);

// The index entries of those values: each folded word once, valued 1 when
// it is in a name field (else 0), and for phones "#" with every three
// digits in a row, valued with where they stand among the address's phone
// digits (so that a typed run of digits is found as three-digit pieces at
// the same distances).
std::vector<FindWord> IndexWords(const std::vector<FieldValue>& values);

// The digits of a text, in order.
std::string DigitsOf(std::string_view text);

// The first three digits a run must have to be looked for inside phone numbers.
inline constexpr std::size_t kPhoneDigitsMin = 3;
// The mark before phone digits in the index; never part of a folded word.
inline constexpr char kPhoneMark = '#';

}  // namespace orvane::find
