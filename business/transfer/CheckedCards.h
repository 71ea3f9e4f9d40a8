#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "transfer/ImportedCard.h"

namespace orvane::transfer {

// Hands on the cards of a reader after two checks that concern every
// format: control characters other than tab, CR and LF (C0, DEL and C1)
// are removed from the values (and the card's text), and a card whose text held bytes that were
// not UTF-8 (now U+FFFD) is marked; both are noted as problems of the card.
class CheckedCards : public CardSource {
public:
    // replaced: where in text the decoder put U+FFFD for bytes that were
    // not text, ascending. The text must outlive the object.
    CheckedCards(std::unique_ptr<CardSource> reader, std::string_view text, const std::vector<std::size_t>& replaced);

    bool Next(ImportedCard& card) override;
    std::size_t Offset() const override { return reader_->Offset(); }

private:
    struct Spot {
        std::size_t offset;
        std::size_t line;
    };

    std::unique_ptr<CardSource> reader_;
    std::vector<Spot> replaced_;
    std::size_t nextReplaced_ = 0;
};

// Removes the control characters from value; whether there were any.
bool RemoveControlCharacters(std::string& value);

}  // namespace orvane::transfer
