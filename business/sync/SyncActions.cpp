#include "sync/SyncActions.h"

#include "sync/CardLines.h"
#include "sync/CardPatch.h"
#include "sync/NewCard.h"
#include "sync/SyncRun.h"
#include "sync/SyncStateMapping.h"
#include "transfer/FileFormatError.h"

namespace orvane::sync {
namespace {

bool IsAbsolute(const std::string& href) { return href.find("://") != std::string::npos; }

}  // namespace

std::string CardForNewAddress(const std::optional<std::string>& kept, const transfer::AddressFields& fields,
                              const std::string& card, std::string& uid) {
    if (!kept) return card;
    std::string patched;
    try {
        patched = PatchCard(*kept, fields);
    } catch (const transfer::FileFormatError&) {
        return card;  // a kept card that cannot be read: the plain one keeps the fields
    }
    const std::string own = CardUid(patched);
    if (own.empty()) return WithUid(patched, uid);
    uid = own;
    return patched;
}

SyncActions::SyncActions(carddav::CardDavClient& client, std::string bookUrl, SyncStores& stores, SyncResult& result)
    : client_(client), bookUrl_(std::move(bookUrl)), stores_(stores), result_(result) {}

void SyncActions::Store(const SyncRecord& record) {
    stores_.state.UpsertItems({ItemOf(record)});
    if (record.addressId != 0 && !record.card.empty()) stores_.cards.KeepCard(record.addressId, record.card);
}

void SyncActions::StoreLocal(const std::vector<const SyncAction*>& actions) {
    std::vector<CDataSyncAddressTier::Fields> fields;
    fields.reserve(actions.size());
    for (const SyncAction* action : actions) fields.push_back(action->fields);
    const std::vector<std::int32_t> ids = stores_.addresses.AddAll(fields);
    std::vector<SyncItem> items;
    items.reserve(actions.size());
    for (std::size_t i = 0; i < actions.size(); ++i) {
        SyncRecord record = *actions[i]->record;
        record.addressId = ids[i];
        items.push_back(ItemOf(record));
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
            SyncRecord record = *action.record;
            record.addressId = stores_.addresses.Add(action.fields);
            Store(record);
            ++result_.received;
            return true;
        }
        case ActionKind::UpdateLocal:
            // Changed here meanwhile: the record stays as the last run left
            // it (see LeftChangesHere).
            if (!WriteLocal(action)) return true;
            if (action.record) Store(*action.record);
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
            if (action.record) Store(*action.record);
            return true;
        case ActionKind::DropRecord: stores_.state.DeleteItems({action.href}); return true;
    }
    return true;
}

void SyncActions::Written(SyncRecord record, const carddav::WriteResult& answer, std::int32_t pendingId) {
    record.etag = answer.etag.value_or("");
    Store(record);
    // A server that rewrote the card and sent no ETag: read it at the end.
    if (!answer.etag) withoutEtag_[record.href] = record;
    stores_.state.RemovePending({pendingId});
    ++result_.sent;
}

void SyncActions::Refused(const std::string& href, const carddav::WriteResult& answer, std::int32_t pendingId) {
    result_.problems.push_back(href + ": the server refused the change (" + std::to_string(answer.status) +
                               (answer.message.empty() ? "" : ", " + answer.message) + "); nothing was changed here");
    stores_.state.RemovePending({pendingId});
}

bool SyncActions::Create(const SyncAction& action) {
    SyncAction send = action;
    SyncRecord record = *action.record;
    if (!IsAbsolute(send.href)) {
        // A card new on the server: an imported address takes its own card up.
        send.href = carddav::CardDavClient::CardUrl(bookUrl_, send.href);
        send.card = CardForNewAddress(stores_.cards.ReadCard(action.addressId), action.fields, action.card, record.uid);
        record.href = send.href;
        record.card = send.card;
    }
    const std::int32_t pendingId =
        stores_.state.AddPending({OperationOf(send, PendingOperation::Kind::Create)}).front().id;
    const carddav::WriteResult answer = client_.Create(send.href, send.card);
    switch (answer.outcome) {
        case carddav::WriteOutcome::Created:
        case carddav::WriteOutcome::Updated: Written(record, answer, pendingId); return true;
        // Already there (an earlier run's create that did arrive): read it and link.
        case carddav::WriteOutcome::PreconditionFailed: return false;
        default: Refused(send.href, answer, pendingId); return true;
    }
}

bool SyncActions::Update(const SyncAction& action) {
    const std::int32_t pendingId =
        stores_.state.AddPending({OperationOf(action, PendingOperation::Kind::Update)}).front().id;
    const carddav::WriteResult answer = client_.Update(action.href, action.ifMatch, action.card);
    switch (answer.outcome) {
        case carddav::WriteOutcome::Created:
        case carddav::WriteOutcome::Updated: Written(*action.record, answer, pendingId); return true;
        // Changed or deleted on the server meanwhile: read again and merge.
        case carddav::WriteOutcome::PreconditionFailed:
        case carddav::WriteOutcome::NotFound: return false;
        default: Refused(action.href, answer, pendingId); return true;
    }
}

bool SyncActions::Delete(const SyncAction& action) {
    const std::int32_t pendingId =
        stores_.state.AddPending({OperationOf(action, PendingOperation::Kind::Delete)}).front().id;
    const carddav::WriteResult answer = client_.Delete(action.href, action.ifMatch);
    switch (answer.outcome) {
        case carddav::WriteOutcome::Deleted:
            ++result_.deletedThere;
            [[fallthrough]];
        case carddav::WriteOutcome::NotFound:
            stores_.state.DeleteItems({action.href});
            stores_.state.RemovePending({pendingId});
            return true;
        // Edited on the server meanwhile: the edit beats the delete.
        case carddav::WriteOutcome::PreconditionFailed: return false;
        default: Refused(action.href, answer, pendingId); return true;
    }
}

}  // namespace orvane::sync
