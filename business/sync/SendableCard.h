#pragma once

#include <string>

#include "transfer/ImportedCard.h"

namespace orvane::sync {

// The card sync sends for an address: the kept card (from the server or
// from an import) with the fields patched in, written anew as vCard 3.0 -
// or as 4.0 when the kept card is 4.0 and the server takes 4.0 - with
// `uid` when the card has no UID of its own. A plain card with the fields
// when nothing (or nothing readable) is kept.
std::string SendableCard(const std::string& kept, const transfer::AddressFields& fields, const std::string& uid,
                         bool serverTakesVCard4);

}  // namespace orvane::sync
