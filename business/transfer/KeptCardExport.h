#pragma once

#include <string>
#include <string_view>

#include "transfer/ImportedCard.h"
#include "transfer/VCardProperty.h"

namespace orvane::transfer {

// The card kept for an address as an export writes it: the seven fields
// written into it (only N, FN and the ADR and TEL they came from change),
// then the whole card written as a card of `version` (see WriteKeptCard),
// with `uid` when it has no UID of its own.
// Throws FileFormatError when the kept text holds no readable card.
std::string ExportedCard(std::string_view keptCard, const AddressFields& fields, VCardVersion version,
                         const std::string& uid);

}  // namespace orvane::transfer
