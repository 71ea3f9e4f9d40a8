#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "transfer/ImportedCard.h"

namespace orvane::sync {

enum class Side { Local, Server };

// The same field changed differently here and on the server.
struct FieldConflict {
    std::size_t field = 0;
    std::string local;
    std::string server;
};

// The user's choice for a field held in conflict.
struct FieldChoice {
    std::size_t field = 0;
    Side take = Side::Local;
};

struct FieldMergeResult {
    transfer::AddressFields local{};   // what the address should hold now
    transfer::AddressFields server{};  // what the card should hold now
    // What both sides agree on after the merge; a field held in conflict
    // keeps its old base, so the conflict is found again until it is chosen.
    transfer::AddressFields base{};
    std::vector<FieldConflict> conflicts;
};

// Three-way merge, field by field, against the fields both sides last
// agreed on. A field counts as changed when its value (as the vCard reader
// maps it from the card) differs from the base byte for byte, so a server
// that only rewrites or reorders a card changes nothing. A change on one
// side is taken; the same value on both sides is no conflict; different
// values on both sides are held (each side keeps its own) unless a choice
// for that field says which side wins.
FieldMergeResult MergeFields(const transfer::AddressFields& base, const transfer::AddressFields& local,
                             const transfer::AddressFields& server, const std::vector<FieldChoice>& choices = {});

}  // namespace orvane::sync
