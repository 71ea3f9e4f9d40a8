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

}  // namespace orvane::sync
