#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "card/CardModel.h"
#include "transfer/VCardProperty.h"

class CDataCardTier;

namespace orvane::card {

// The card window's road to the data tier: an address's whole card read
// into a model and saved again, together with the seven fields it maps to.
class CardService {
public:
    // database: the database file; empty for the window's database.
    explicit CardService(std::string database = {});
    ~CardService();
    CardService(const CardService&) = delete;
    CardService& operator=(const CardService&) = delete;

    // The address's kept card with its current seven fields written in (as
    // export writes them), or, when it has none, the fields as a plain card.
    // Raises orvane::Error (record not found) for an unknown ID.
    CardModel Load(std::int32_t addressId) const;
    // Checks the model (see ValidateCardModel), leaves out rows without a
    // value, writes it into the card and stores, in one transaction, the
    // card and the seven fields the card maps to as an import maps them.
    // Returns those fields.
    transfer::AddressFields Save(std::int32_t addressId, const CardModel& model) const;
    // The card as `orvane-transfer export` writes it for the address.
    std::string Show(std::int32_t addressId, transfer::VCardVersion version) const;

private:
    std::unique_ptr<CDataCardTier> data_;
};

// A picture file for a card's photo: its bytes and media type, told from
// the bytes (JPEG, PNG or GIF). Raises orvane::Error for a file that cannot
// be read or holds no such picture.
struct PhotoFile {
    std::string bytes;
    std::string mediaType;
};
PhotoFile ReadPhotoFile(const std::string& path);

}  // namespace orvane::card
