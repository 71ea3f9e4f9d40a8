#pragma once

#include <string>
#include <string_view>

#include "transfer/ImportedCard.h"
#include "transfer/VCardProperty.h"

// The changed lines of a patched card, one builder per property the seven
// fields map to. Each takes the unfolded line as the card had it and gives
// the unfolded line to write; what the vCard reader makes of the result is
// exactly the new field values.
namespace orvane::sync {

struct NameParts {
    std::string prefix;
    std::string suffix;
};

// N with the family name and the given (plus additional) names replaced;
// prefix and suffix kept and returned in parts for FN.
std::string PatchName(std::string_view line, const transfer::VCardProperty& n, transfer::VCardVersion version,
                      const transfer::AddressFields& fields, NameParts& parts);
std::string NewNameLine(transfer::VCardVersion version, const transfer::AddressFields& fields);
// "Dr. Mary Smith Jr.": empty when both names are.
std::string FullName(const NameParts& parts, const transfer::AddressFields& fields);

bool AddressChanged(const transfer::AddressFields& before, const transfer::AddressFields& after);
bool IsAddressEmpty(const transfer::AddressFields& fields);
// ADR with street (post office box, extended address and locality kept
// where the new street text still holds them), region, postal code and
// country replaced.
std::string PatchAddress(std::string_view line, const transfer::VCardProperty& adr, transfer::VCardVersion version,
                         const transfer::AddressFields& fields);
// head: the name and parameters to write ("ADR;PREF=1").
std::string NewAddressLine(transfer::VCardVersion version, const transfer::AddressFields& fields,
                           std::string head = "ADR");

// TEL with a new number and its parameters kept; a tel: URI stays one when
// the number can be written as one.
std::string PatchPhone(std::string_view line, const transfer::VCardProperty& tel, transfer::VCardVersion version,
                       const std::string& phone);
std::string NewPhoneLine(transfer::VCardVersion version, const std::string& phone, std::string head = "TEL");

// A line of the card with a new text value (parameters kept).
std::string WithTextValue(std::string_view line, const transfer::VCardProperty& property,
                          transfer::VCardVersion version, const std::string& text);

// A quoted-printable content line folded with soft line breaks, never inside
// its head or an =XX triple. Ends with CRLF.
std::string FoldQuotedPrintableLine(std::string_view line);

}  // namespace orvane::sync
