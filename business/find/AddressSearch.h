#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ResultOrder.h"

namespace orvane::find {

// One address found: what the name list shows for it, and the field that
// matched with its value ("e-mail: ann@example.org").
struct FoundAddress {
    std::int32_t id = 0;
    std::string display;
    std::string matched;
};

struct FindResult {
    std::vector<FoundAddress> addresses;  // at most the limit asked for
    std::size_t more = 0;                 // how many matched beyond them
};

// Finds addresses by what is typed: every word must match the start of a
// word in some field of the address or of its kept card, case and accents
// ignored; three or more digits also match anywhere in a phone number's
// digits. Name matches come first, then by display text.
class AddressSearch {
public:
    static constexpr std::size_t kDefaultLimit = 200;

    // database: the file; empty for the window's database.
    explicit AddressSearch(std::string database = {});

    // Whether the index reflects the file as it is now (else the next Find
    // first brings it up to date, which on a large book takes a while).
    bool IndexCurrent() const;
    // Brings the index up to date (made the first time): when only the
    // program's own writes changed the file since, the addresses they name;
    // else every address, compared by fingerprint, telling progress the
    // addresses done out of the total. Returns the number indexed anew.
    std::size_t UpdateIndex(const std::function<void(std::size_t done, std::size_t total)>& progress = {}) const;

    FindResult Find(std::string_view typed, std::size_t limit = kDefaultLimit) const;

    // How many times this object compared every address with the index.
    std::size_t FullScans() const noexcept { return fullScans_; }

private:
    std::string database_;
    mutable std::size_t fullScans_ = 0;
    // Kept from search to search while the file does not change.
    mutable ResultOrder order_;
};

}  // namespace orvane::find
