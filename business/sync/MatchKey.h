#pragma once

#include <string>
#include <string_view>

#include "transfer/ImportedCard.h"

namespace orvane::sync {

// What an address and a card must share to be taken for the same person
// when they are linked without a record (first sync, or both new since the
// last run): the seven fields with blanks trimmed and inner runs of blanks
// made one, letters in lower case, the phone number by its digits alone.
//
// Lower case is taken for ASCII, Latin-1 (À-Þ), Latin Extended-A
// (Ā-ž), Greek (Α-Ω, the accented capitals, final sigma as sigma) and Cyrillic (Ѐ-Я); other characters compare as they
// are (no Unicode normalisation: a composed and a decomposed "é" differ).
std::string MatchKey(const transfer::AddressFields& fields);

// The text as the key compares it: blanks trimmed and joined, lower case.
std::string FoldedForMatch(std::string_view text);

}  // namespace orvane::sync
