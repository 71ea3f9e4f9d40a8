#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "transfer/ImportedCard.h"

namespace orvane::transfer {

// What the header row of a contact CSV says each column holds. Knows the
// names of this program's own export and of the exports of the common
// mail clients and web address books ("First Name", "Given Name",
// "Home Street", "Address 1 - City", "Business Phone", "Zip/PostalCode"...),
// in any letter case. Address columns come in groups (home, business,
// "Address 1"...): a row takes its address from the first group that has
// anything in it, and its phone from the first phone column that does.
class CsvColumns {
public:
    enum class Role {
        Unknown, Ignored, First, Middle, Last, FullName,
        PoBox, Street, Street2, Extended, City, State, PostalCode, Country, Formatted, Phone
    };

    explicit CsvColumns(std::vector<std::string> header);

    // Whether any column is one the address book can store.
    bool Recognised() const;
    const std::vector<std::string>& Header() const { return header_; }

    // Fills the card from one row; values without a place go to notStored
    // under their column's name.
    void Map(const std::vector<std::string>& row, ImportedCard& card) const;

    // The role and group a header name stands for ("home street" -> Street
    // in group "home").
    static std::pair<Role, std::string> Classify(const std::string& name);
    // Among phone columns: primary and plain phones first, then mobile,
    // home, business, and fax, pager and the like last.
    static int PhoneRank(const std::string& name);

private:
    struct Column {
        Role role = Role::Unknown;
        std::string group;
        int phoneRank = 0;  // lower is taken first
    };

    std::vector<std::string> header_;
    std::vector<Column> columns_;
    std::vector<std::string> groups_;  // address groups in header order
};

}  // namespace orvane::transfer
