#pragma once

#include <functional>
#include <string>

#include "sync/SyncState.h"

namespace orvane::sync {

// Decides what a sync run does, from the address table, the records of the
// last run, the writes recorded but maybe not finished, and what the server
// listed. No I/O: the runner reads the listing, calls Plan, and carries out
// the actions in order (recording each write as a PendingSend first).
//
// The runner reads (address-data or multiget) every listed card whose ETag
// differs from its record's, every listed card without a record, and the
// cards at the hrefs of pending creates and updates; a card left unread is
// reported as a problem and left alone this run.
//
// Rules: a change on one side is taken; changes to different fields of one
// address are both kept; the same field changed differently on both sides
// is held as a conflict (neither side overwritten) until a choice is given;
// an edit beats a delete on the other side; deletes on both sides are
// quiet; a card whose mapped fields are unchanged is no change whatever its
// ETag; only a listing that positively says a card is gone deletes here; the
// first sync deletes nothing; when more than half of the cards synced last
// time (and more than one) are gone, nothing is done unless forced. An
// address and a card without records are linked when their MatchKey is the
// same; the rest goes across both ways.
class SyncPlanner {
public:
    using UidSource = std::function<std::string()>;

    // newUid gives the UID of each card created here (href: UID + ".vcf").
    explicit SyncPlanner(UidSource newUid);
    SyncPlanner();

    SyncPlan Plan(const SyncInput& input) const;

    // An address whose new card the server refused because `card` holds
    // its UID already (a 409 naming that card): the same person. They are
    // linked and merged as if nothing had been agreed on yet: equal fields
    // are linked, a field filled on one side only is taken by the other,
    // fields that differ are held as conflicts. No actions when the card
    // cannot be read (or the address holds nothing).
    SyncPlan PlanLink(std::int32_t addressId, const transfer::AddressFields& fields, const ServerCard& card) const;

private:
    UidSource newUid_;
};

}  // namespace orvane::sync
