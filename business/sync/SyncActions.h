#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "CDataCardTier.h"
#include "CDataSyncBatch.h"
#include "CDataSyncAddressTier.h"
#include "CDataSyncStateTier.h"
#include "sync/ServerBook.h"
#include "sync/SyncState.h"

namespace orvane::sync {

struct SyncResult;

// The tables one run writes to.
struct SyncStores {
    CDataSyncStateTier state;
    CDataCardTier cards;
    CDataSyncAddressTier addresses;
    CDataSyncBatch received;  // changes and deletes received for addresses here
};

// Carries out the actions of a plan one at a time. A write to the server is
// recorded as pending before it is sent; its record is stored and the
// pending write dropped once the server answered. Each address keeps the
// card as it was last sent or received.
class SyncActions {
public:
    SyncActions(ServerBook& book, SyncStores& stores, SyncResult& result);

    // The address table as the current round read it. Local changes and
    // deletes are made only over exactly these values: an address saved or
    // deleted here since is left alone, and so is every later step of the
    // run on it, so the next run finds the change and merges it.
    void ReadLocal(const std::map<std::int32_t, transfer::AddressFields>& local) { local_ = &local; }

    // false: the server's card changed under this write (412, or it is gone);
    // the run reads it again and plans again. The pending write stays.
    bool Execute(const SyncAction& action);
    // Several StoreLocal actions at once: their addresses in one transaction,
    // then their records and kept cards in one each. An address stored
    // without its record (a run cut short in between) is linked to its card
    // by content on the next run, as both are new to it.
    void StoreLocal(const std::vector<const SyncAction*>& actions);
    // Several UpdateLocal and DeleteLocal actions at once, each address with
    // its record and kept card, all in one transaction. Each address is
    // still written only while it holds what the round read (as Execute
    // does); one changed here since is left alone with its record.
    void ApplyLocal(const std::vector<const SyncAction*>& actions);

    // Whether an address was left alone because it changed here during the
    // run. Its record then still holds what the last run agreed, so the run
    // keeps the server's old sync token: the next run reads the server's
    // side of that address again and merges it with the change here.
    bool LeftChangesHere() const { return !changedHere_.empty(); }

    // The cards written without an ETag in the answer, by href.
    const std::map<std::string, SyncItem>& WrittenWithoutEtag() const { return withoutEtag_; }

    // The writes the server refused on earlier runs: the same card for the
    // same address (or href) is reported again, not sent, unless retry.
    void HoldRefused(std::vector<::RefusedWrite> stored, bool retry);
    // Those of the stored refusals that no write of this run concerned: what
    // was refused is no longer to be sent (address deleted, merged anew).
    std::vector<std::string> UnconcernedRefusals() const;
    // Conflicts found on linking an address to the card the server said
    // holds its UID; a new round of planning finds them again itself.
    const std::vector<HeldConflict>& LinkConflicts() const { return linkConflicts_; }
    void NewRound() { linkConflicts_.clear(); }

private:
    // The local write of an UpdateLocal or DeleteLocal; false when the
    // address changed here since it was read.
    bool WriteLocal(const SyncAction& action);
    bool Create(const SyncAction& action);
    bool Update(const SyncAction& action);
    bool Delete(const SyncAction& action);
    // The record, and the address's kept card: `kept`, else the record's card.
    void Store(const SyncItem& record, const std::optional<std::string>& kept = std::nullopt);
    // The record after a write the server took, with the ETag it answered.
    void Written(SyncItem record, const carddav::WriteResult& answer, std::int32_t pendingId,
                 const std::optional<std::string>& kept = std::nullopt);
    // The stored refusal of this address (else href), if any.
    const ::RefusedWrite* StoredRefusal(std::int32_t addressId, const std::string& href);
    // true: refused before with the same card; reported, not sent.
    bool HeldBack(const SyncAction& action, const std::string& href, const std::string& card);
    void Refused(const SyncAction& action, const std::string& href, const std::string& card,
                 const carddav::WriteResult& answer, std::int32_t pendingId);
    void Accepted(std::int32_t addressId, const std::string& href);
    // A 409 naming the card that holds the UID sent: that card is the same
    // person, linked and merged. false: not linked (the caller refuses).
    bool LinkToExisting(const SyncAction& action, const std::string& url, bool& done);

    ServerBook& book_;
    SyncStores& stores_;
    SyncResult& result_;
    std::map<std::string, SyncItem> withoutEtag_;
    std::vector<::RefusedWrite> refusals_;
    std::set<std::size_t> concerned_;  // indexes into refusals_
    bool retryRefused_ = false;
    std::vector<HeldConflict> linkConflicts_;
    std::set<std::string> linkedHrefs_;  // cards linked by LinkToExisting this run
    const std::map<std::int32_t, transfer::AddressFields>* local_ = nullptr;
    std::set<std::int32_t> changedHere_;  // addresses left for the next run
};

// The card a new address goes up with: the card it was imported from,
// patched with its fields and written as vCard 3.0 (see SendableCard),
// else `card`. A kept card without a UID takes transfer::StableUid of the
// address, as an export of it does. The UID of the card sent is put in uid.
std::string CardForNewAddress(const std::optional<std::string>& kept, const transfer::AddressFields& fields,
                              const std::string& card, std::string& uid, std::int32_t addressId);

}  // namespace orvane::sync
