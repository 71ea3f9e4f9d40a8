#pragma once

#include <string>
#include <string_view>

#include "transfer/ImportedCard.h"

namespace orvane::sync {

// Writes the seven fields of an address back into the card they came from
// (vCard 2.1, 3.0 or 4.0; CRLF or LF; folded or not), changing only the
// properties the vCard reader maps to them: N and FN, the ADR and the TEL
// the reader takes. Every other line keeps its bytes; so do the parameters,
// the group and the untouched components of the changed properties. Reading
// the result gives back exactly the fields written.
//
// A field emptied where the card had more than one ADR (or TEL) leaves the
// taken one in place with an empty value, so the reader does not take
// another in its stead; the only ADR (or TEL) is removed instead. A field
// filled where the card had none adds the property before END:VCARD.
//
// The result is read back before it is returned. Where the card's own lines
// do not read back as written once changed, the changed properties are
// written anew (only their preference kept).
//
// Throws transfer::FileFormatError when the text holds no readable card, or
// when no patch reads back as the fields.
std::string PatchCard(std::string_view cardText, const transfer::AddressFields& fields);

}  // namespace orvane::sync
