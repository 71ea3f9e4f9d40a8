#pragma once

#include <optional>
#include <string>
#include <vector>

#include "SyncStateRecords.h"

class StoreSession;

// The state of the sync with a CardDAV server, kept in the database file
// beside tblAddress: the account, the linked address/card pairs, the writes
// under way, the held conflicts and the writes the server refused. Each call is one transaction.
class CDataSyncStateTier {
public:
    // strDatabase: the database file; empty for the window's database.
    explicit CDataSyncStateTier(std::string strDatabase = {});

    std::optional<SyncAccount> GetAccount() const;
    // Replaces the account (there is at most one).
    void SetAccount(const SyncAccount& account) const;
    // Records a successful sync: the new token and its time.
    void SetSyncToken(const std::optional<std::string>& token, const std::string& lastSyncTime) const;
    void ClearAccount() const;

    // Inserts the items, or replaces those whose href is stored already
    // (their held properties with them).
    void UpsertItems(const std::vector<SyncItem>& items) const;
    // The same inside a session a writer holds open for more of its work.
    static void UpsertItemsIn(StoreSession& session, const std::vector<SyncItem>& items);
    // Each with the properties held in conflict for its card.
    std::vector<SyncItem> ReadItems() const;
    // The properties held in conflict of the cards linked to addresses, by
    // address ID, without reading the items themselves.
    std::vector<HeldPropertyOfAddress> ListHeldProperties() const;
    void DeleteItems(const std::vector<std::string>& hrefs) const;

    // Stores the operations in order and returns them with their IDs.
    std::vector<PendingOperation> AddPending(std::vector<PendingOperation> operations) const;
    void RemovePending(const std::vector<std::int32_t>& ids) const;
    // In the order they were added.
    std::vector<PendingOperation> ReadPending() const;

    // A conflict on a field that has one already replaces it. Conflicts on
    // a property of the card are not stored here but with their item.
    void AddConflicts(const std::vector<HeldConflict>& conflicts) const;
    std::vector<HeldConflict> ListConflicts() const;
    void RemoveConflicts(const std::vector<std::int32_t>& ids) const;

    // Stores a refusal in place of any kept for the same href or address.
    void AddRefusal(const RefusedWrite& refusal) const;
    std::vector<RefusedWrite> ReadRefusals() const;
    void RemoveRefusals(const std::vector<std::string>& hrefs) const;

    // Drops the account and all sync state; every address and card stays.
    void Forget() const;

private:
    std::string mstrDatabase;
};
