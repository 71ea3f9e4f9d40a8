#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The card each address came from (a vCard from a file or a server), kept
// byte for byte beside the address in the same database file, so that
// export and sync can write it back with every property it has.
class CDataCardTier {
public:
    // strDatabase: the database file; empty for the window's database.
    explicit CDataCardTier(std::string strDatabase = {});

    // Keeps (or replaces) the card of an address.
    void KeepCard(std::int32_t lngAddressID, const std::string& strCard) const;
    // Keeps every card that next gives (it fills one and returns true, or
    // returns false when there are no more), all in one transaction.
    void KeepCards(const std::function<bool(std::int32_t& lngAddressID, std::string& strCard)>& next) const;
    // The card of the address, or none.
    std::optional<std::string> ReadCard(std::int32_t lngAddressID) const;
    void DeleteCard(std::int32_t lngAddressID) const;
    // Calls onCard with every kept card, in address ID order.
    void ReadCards(const std::function<void(std::int32_t lngAddressID, const std::string& strCard)>& onCard) const;

    // One address with its card (none when it has no kept card), as the
    // card window and `orvane-transfer show` read it; none when no address
    // has that ID.
    struct AddressWithCard {
        std::array<std::string, 7> fields;  // first name .. phone, in record order
        std::optional<std::string> card;
    };
    std::optional<AddressWithCard> ReadAddressWithCard(std::int32_t lngAddressID) const;
    // The card window's save, in one transaction: the card kept and the
    // seven fields stored through "UpdateAddress". Nothing is stored when
    // the address is gone (then false).
    bool SaveCardWithAddress(std::int32_t lngAddressID, const std::array<std::string, 7>& fields,
                             const std::string& strCard) const;

    // Calls onCard with each kept card of an address linked to a server's
    // card that differs from the card last sent or received for it: a card
    // edited here since (the card window), which the next sync sends.
    void ReadEditedCards(const std::function<void(std::int32_t lngAddressID, const std::string& strCard)>& onCard) const;

    // After the address was deleted: its card goes, and its sync item no
    // longer names it (so the next sync deletes it on the server). A file
    // without our tables is left as it is.
    void AddressDeleted(std::int32_t lngAddressID) const;
    // The same for every address that another program deleted: cards of
    // addresses no longer in tblAddress go, and their items lose the link.
    // (IDs are never reused, so such a card never belongs to a new address.)
    void AddressesDeletedElsewhere() const;

    // The statement that keeps (or replaces) the cards of addresses, the
    // text of the nth card bound to its nth parameter, for a writer that runs it inside a
    // transaction of its own with our tables there.
    static std::string KeepBoundCardsStatement(const std::vector<std::int32_t>& addressIDs);

private:
    std::string mstrDatabase;
};
