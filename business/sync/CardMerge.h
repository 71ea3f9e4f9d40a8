#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "SyncStateRecords.h"
#include "sync/FieldMerge.h"

namespace orvane::sync {

// The user's choice for a property held in conflict.
struct PropertyChoice {
    std::string property;
    Side take = Side::Local;
};

struct CardMergeResult {
    // The server's card with the changes made here: vCard 4.0 when the
    // server's is 4.0, else 3.0. A property held in conflict keeps the
    // server's value in it.
    std::string card;
    bool changed = false;  // it differs in meaning from the server's card
    std::vector<HeldProperty> conflicts;
};

// Three-way merge of a whole card against the card both sides last agreed
// on, property by property, compared by meaning (see PropertyKey), so a
// server that only refolds, reorders or respells a card changes nothing.
// - Properties a card may hold several times (EMAIL, TEL, ADR, URL, IMPP,
//   X- properties and every other one not named below): the values added
//   and removed here are added to and removed from the server's card. The
//   ADR and the TEL the vCard reader maps to the fields are left to the
//   field merge (their parameters follow a change here); a group added
//   here that the server took for something else since gets a new name.
// - CATEGORIES: the same, value by value.
// - N (but for the names the fields hold), FN, BDAY, ANNIVERSARY, NOTE,
//   ORG, TITLE, PHOTO, NICKNAME: a change on one side is taken, the same
//   change on both sides is none, different changes are a conflict (the
//   server's value stays) unless a choice names the side. An N changed
//   here only is taken whole (its names are the field merge's). FN changed
//   differently on both sides while the names changed follows the names:
//   it is left out, so the card is given one from N.
// - UID, PRODID and REV are the server's.
// Throws transfer::FileFormatError when a text holds no card.
CardMergeResult MergeCards(std::string_view base, std::string_view local, std::string_view server,
                           const std::vector<PropertyChoice>& choices = {});

// `card` with each property of the names as `from` holds it (left out when
// `from` has none), written anew in the card's version (3.0 or 4.0).
std::string WithPropertiesOf(std::string_view card, std::string_view from, const std::vector<std::string>& names);

// Whether two cards hold the same properties in meaning (REV and PRODID aside).
bool SameMeaning(std::string_view a, std::string_view b);

}  // namespace orvane::sync
