#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The rows of the sync state, as the data tier hands them over.

// The one account this address book syncs with. No password: that lives in
// the desktop's keychain or is given on each run.
struct SyncAccount {
    std::string serverUrl;       // as the user typed it
    std::string userName;
    std::string addressBookUrl;  // found by discovery
    std::optional<std::string> trustedCertificate;  // PEM text of one more certificate to trust
    std::optional<std::string> syncToken;
    std::optional<std::string> lastSyncTime;        // of the last successful sync (UTC, ISO 8601)
    std::optional<std::string> addressBookName;     // the book's display name when it has one

    bool operator==(const SyncAccount&) const = default;
};

// The seven fields of an address in record order: first name, last name,
// street address, postal code, state or province, country, phone.
using AddressFields = std::array<std::string, 7>;

// A property of a card beyond the seven fields (NOTE, ORG, PHOTO ...)
// changed differently here and on the server: each side keeps its own
// until the user picks one. Kept with the item of its card.
struct HeldProperty {
    std::string property;     // "NOTE"; ANNIVERSARY also for 3.0's X-ANNIVERSARY
    std::string localValue;   // as the user reads it
    std::string serverValue;
    std::string baseCard;     // a card holding only that property as both sides last agreed on it

    bool operator==(const HeldProperty&) const = default;
};

// One address linked to one card on the server by an earlier run.
struct SyncItem {
    std::string href;            // the card's address on the server (the key)
    std::int32_t addressId = 0;  // 0: the address was deleted here
    std::string uid;
    std::string etag;            // exactly as the server sent it; empty when it sent none
    AddressFields base{};        // the fields as both sides last agreed
    std::string card;            // the card as the server last had it (or as last sent)
    // Properties of the card held in conflict, stored and replaced with the
    // item: the card agreed on holds each as its baseCard does, not as
    // `card` (the server's) does.
    std::vector<HeldProperty> held;

    bool operator==(const SyncItem&) const = default;
};

// A write recorded before it is sent, so a run cut short can finish it.
struct PendingOperation {
    enum class Kind { Create, Update, Delete };
    std::int32_t id = 0;  // given by the store
    Kind kind = Kind::Create;
    std::string href;
    std::optional<std::int32_t> addressId;
    std::optional<std::string> cardText;  // the card sent (none for a delete)
    std::optional<std::string> ifMatch;   // the ETag sent with If-Match

    bool operator==(const PendingOperation&) const = default;
};

// A field changed differently on both sides: neither side is overwritten
// until the user picks one. A sync run reports the properties of a card
// held in conflict the same way (property set); those are stored with
// their item (see HeldProperty), not as rows of their own.
struct HeldConflict {
    std::int32_t id = 0;  // given by the store
    std::int32_t addressId = 0;
    std::int32_t fieldIndex = 1;  // 1..7: the field's place in the address record
    std::string localValue;
    std::string serverValue;
    std::optional<std::string> href;
    std::string property;  // "NOTE": a property of the card, not a field

    // The field in record order after the ID (0..6).
    std::size_t Field() const { return static_cast<std::size_t>(fieldIndex - 1); }

    bool operator==(const HeldConflict&) const = default;
};

// A write the server refused, kept so that the same card is not sent again
// on every run: it goes again once the card to send differs.
struct RefusedWrite {
    std::string href;                       // where it was sent (the key)
    std::optional<std::int32_t> addressId;  // none for a card deleted here
    std::string cardHash;                   // of the card refused (see the sync's CardHash)
    std::string reason;                     // the server's, as reported

    bool operator==(const RefusedWrite&) const = default;
};

// A held property with the address and the card it belongs to.
struct HeldPropertyOfAddress {
    std::int32_t addressId = 0;
    std::string href;
    HeldProperty held;

    bool operator==(const HeldPropertyOfAddress&) const = default;
};
