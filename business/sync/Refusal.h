#pragma once

#include <string>

#include "transfer/ImportedCard.h"

// What a refused write is known by between runs.
namespace orvane::sync {

// A hash of a card as sent (FNV-1a, 64 bits, in hex), without its UID
// lines: a card made here for a new address gets a new UID at every run, and
// is still the same card. Only tells whether a card changed since the
// server refused it; not for security.
std::string CardHash(const std::string& card);

// An address as the address list shows it: "First, Last".
std::string DisplayText(const transfer::AddressFields& fields);

}  // namespace orvane::sync
