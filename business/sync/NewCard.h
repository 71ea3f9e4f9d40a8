#pragma once

#include <string>

#include "transfer/ImportedCard.h"

namespace orvane::sync {

// A random (version 4) UUID in its usual lower-case form, from a generator
// seeded by std::random_device.
std::string RandomUuid();

// A plain vCard 3.0 for an address typed here, as the vCard writer writes
// 3.0 (N, FN, ADR and TEL when they hold anything), with the UID given.
std::string NewCardText(const transfer::AddressFields& fields, const std::string& uid);

// The card with the UID given: an empty UID line of its own takes the value,
// else a UID line goes right before END:VCARD, with the card's own line end.
// Every other byte stays. For a card that has no UID.
std::string WithUid(const std::string& card, const std::string& uid);

}  // namespace orvane::sync
