#include "sync/SyncActions.h"

#include "sync/CardLines.h"
#include "sync/CardPatch.h"
#include "sync/NewCard.h"
#include "sync/Refusal.h"
#include "sync/SendableCard.h"
#include "sync/SyncPlanner.h"
#include "sync/SyncRun.h"
#include "transfer/FileFormatError.h"
#include "transfer/VCardWriter.h"

namespace orvane::sync {
namespace {

bool IsAbsolute(const std::string& href) { return href.find("://") != std::string::npos; }

// The address a write concerns, as the list shows it; none for a delete.
std::string NameOf(const SyncAction& action) {
    return action.kind == ActionKind::DeleteOnServer ? std::string() : DisplayText(action.fields);
}

// The write an action makes, recorded before it is sent.
PendingOperation OperationOf(const SyncAction& action, PendingOperation::Kind kind) {
    PendingOperation operation;
    operation.kind = kind;
    operation.href = action.href;
    if (action.addressId != 0) operation.addressId = action.addressId;
    if (kind != PendingOperation::Kind::Delete) operation.cardText = action.card;
    if (!action.ifMatch.empty()) operation.ifMatch = action.ifMatch;
    return operation;
}

}  // namespace

std::string CardForNewAddress(const std::optional<std::string>& kept, const transfer::AddressFields& fields,
                              const std::string& card, std::string& uid, std::int32_t addressId) {
    if (!kept) return card;
    // An imported card goes up as 3.0: the server's own 4.0 cards alone are
    // known to be taken back as 4.0. A card kept without a UID (by an older
    // version) takes the one an export gives the address.
    const std::string own = CardUid(*kept);
    const std::string cardUid = own.empty() ? transfer::StableUid(addressId) : own;
    const std::string sent = SendableCard(*kept, fields, cardUid, false);
    uid = CardUid(sent);
    return sent;
}

SyncActions::SyncActions(ServerBook& book, SyncStores& stores, SyncResult& result)
    : book_(book), stores_(stores), result_(result) {}

void SyncActions::Store(const SyncItem& record, const std::optional<std::string>& kept) {
    stores_.state.UpsertItems({record});
    if (record.addressId != 0 && !record.card.empty()) stores_.cards.KeepCard(record.addressId, kept.value_or(record.card));
}

void SyncActions::StoreLocal(const std::vector<const SyncAction*>& planned) {
    // A card linked this run to the address whose UID it holds is not stored as another.
    std::vector<const SyncAction*> actions;
    for (const SyncAction* action : planned)
        if (!linkedHrefs_.count(action->href)) actions.push_back(action);
    if (actions.empty()) return;
    std::vector<CDataSyncAddressTier::Fields> fields;
    fields.reserve(actions.size());
    for (const SyncAction* action : actions) fields.push_back(action->fields);
    const std::vector<std::int32_t> ids = stores_.addresses.AddAll(fields);
    std::vector<SyncItem> items;
    items.reserve(actions.size());
    for (std::size_t i = 0; i < actions.size(); ++i) {
        SyncItem record = *actions[i]->record;
        record.addressId = ids[i];
        items.push_back(record);
    }
    stores_.state.UpsertItems(items);
    std::size_t next = 0;
    stores_.cards.KeepCards([&](std::int32_t& addressId, std::string& card) {
        while (next < actions.size() && actions[next]->record->card.empty()) ++next;
        if (next == actions.size()) return false;
        addressId = ids[next];
        card = actions[next]->record->card;
        ++next;
        return true;
    });
    result_.received += actions.size();
}

void SyncActions::ApplyLocal(const std::vector<const SyncAction*>& planned) {
    std::vector<const SyncAction*> actions;
    std::vector<CDataSyncBatch::Change> changes;
    for (const SyncAction* action : planned) {
        const std::int32_t id = action->addressId;
        if (changedHere_.count(id)) continue;
        const SyncItem* record = action->kind == ActionKind::UpdateLocal && action->record ? &*action->record : nullptr;
        // A record kept for another address than the one written: on its own.
        if (record && record->addressId != 0 && record->addressId != id) {
            Execute(*action);
            continue;
        }
        CDataSyncBatch::Change change;
        change.lngAddressID = id;
        if (local_) {
            const auto read = local_->find(id);
            if (read == local_->end()) {
                changedHere_.insert(id);
                continue;
            }
            change.read = read->second;
        }
        if (action->kind == ActionKind::UpdateLocal) {
            change.fields = action->fields;
            if (record) {
                change.item = *record;
                if (record->addressId != 0) change.card = action->kept.value_or(record->card);
            }
        } else {
            change.droppedHref = action->href;
        }
        actions.push_back(action);
        changes.push_back(std::move(change));
    }
    const std::vector<bool> written = stores_.received.Apply(changes);
    for (std::size_t i = 0; i < actions.size(); ++i) {
        if (!written[i]) changedHere_.insert(actions[i]->addressId);
        else if (actions[i]->kind == ActionKind::UpdateLocal) ++result_.received;
        else ++result_.deletedHere;
    }
}

bool SyncActions::WriteLocal(const SyncAction& action) {
    const std::int32_t id = action.addressId;
    if (!local_) {
        if (action.kind == ActionKind::DeleteLocal) stores_.addresses.Delete(id);
        else stores_.addresses.Update(id, action.fields);
        return true;
    }
    const auto read = local_->find(id);
    const bool written = read != local_->end() &&
                         (action.kind == ActionKind::DeleteLocal
                              ? stores_.addresses.DeleteIfUnchanged(id, read->second)
                              : stores_.addresses.UpdateIfUnchanged(id, read->second, action.fields));
    if (!written) changedHere_.insert(id);
    return written;
}

bool SyncActions::Execute(const SyncAction& action) {
    if (action.addressId != 0 && changedHere_.count(action.addressId)) return true;
    switch (action.kind) {
        case ActionKind::StoreLocal: {
            if (linkedHrefs_.count(action.href)) return true;
            SyncItem record = *action.record;
            record.addressId = stores_.addresses.Add(action.fields);
            Store(record);
            ++result_.received;
            return true;
        }
        case ActionKind::UpdateLocal:
            // Changed here meanwhile: the record stays as the last run left
            // it (see LeftChangesHere).
            if (!WriteLocal(action)) return true;
            if (action.record) Store(*action.record, action.kept);
            ++result_.received;
            return true;
        case ActionKind::DeleteLocal:
            if (!WriteLocal(action)) return true;
            stores_.state.DeleteItems({action.href});
            ++result_.deletedHere;
            return true;
        case ActionKind::CreateOnServer: return Create(action);
        case ActionKind::UpdateOnServer: return Update(action);
        case ActionKind::DeleteOnServer: return Delete(action);
        case ActionKind::Link:
        case ActionKind::KeepRecord:
            if (action.record) Store(*action.record, action.kept);
            return true;
        case ActionKind::DropRecord: stores_.state.DeleteItems({action.href}); return true;
    }
    return true;
}

void SyncActions::Written(SyncItem record, const carddav::WriteResult& answer, std::int32_t pendingId,
                          const std::optional<std::string>& kept) {
    record.etag = answer.etag.value_or("");
    Store(record, kept);
    // A server that rewrote the card and sent no ETag: read it at the end.
    if (!answer.etag) withoutEtag_[record.href] = record;
    stores_.state.RemovePending({pendingId});
    ++result_.sent;
}

void SyncActions::HoldRefused(std::vector<::RefusedWrite> stored, bool retry) {
    refusals_ = std::move(stored);
    concerned_.clear();
    retryRefused_ = retry;
}

std::vector<std::string> SyncActions::UnconcernedRefusals() const {
    std::vector<std::string> hrefs;
    for (std::size_t i = 0; i < refusals_.size(); ++i)
        if (!concerned_.count(i)) hrefs.push_back(refusals_[i].href);
    return hrefs;
}

const ::RefusedWrite* SyncActions::StoredRefusal(std::int32_t addressId, const std::string& href) {
    for (std::size_t i = 0; i < refusals_.size(); ++i) {
        const ::RefusedWrite& refusal = refusals_[i];
        if ((addressId != 0 && refusal.addressId == addressId) || refusal.href == href) {
            concerned_.insert(i);
            return &refusal;
        }
    }
    return nullptr;
}

bool SyncActions::HeldBack(const SyncAction& action, const std::string& href, const std::string& card) {
    // Planned again in a later round of this run: refused or held back once is enough.
    for (const RefusedCard& seen : result_.refused)
        if ((action.addressId != 0 && seen.addressId == action.addressId) || seen.href == href) return true;
    const ::RefusedWrite* stored = StoredRefusal(action.addressId, href);
    if (!stored || retryRefused_ || stored->cardHash != CardHash(card)) return false;
    result_.refused.push_back({action.addressId, NameOf(action), stored->href, stored->reason, true});
    return true;
}

void SyncActions::Refused(const SyncAction& action, const std::string& href, const std::string& card,
                          const carddav::WriteResult& answer, std::int32_t pendingId) {
    const std::string reason =
        (answer.reason.empty() ? std::string("no reason given") : answer.reason) + " (HTTP " +
        std::to_string(answer.status) + ")";
    result_.refused.push_back({action.addressId, NameOf(action), href, reason, false});
    ::RefusedWrite stored{href, std::nullopt, CardHash(card), reason};
    if (action.addressId != 0) stored.addressId = action.addressId;
    stores_.state.AddRefusal(stored);
    concerned_.insert(refusals_.size());
    refusals_.push_back(std::move(stored));
    stores_.state.RemovePending({pendingId});
}

void SyncActions::Accepted(std::int32_t addressId, const std::string& href) {
    if (const ::RefusedWrite* stored = StoredRefusal(addressId, href)) stores_.state.RemoveRefusals({stored->href});
}

bool SyncActions::LinkToExisting(const SyncAction& action, const std::string& url, bool& done) {
    // A card linked to another address here is not this one's to take.
    for (const SyncItem& item : stores_.state.ReadItems())
        if (item.href == url) return false;
    const std::optional<carddav::RemoteCard> card = book_.Get(url);
    if (!card) return false;
    const SyncPlan plan = SyncPlanner().PlanLink(action.addressId, action.fields, {url, card->etag, card->text});
    if (plan.actions.empty()) return false;
    result_.problems.insert(result_.problems.end(), plan.problems.begin(), plan.problems.end());
    linkConflicts_.insert(linkConflicts_.end(), plan.conflicts.begin(), plan.conflicts.end());
    linkedHrefs_.insert(url);
    done = true;
    for (const SyncAction& step : plan.actions)
        if (!Execute(step)) {
            done = false;
            break;
        }
    return true;
}

bool SyncActions::Create(const SyncAction& action) {
    SyncAction send = action;
    SyncItem record = *action.record;
    if (!IsAbsolute(send.href)) {
        // A card new on the server: an imported address takes its own card up.
        send.href = book_.CardUrl(send.href);
        send.card = CardForNewAddress(stores_.cards.ReadCard(action.addressId), action.fields, action.card, record.uid,
                                      action.addressId);
        record.href = send.href;
        record.card = send.card;
    }
    if (HeldBack(action, send.href, send.card)) return true;
    const std::int32_t pendingId =
        stores_.state.AddPending({OperationOf(send, PendingOperation::Kind::Create)}).front().id;
    const carddav::WriteResult answer = book_.Create(send.href, send.card);
    switch (answer.outcome) {
        case carddav::WriteOutcome::Created:
        case carddav::WriteOutcome::Updated:
            Written(record, answer, pendingId);
            Accepted(action.addressId, send.href);
            return true;
        // Already there (an earlier run's create that did arrive): read it and link.
        case carddav::WriteOutcome::PreconditionFailed: return false;
        case carddav::WriteOutcome::Conflict:
            if (answer.existingUrl) {
                // Nothing was created: the pending write goes whatever follows.
                stores_.state.RemovePending({pendingId});
                bool done = true;
                if (LinkToExisting(send, *answer.existingUrl, done)) {
                    Accepted(action.addressId, send.href);
                    return done;
                }
            }
            Refused(send, send.href, send.card, answer, pendingId);
            return true;
        default: Refused(send, send.href, send.card, answer, pendingId); return true;
    }
}

bool SyncActions::Update(const SyncAction& action) {
    if (HeldBack(action, action.href, action.card)) return true;
    const std::int32_t pendingId =
        stores_.state.AddPending({OperationOf(action, PendingOperation::Kind::Update)}).front().id;
    const carddav::WriteResult answer = book_.Update(action.href, action.ifMatch, action.card);
    switch (answer.outcome) {
        case carddav::WriteOutcome::Created:
        case carddav::WriteOutcome::Updated:
            Written(*action.record, answer, pendingId, action.kept);
            Accepted(action.addressId, action.href);
            return true;
        // Changed or deleted on the server meanwhile: read again and merge.
        case carddav::WriteOutcome::PreconditionFailed:
        case carddav::WriteOutcome::NotFound: return false;
        default: Refused(action, action.href, action.card, answer, pendingId); return true;
    }
}

bool SyncActions::Delete(const SyncAction& action) {
    if (HeldBack(action, action.href, {})) return true;
    const std::int32_t pendingId =
        stores_.state.AddPending({OperationOf(action, PendingOperation::Kind::Delete)}).front().id;
    const carddav::WriteResult answer = book_.Delete(action.href, action.ifMatch);
    switch (answer.outcome) {
        case carddav::WriteOutcome::Deleted:
            ++result_.deletedThere;
            [[fallthrough]];
        case carddav::WriteOutcome::NotFound:
            stores_.state.DeleteItems({action.href});
            stores_.state.RemovePending({pendingId});
            Accepted(action.addressId, action.href);
            return true;
        // Edited on the server meanwhile: the edit beats the delete.
        case carddav::WriteOutcome::PreconditionFailed: return false;
        default: Refused(action, action.href, {}, answer, pendingId); return true;
    }
}

}  // namespace orvane::sync
