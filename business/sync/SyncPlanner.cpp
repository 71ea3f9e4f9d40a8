#include "sync/SyncPlanner.h"

#include <set>

#include "sync/CardLines.h"
#include "sync/CardMerge.h"
#include "sync/CardPatch.h"
#include "sync/SendableCard.h"
#include "sync/FieldMerge.h"
#include "sync/MatchKey.h"
#include "sync/NewCard.h"
#include "sync/ServerView.h"
#include "transfer/FileFormatError.h"

namespace orvane::sync {
namespace {
using transfer::AddressFields;

SyncAction Act(ActionKind kind, std::int32_t id, const std::string& href, const std::string& ifMatch = {},
               const AddressFields& fields = {}, const std::string& card = {},
               std::optional<SyncItem> record = std::nullopt, std::optional<std::string> kept = std::nullopt) {
    return {kind, id, href, ifMatch, fields, card, std::move(record), std::move(kept)};
}

// A field held in conflict: its place in the address record is 1..7.
HeldConflict FieldHeld(std::int32_t addressId, const FieldConflict& conflict) {
    HeldConflict held;
    held.addressId = addressId;
    held.fieldIndex = static_cast<std::int32_t>(conflict.field) + 1;
    held.localValue = conflict.local;
    held.serverValue = conflict.server;
    return held;
}

// A property of the card held in conflict; its record keeps it.
HeldConflict PropertyHeld(std::int32_t addressId, const HeldProperty& property) {
    HeldConflict held;
    held.addressId = addressId;
    held.localValue = property.localValue;
    held.serverValue = property.serverValue;
    held.property = property.property;
    return held;
}

class PlanBuilder {
public:
    PlanBuilder(const SyncInput& input, const SyncPlanner::UidSource& newUid, SyncPlan& plan)
        : in_(input), newUid_(newUid), plan_(plan), server_(input.server) {}

    void Build() {
        for (const SyncItem& record : in_.records) {
            records_[record.href] = record;
            stored_[record.href] = &record;
        }
        TakePendingSends();
        if (SafetyStop()) return;
        for (const auto& [href, record] : records_) ApplyRules(record);
        PlanNewcomers();
    }

private:
    // Writes of a run cut short: what reached the server counts as agreed.
    void TakePendingSends() {
        for (const PendingSend& pending : in_.pending) {
            const ServerCard* listed = server_.Listed(pending.href);
            switch (pending.kind) {
                case PendingKind::Create:
                    if (listed && !records_.count(pending.href)) {
                        records_[pending.href] = {pending.href, pending.addressId, pending.uid, listed->etag,
                                                  pending.fields, listed->card.empty() ? pending.card : listed->card, {}};
                    } else if (!listed) {
                        createsToRedo_[pending.addressId] = &pending;
                    }
                    break;
                case PendingKind::Update: {
                    const auto record = records_.find(pending.href);
                    if (!listed || listed->card.empty() || record == records_.end()) break;
                    std::vector<std::string> ignored;
                    if (FieldsOfCard(pending.href, listed->card, ignored) == pending.fields) {
                        record->second.base = pending.fields;
                        record->second.etag = listed->etag;
                        record->second.card = listed->card;
                    }
                    break;
                }
                case PendingKind::Delete:
                    if (server_.Gone(pending.href)) deletedHere_.insert(pending.href);
                    break;
            }
        }
    }

    bool SafetyStop() {
        plan_.syncedLastTime = in_.records.size();
        for (const SyncItem& record : in_.records)
            if (server_.Gone(record.href) && !deletedHere_.count(record.href)) ++plan_.goneFromServer;
        const std::size_t gone = plan_.goneFromServer;
        if (in_.forceDelete || gone <= 1 || gone * 2 <= plan_.syncedLastTime) return false;
        plan_.stoppedForSafety = true;
        plan_.safetyMessage = std::to_string(gone) + " of the " + std::to_string(plan_.syncedLastTime) +
                              " cards synced last time are gone from the server; nothing was changed. "
                              "If they were deleted on purpose, sync again with --force-delete.";
        return true;
    }

    // The fields of the card as the server has it, when its ETag is the
    // record's: the kept card's, else the base.
    AddressFields KeptServerFields(const SyncItem& record) {
        if (!record.card.empty()) {
            std::vector<std::string> ignored;
            if (auto fields = FieldsOfCard(record.href, record.card, ignored)) return *fields;
        }
        return record.base;
    }

    void ApplyRules(const SyncItem& record) {
        linkedIds_.insert(record.addressId);
        const auto local = in_.local.find(record.addressId);
        const bool localGone = local == in_.local.end();
        if (deletedHere_.count(record.href)) {
            Add(Act(ActionKind::DropRecord, record.addressId, record.href));
            return;
        }
        if (server_.Gone(record.href)) {
            if (localGone) Add(Act(ActionKind::DropRecord, record.addressId, record.href));
            else if (local->second != record.base || EditedCard(record) || in_.firstSync) Recreate(record, local->second);
            else Add(Act(ActionKind::DeleteLocal, record.addressId, record.href));
            return;
        }

        // The server's side: the card as read now, or as kept when unchanged.
        const ServerCard* listed = server_.Listed(record.href);
        const bool changedOnServer = listed && listed->etag != record.etag;
        if (!changedOnServer && !localGone && local->second == record.base && !EditedCard(record)) {
            KeepIfNew(record);
            return;
        }
        SyncItem now = record;
        AddressFields serverFields;
        if (changedOnServer) {
            if (listed->card.empty()) {
                plan_.problems.push_back(record.href + ": changed on the server but not read; left for the next run");
                return;
            }
            const auto read = FieldsOfCard(record.href, listed->card, plan_.problems);
            if (!read) return;
            serverFields = *read;
            now.etag = listed->etag;
            now.card = listed->card;
        } else {
            serverFields = KeptServerFields(record);
        }

        if (localGone) {
            // An edit on the server beats the delete here: the address comes back.
            if (serverFields != record.base || in_.firstSync) {
                now.addressId = 0;
                now.held.clear();
                now.base = serverFields;
                Add(Act(ActionKind::StoreLocal, 0, record.href, {}, serverFields, {}, now));
            } else {
                Add(Act(ActionKind::DeleteOnServer, record.addressId, record.href, now.etag));
            }
            return;
        }
        Merge(now, record, local->second, serverFields);
    }

    void Merge(SyncItem now, const SyncItem& record, const AddressFields& local, const AddressFields& server) {
        std::vector<FieldChoice> choices;
        std::vector<PropertyChoice> propertyChoices;
        for (const ConflictChoice& choice : in_.choices) {
            if (choice.addressId != now.addressId) continue;
            if (choice.property.empty()) choices.push_back({choice.field, choice.take});
            else propertyChoices.push_back({choice.property, choice.take});
        }
        const FieldMergeResult merged = MergeFields(record.base, local, server, choices);
        for (const FieldConflict& conflict : merged.conflicts)
            plan_.conflicts.push_back(FieldHeld(now.addressId, conflict));
        const bool toLocal = merged.local != local;
        // A card edited here is merged with the server's whole, property by property.
        const std::string* edited = EditedCard(record);
        const std::optional<CardMergeResult> cards = edited ? MergeWholeCard(record, *edited, now.card, propertyChoices)
                                                            : std::nullopt;
        const bool toServer = merged.server != server || (edited && (!cards || cards->changed));
        if (toServer && now.etag.empty()) {
            plan_.problems.push_back(now.href + ": the server gave no ETag for the card; it is read again next run");
            return;
        }
        now.base = merged.base;
        now.held = cards ? cards->conflicts : std::vector<HeldProperty>{};
        for (const HeldProperty& held : now.held)
            plan_.conflicts.push_back(PropertyHeld(now.addressId, held));
        if (toServer) now.card = CardToSend(cards ? cards->card : edited ? *edited : now.card, merged.server, now.uid);
        // Properties held in conflict keep our value in the kept card.
        std::optional<std::string> kept;
        if (!now.held.empty()) kept = KeptWithHeld(now.card, *edited, now.held);
        // When both sides change, the first write leaves the record as it
        // was, so a run cut short between them merges again next time.
        if (toLocal) Add(Act(ActionKind::UpdateLocal, now.addressId, now.href, {}, merged.local, {},
                          toServer ? std::nullopt : std::optional(now), kept));
        if (toServer) Add(Act(ActionKind::UpdateOnServer, now.addressId, now.href, now.etag, merged.server, now.card, now, kept));
        if (toLocal || toServer) return;
        // An edit here that the server's card holds already: the kept card
        // becomes the record's again, so the next run sees no change.
        if (edited && now.held.empty()) Add(Act(ActionKind::KeepRecord, now.addressId, now.href, {}, {}, {}, now));
        else KeepIfNew(now, kept);
    }

    // The whole card merged: against the card agreed on (the record's, with
    // the properties held in conflict as they were agreed), our kept card
    // and the server's. None when a card cannot be read: ours goes whole.
    std::optional<CardMergeResult> MergeWholeCard(const SyncItem& record, const std::string& edited,
                                                  const std::string& server, const std::vector<PropertyChoice>& choices) {
        try {
            std::string base = record.card;
            for (const HeldProperty& held : record.held) base = WithPropertiesOf(base, held.baseCard, {held.property});
            return MergeCards(base, edited, server, choices);
        } catch (const transfer::FileFormatError&) {
            return std::nullopt;
        }
    }

    static std::string KeptWithHeld(const std::string& card, const std::string& edited,
                                    const std::vector<HeldProperty>& held) {
        std::vector<std::string> names;
        for (const HeldProperty& conflict : held) names.push_back(conflict.property);
        return WithPropertiesOf(card, edited, names);
    }

    // The card to send, with the UID a card on a CardDAV server must carry:
    // a server's card that came without one gets one here, once, so that
    // the server does not make up another at every write.
    std::string CardToSend(const std::string& kept, const AddressFields& fields, std::string& uid) {
        if (uid.empty() && (kept.empty() || CardUid(kept).empty())) uid = newUid_();
        return SendableCard(kept, fields, uid, in_.serverTakesVCard4);
    }

    // A record that differs from the one stored (new ETag, card or base, or
    // taken from a pending send) is stored again.
    void KeepIfNew(const SyncItem& record, const std::optional<std::string>& kept = std::nullopt) {
        const auto stored = stored_.find(record.href);
        if (stored != stored_.end() && *stored->second == record) return;
        Add(Act(ActionKind::KeepRecord, record.addressId, record.href, {}, {}, {}, record, kept));
    }

    // An edit here beats the delete on the server: the whole card goes back.
    void Recreate(const SyncItem& record, const AddressFields& fields) {
        SyncItem now = record;
        now.etag.clear();
        now.base = fields;
        now.held.clear();
        const std::string* edited = EditedCard(record);
        now.card = CardToSend(edited ? *edited : record.card, fields, now.uid);
        Add(Act(ActionKind::CreateOnServer, record.addressId, record.href, {}, fields, now.card, now));
    }

    // The kept card of the record's address when it was edited here since.
    const std::string* EditedCard(const SyncItem& record) const {
        const auto edited = in_.editedCards.find(record.addressId);
        return edited == in_.editedCards.end() ? nullptr : &edited->second;
    }

    void CreateOnServer(std::int32_t id, const AddressFields& fields, std::string href, std::string uid,
                        const std::string& kept) {
        SyncItem record{std::move(href), id, std::move(uid), {}, fields, {}, {}};
        record.card = CardToSend(kept, fields, record.uid);
        Add(Act(ActionKind::CreateOnServer, id, record.href, {}, fields, record.card, record));
    }

    // Addresses and cards without records: linked by content, else sent across.
    void PlanNewcomers() {
        std::multimap<std::string, std::pair<const ServerCard*, AddressFields>> cardsByKey;
        std::vector<const ServerCard*> newCards;
        for (const ServerCard& card : server_.Cards()) {
            if (records_.count(card.href)) continue;
            if (card.card.empty()) {
                plan_.problems.push_back(card.href + ": a new card on the server was not read; left for the next run");
                continue;
            }
            const auto fields = FieldsOfCard(card.href, card.card, plan_.problems);
            if (!fields) continue;
            cardsByKey.emplace(MatchKey(*fields), std::make_pair(&card, *fields));
        }
        for (const auto& [id, fields] : in_.local) {
            if (linkedIds_.count(id)) continue;
            if (const auto redo = createsToRedo_.find(id); redo != createsToRedo_.end()) {
                // The create may not have reached the server: same href and UID again.
                CreateOnServer(id, fields, redo->second->href, redo->second->uid, redo->second->card);
                continue;
            }
            const auto match = cardsByKey.find(MatchKey(fields));
            if (match == cardsByKey.end()) {
                const std::string uid = newUid_();
                CreateOnServer(id, fields, uid + ".vcf", uid, {});
                continue;
            }
            const auto& [card, serverFields] = match->second;
            const SyncItem record{card->href, id, CardUid(card->card), card->etag, serverFields, card->card, {}};
            Add(Act(ActionKind::Link, id, card->href, {}, serverFields, {}, record));
            // Linked cards agree up to case and blanks; the server's spelling is taken.
            if (fields != serverFields) Add(Act(ActionKind::UpdateLocal, id, card->href, {}, serverFields, {}, record));
            cardsByKey.erase(match);
        }
        for (const auto& [key, entry] : cardsByKey) {
            const auto& [card, fields] = entry;
            const SyncItem record{card->href, 0, CardUid(card->card), card->etag, fields, card->card, {}};
            Add(Act(ActionKind::StoreLocal, 0, card->href, {}, fields, {}, record));
        }
    }

    void Add(SyncAction action) {
        // The first sync deletes nothing.
        if (in_.firstSync && (action.kind == ActionKind::DeleteLocal || action.kind == ActionKind::DeleteOnServer))
            return;
        plan_.actions.push_back(std::move(action));
    }

    const SyncInput& in_;
    const SyncPlanner::UidSource& newUid_;
    SyncPlan& plan_;
    ServerView server_;
    std::map<std::string, SyncItem> records_;        // as this run sees them
    std::map<std::string, const SyncItem*> stored_;  // as the last run left them
    std::set<std::int32_t> linkedIds_;
    std::map<std::int32_t, const PendingSend*> createsToRedo_;
    std::set<std::string> deletedHere_;
};

}  // namespace

SyncPlanner::SyncPlanner(UidSource newUid) : newUid_(std::move(newUid)) {}
SyncPlanner::SyncPlanner() : SyncPlanner(RandomUuid) {}

SyncPlan SyncPlanner::Plan(const SyncInput& input) const {
    SyncPlan plan;
    PlanBuilder(input, newUid_, plan).Build();
    return plan;
}

SyncPlan SyncPlanner::PlanLink(std::int32_t addressId, const AddressFields& fields, const ServerCard& card) const {
    std::vector<std::string> problems;
    if (!FieldsOfCard(card.href, card.card, problems)) {
        SyncPlan plan;
        plan.problems = std::move(problems);
        return plan;
    }
    // A record with nothing agreed and the card as kept: the rules merge the
    // two like any linked pair. The listing names no card, so none is gone.
    SyncInput input;
    input.local[addressId] = fields;
    input.records.push_back({card.href, addressId, CardUid(card.card), card.etag, AddressFields{}, card.card, {}});
    input.server.complete = false;
    return Plan(input);
}

}  // namespace orvane::sync
