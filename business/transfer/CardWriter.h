#pragma once

#include <string>
#include <string_view>

#include "transfer/CardProperties.h"
#include "transfer/ImportedCard.h"

namespace orvane::transfer {

// A kept card (vCard 2.1, 3.0 or 4.0 as another program wrote it) written
// as a valid card of version `to` (3.0 or 4.0), also when it already is in
// that version: BEGIN:VCARD, VERSION next, CRLF, lines folded at 75 octets
// without splitting a UTF-8 sequence, names upper case, the parameters,
// escapes and encodings of that version (see ConvertProperties for the
// properties one version has and the other has not). N, FN and UID are
// always there: N from `fields` (last and first name) when the card has
// none, FN from N when it has none, `uid` when the card has no UID.
// Throws FileFormatError when the text holds no card.
std::string WriteKeptCard(std::string_view cardText, VCardVersion to, const AddressFields& fields,
                          const std::string& uid);

// The properties written as they stand, in the syntax of `to` (3.0 or 4.0).
std::string WriteCardProperties(const KeptCardProperties& card, VCardVersion to);

// The version a card text says it is (3.0 when it says none).
VCardVersion CardVersionOf(std::string_view cardText);

}  // namespace orvane::transfer
