#pragma once

#include <cstdint>
#include <string_view>

namespace orvane::find {

// The field of an address or of its kept card that a word came from, as the
// index stores it (the numbers are kept in database files: never renumber).
enum class FindField : std::int32_t {
    FirstName = 1,
    LastName = 2,
    Name = 3,  // the card's formatted or structured name
    Nickname = 4,
    Street = 5,
    City = 6,
    Region = 7,
    PostalCode = 8,
    Country = 9,
    Phone = 10,
    Email = 11,
    Organisation = 12,
    Title = 13,
    Note = 14,
    Group = 15,
    WebSite = 16,
};

// Names come first among the results.
constexpr bool IsNameField(FindField f) {
    return f == FindField::FirstName || f == FindField::LastName || f == FindField::Name || f == FindField::Nickname;
}

// The plain words a result shows before the value: "e-mail", "phone".
std::string_view Label(FindField f);

}  // namespace orvane::find
