#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "transfer/CardProperties.h"
#include "transfer/ImportedCard.h"

// A contact's whole card as the card window edits it: the values a person
// reads and changes, each remembering the property it came from, so that
// writing the model back changes only what was edited.
namespace orvane::card {

// What an e-mail address, phone, postal address or web site is for.
enum class EntryKind { Home, Work, Mobile, Fax, Other, Label };

struct EntryLabel {
    EntryKind kind = EntryKind::Other;
    std::string label;  // the card's own words (Apple's X-ABLabel) for EntryKind::Label

    // "Home", "Work", "Mobile", "Fax", "Other" or the label.
    std::string Text() const;
    // The reverse: one of the five words (any letter case) or a label of its own.
    static EntryLabel FromText(const std::string& text);
    bool operator==(const EntryLabel&) const = default;
};

// Where an entry came from: the index of its property in the card read,
// none for an entry added in the window.
using Source = std::optional<std::size_t>;

// An e-mail address, phone number or web site.
struct CardEntry {
    EntryLabel kind;
    std::string value;
    bool preferred = false;
    Source source;
    bool operator==(const CardEntry&) const = default;
};

struct PostalAddress {
    EntryLabel kind;
    std::string poBox;
    std::string extended;
    std::string street;
    std::string city;
    std::string region;
    std::string postalCode;
    std::string country;
    bool preferred = false;
    Source source;
    bool operator==(const PostalAddress&) const = default;
};

// A date whose year may be unknown (a birthday kept without it).
struct CardDate {
    std::optional<int> year;
    int month = 0;
    int day = 0;

    // "1980-05-21", or "05-21" without a year.
    std::string Text() const;
    bool operator==(const CardDate&) const = default;
};

// A property the model does not edit, shown as it is.
struct OtherProperty {
    std::string name;   // a readable name where one is known ("Gender"), else the property's
    std::string value;  // its value as text
};

// Where the values that a card holds once came from.
struct SingleSources {
    Source photo, n, fn, nickname, organisation, jobTitle, birthday, anniversary, groups, notes;
};

struct CardModel {
    std::string photo;           // the picture's bytes; empty: none
    std::string photoMediaType;  // "image/jpeg"; empty when the card does not say
    std::string prefix, first, middle, last, suffix;
    std::string nickname;
    std::string organisation;
    std::string jobTitle;
    std::vector<CardEntry> emails;
    std::vector<CardEntry> phones;
    std::vector<PostalAddress> addresses;
    std::vector<CardEntry> webSites;
    std::optional<CardDate> birthday;
    std::optional<CardDate> anniversary;
    std::vector<std::string> groups;
    std::string notes;
    std::vector<OtherProperty> more;  // read only

    // The card the model was read from, which writing starts from.
    transfer::KeptCardProperties card;
    SingleSources sources;
};

// The model of a kept card (vCard 2.1, 3.0 or 4.0). Throws
// transfer::FileFormatError when the text holds no card.
CardModel ReadCardModel(std::string_view cardText);
// The same for a card already read into properties.
CardModel ModelOf(transfer::KeptCardProperties card);

// The card of an address that has none: the seven fields as a plain card.
std::string PlainCard(const transfer::AddressFields& fields, const std::string& uid);

// The card with the model's values written into it, in the card's own
// version (3.0 for a 2.1 card): the properties the model edits are changed,
// added or removed; every other one keeps its group, parameters and value.
// A card without a UID takes `uid`.
std::string WriteCardModel(const CardModel& model, const std::string& uid);

// The seven fields the card gives an address, mapped as an import maps it.
transfer::AddressFields FieldsOfCard(const std::string& cardText);

}  // namespace orvane::card
