#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
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
// The values of one CSV row, one after the other in one text: a row of a
// million values costs its text and a number for each.
class CsvRow {
public:
    void Clear() {
        values_.clear();
        ends_.clear();
    }
    void Add(std::string_view value) {
        values_.append(value);
        ends_.push_back(values_.size());
    }
    std::size_t size() const { return ends_.size(); }
    std::string_view operator[](std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(values_).substr(begin, ends_[i] - begin);
    }

private:
    std::string values_;
    std::vector<std::size_t> ends_;
};

class CsvColumns {
public:
    enum class Role : std::uint8_t {
        Unknown, Ignored, First, Middle, Last, FullName,
        PoBox, Street, Street2, Extended, City, State, PostalCode, Country, Formatted, Phone
    };

    // Add the names one by one, then Finish.
    CsvColumns() = default;
    explicit CsvColumns(const std::vector<std::string>& header);
    void Add(std::string_view name);
    void Finish();

    // Whether any column is one the address book can store.
    bool Recognised() const;
    std::size_t Width() const { return width_; }
    std::string_view Name(std::size_t index) const;

    // Fills the card from one row; values without a place go to notStored
    // under their column's name.
    void Map(const CsvRow& row, ImportedCard& card) const;

    // The role and group a header name stands for ("home street" -> Street
    // in group "home").
    static std::pair<Role, std::string> Classify(const std::string& name);
    // Among phone columns: primary and plain phones first, then mobile,
    // home, business, and fax, pager and the like last.
    static int PhoneRank(const std::string& name);

private:
    // A column the address book knows. Only these are kept one by one, so a
    // header of a million unknown or empty names costs next to nothing.
    struct Known {
        std::uint32_t index = 0;
        std::uint32_t group = 0;  // address columns: the group, by first appearance
        Role role = Role::Unknown;
        std::int8_t phoneRank = 0;  // lower is taken first
    };
    struct Named {
        std::uint32_t index;
        std::uint32_t end;  // of its name in names_; it begins where the one before ends
    };

    std::size_t width_ = 0;
    std::vector<Known> known_;           // header order
    std::vector<Known> addressColumns_;  // by group, then header order
    std::vector<std::uint32_t> groupBegin_;  // group -> first of its addressColumns_; one past the last at the end
    std::size_t groupCount_ = 0;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> pendingGroups_;  // group, column in known_; until Finish
    std::string names_;  // the names that are not blank, one after the other
    std::vector<Named> named_;
};

}  // namespace orvane::transfer
