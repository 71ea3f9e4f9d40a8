#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/ImportedCard.h"
#include "transfer/VCardProperty.h"

namespace orvane::transfer {

// Reads vCard 2.1, 3.0 and 4.0 cards from text already decoded to UTF-8,
// one card at a time: lines unfolded (also quoted-printable soft breaks),
// parameters, escapes and grouped names understood. N (or FN) gives the
// names, the preferred (else first) ADR the address and TEL the phone;
// the card's whole text goes with them, to be kept beside the address.
class VCardReader : public CardSource {
public:
    // The text must outlive the reader.
    explicit VCardReader(std::string_view text) : text_(text) {}

    bool Next(ImportedCard& card) override;
    std::size_t Offset() const override { return pos_; }

private:
    bool NextPhysicalLine(std::string_view& line);
    bool PeekPhysicalLine(std::string_view& line) const;
    bool NextLogicalLine(std::size_t& number, std::string& line);

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t physicalLine_ = 0;
};

}  // namespace orvane::transfer
