#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace orvane::transfer {

// The seven text fields of an address, in the order of the address record:
// first name, last name, street address, postal code, state or province,
// country, phone number.
using AddressFields = std::array<std::string, 7>;

enum FieldIndex : std::size_t { kFirstName, kLastName, kStreet, kPostalCode, kState, kCountry, kPhone };

struct CardProblem {
    std::size_t line = 0;
    std::string message;
};

// One contact as a reader found it: what goes into the seven fields, where
// it begins in the file, what was wrong with it, and the names of the
// values the address book has no place for (one entry per value).
struct ImportedCard {
    AddressFields fields{};
    std::size_t line = 0;
    std::vector<CardProblem> problems;
    std::vector<std::string> notStored;

    bool IsBlank() const {
        for (const std::string& field : fields)
            if (!field.empty()) return false;
        return true;
    }
};

// A reader of contacts, one card (or row) at a time.
class CardSource {
public:
    virtual ~CardSource() = default;
    // Fills card with the next contact; false at the end of the text. A
    // damaged file raises FileFormatError.
    virtual bool Next(ImportedCard& card) = 0;
    // How far into the text the reader has read: the end of the last card.
    virtual std::size_t Offset() const = 0;
};

}  // namespace orvane::transfer
