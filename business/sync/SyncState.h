#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "SyncStateRecords.h"
#include "sync/CardMerge.h"
#include "sync/FieldMerge.h"
#include "transfer/ImportedCard.h"

// What a sync run knows and decides, as plain values a runner can keep in
// its tables between runs.
namespace orvane::sync {

// A write recorded before it is sent, so a run cut short can be finished
// without a duplicate. Kept until the record it leads to is stored: the
// stored PendingOperation with the UID and fields of the card it sends.
using PendingKind = PendingOperation::Kind;
struct PendingSend {
    PendingKind kind = PendingKind::Create;
    std::int32_t addressId = 0;
    std::string href;
    std::string uid;
    transfer::AddressFields fields{};  // the fields the card sent holds
    std::string card;                  // the card sent
};

// A card the server listed: its ETag and, when it was read, its text.
struct ServerCard {
    std::string href;
    std::string etag;
    std::string card;  // empty when only the ETag was listed
};

// What the server's answer positively said. A listing that failed is no
// listing: the runner does not plan without one.
struct ServerListing {
    // true: every card on the server is listed (PROPFIND, or sync-collection
    // without a token), so a record's href that is not listed is gone.
    // false: only changes since the stored token are listed.
    bool complete = true;
    std::vector<ServerCard> cards;
    std::vector<std::string> removed;  // hrefs reported gone (sync-collection 404)
};

// The user's choice for a field (or a property of the card) held in conflict.
struct ConflictChoice {
    std::int32_t addressId = 0;
    std::size_t field = 0;
    Side take = Side::Local;
    std::string property;  // "NOTE": a property of the card, not a field
};

struct SyncInput {
    std::map<std::int32_t, transfer::AddressFields> local;  // the address table now
    // Kept cards edited here (in the card window) since the run that last
    // sent or received them, by address ID: a local change like an edit of
    // the fields, which sends that whole card.
    std::map<std::int32_t, std::string> editedCards;
    std::vector<SyncItem> records;
    std::vector<PendingSend> pending;
    ServerListing server;
    std::vector<ConflictChoice> choices;
    bool firstSync = false;    // no run has finished with this book yet
    bool forceDelete = false;  // go on past the safety stop
    // The book lists vCard 4.0 in its supported-address-data: a card that
    // came from the server as 4.0 goes back as 4.0; every other card as 3.0.
    bool serverTakesVCard4 = false;
};

enum class ActionKind {
    StoreLocal,      // a new address from a server card (the runner gives it its ID)
    UpdateLocal,     // the address takes fields
    DeleteLocal,     // the address and its record go
    CreateOnServer,  // PUT card at href with If-None-Match: *
    UpdateOnServer,  // PUT card at href with If-Match: ifMatch
    DeleteOnServer,  // DELETE href with If-Match: ifMatch; the record goes
    Link,            // an address and a card found to be the same person: keep record
    KeepRecord,      // nothing to send or store; keep record (new ETag, card or base)
    DropRecord,      // both sides are gone: the record goes
};

struct SyncAction {
    ActionKind kind = ActionKind::KeepRecord;
    std::int32_t addressId = 0;
    std::string href;
    std::string ifMatch;
    transfer::AddressFields fields{};
    std::string card;
    // The record to store once the action is done (its ETag replaced by the
    // one the server answers, its address ID by the new one for StoreLocal).
    // None: the record stays as it is until a later action of the same
    // address stores it.
    std::optional<SyncItem> record;
    // The address's kept card when it is not the record's card: properties
    // held in conflict keep our value in it.
    std::optional<std::string> kept;
};

struct SyncPlan {
    std::vector<SyncAction> actions;
    std::vector<HeldConflict> conflicts;  // fields and properties of cards alike
    std::vector<std::string> problems;  // one line each; never a deletion
    bool stoppedForSafety = false;      // nothing at all is to be done
    std::string safetyMessage;
    std::size_t goneFromServer = 0;
    std::size_t syncedLastTime = 0;
};

}  // namespace orvane::sync
