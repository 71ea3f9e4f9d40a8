#pragma once

#include <string>
#include <string_view>

#include "transfer/ImportedCard.h"
#include "transfer/VCardProperty.h"

namespace orvane::transfer {

// The card kept for an address as an export writes it: the seven fields
// written into it (only N, FN and the ADR and TEL they came from change),
// in the version asked for (see ConvertCardVersion), ending with a line end.
// Throws FileFormatError when the kept text holds no readable card.
std::string ExportedCard(std::string_view keptCard, const AddressFields& fields, VCardVersion version);

// A card of one version written in another. A card already in that version
// is returned byte for byte. Otherwise every line is written again, folded,
// with CRLF, changed only where the versions differ:
// - VERSION says the new version;
// - from 2.1: bare parameters become TYPE=..., quoted-printable values are
//   decoded (their character set undone) and CHARSET dropped, commas and
//   line breaks of text values escaped as 3.0 and 4.0 write them;
// - binary values: ENCODING=b (2.1 BASE64, 3.0) become data: URIs in 4.0
//   (the media type from TYPE), and a 4.0 data: URI becomes ENCODING=b with
//   its TYPE in 3.0;
// - preference: TYPE=pref (2.1, 3.0) is PREF=1 in 4.0 and back;
// - a 4.0 tel: URI phone is a plain number in 3.0 (";ext=" as " ext. "),
//   and a 4.0 photo, logo, sound or key given by URI says VALUE=uri.
// Properties and parameters that one version names and the other does not
// (a 4.0 KIND, a 3.0 LABEL) are kept as they are.
std::string ConvertCardVersion(std::string_view card, VCardVersion to);

}  // namespace orvane::transfer
