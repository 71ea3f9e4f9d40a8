#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "transfer/ImportedCard.h"
#include "transfer/VCardProperty.h"

namespace orvane::transfer {

// Writes addresses as vCard 3.0 (RFC 2426) or 4.0 (RFC 6350): CRLF line
// ends, lines folded at 75 octets without splitting a UTF-8 sequence, N
// and FN always, one ADR and one TEL when they hold anything, and a UID
// that stays the same for the same address ID.
class VCardWriter {
public:
    VCardWriter(std::ostream& out, VCardVersion version);

    void Write(std::int32_t id, const AddressFields& fields);

private:
    void Line(std::string_view line);
    std::string Escape(std::string_view value, bool structured) const;

    std::ostream& out_;
    VCardVersion version_;
};

// "urn:uuid:..." made from the address ID alone.
std::string StableUid(std::int32_t id);

// Folds one content line at 75 octets: CRLF and a blank before each
// continuation, never inside a UTF-8 sequence. Ends with CRLF.
std::string FoldContentLine(std::string_view line);

}  // namespace orvane::transfer
