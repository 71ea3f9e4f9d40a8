#pragma once

#include <array>
#include <cstddef>
#include <iterator>
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

// The names of the values of one card that the address book has no place
// for, one entry per value, kept as names with counts: a card of a million
// such values costs its distinct names, of which at most kDistinct are
// kept by name; the values of any further names count as "other values".
class NotStoredNames {
public:
    static constexpr std::size_t kDistinct = 100;

    void push_back(const std::string& name) {
        for (Entry& entry : entries_)
            if (entry.name == name) {
                ++entry.count;
                return;
            }
        if (entries_.size() < kDistinct) {
            entries_.push_back({name, 1});
            return;
        }
        // The last entry stands for every name beyond the first ones.
        if (entries_.size() == kDistinct) entries_.push_back({"other values", 0});
        ++entries_.back().count;
    }
    bool empty() const { return entries_.empty(); }

    // Each name as many times as it has values.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::string*;
        using reference = const std::string&;

        const_iterator() = default;
        const_iterator(const NotStoredNames* names, std::size_t entry) : names_(names), entry_(entry) {}
        reference operator*() const { return names_->entries_[entry_].name; }
        pointer operator->() const { return &names_->entries_[entry_].name; }
        const_iterator& operator++() {
            if (++repeat_ >= names_->entries_[entry_].count) {
                ++entry_;
                repeat_ = 0;
            }
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const { return entry_ == other.entry_ && repeat_ == other.repeat_; }

    private:
        const NotStoredNames* names_ = nullptr;
        std::size_t entry_ = 0;
        std::size_t repeat_ = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, entries_.size()}; }
    operator std::vector<std::string>() const { return {begin(), end()}; }

private:
    struct Entry {
        std::string name;
        std::size_t count = 0;
    };
    std::vector<Entry> entries_;
};

// One contact as a reader found it: what goes into the seven fields, where
// it begins in the file, what was wrong with it, the names of the values
// the address book has no place for (one entry per value; a vCard has none,
// its whole text is kept) and a vCard's text.
struct ImportedCard {
    AddressFields fields{};
    std::size_t line = 0;
    std::vector<CardProblem> problems;
    NotStoredNames notStored;
    // A vCard's own text, from BEGIN:VCARD to the end of its END:VCARD line
    // (line ends as they were), kept beside the address; empty for CSV.
    std::string cardText;

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
