#pragma once

#include <string>

#include "transfer/ImportedCard.h"

namespace orvane::transfer {

// An address as plain text for the clipboard: one field a line, in the
// order the window shows them, empty fields left out, no line end after
// the last line.
std::string AddressAsText(const AddressFields& fields);

}  // namespace orvane::transfer
