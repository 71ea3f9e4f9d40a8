#include "sync/SyncStateMapping.h"

#include "sync/CardLines.h"
#include "sync/ServerView.h"

namespace orvane::sync {
namespace {

std::vector<PropertyConflict> HeldOf(const std::vector<HeldProperty>& stored) {
    std::vector<PropertyConflict> held;
    for (const HeldProperty& property : stored)
        held.push_back({property.property, property.localValue, property.serverValue, property.baseCard});
    return held;
}

}  // namespace

std::vector<SyncRecord> RecordsOf(const std::vector<SyncItem>& items) {
    std::vector<SyncRecord> records;
    records.reserve(items.size());
    for (const SyncItem& item : items)
        records.push_back({item.addressId.value_or(0), item.href, item.etag.value_or(""), item.uid, item.base,
                           item.serverCard, HeldOf(item.heldProperties)});
    return records;
}

SyncItem ItemOf(const SyncRecord& record) {
    SyncItem item;
    item.href = record.href;
    if (record.addressId != 0) item.addressId = record.addressId;
    item.uid = record.uid;
    if (!record.etag.empty()) item.etag = record.etag;
    item.base = record.base;
    item.serverCard = record.card;
    for (const PropertyConflict& held : record.held)
        item.heldProperties.push_back({held.property, held.local, held.server, held.base});
    return item;
}

std::vector<PendingSend> PendingOf(const std::vector<PendingOperation>& operations) {
    std::vector<PendingSend> pending;
    for (const PendingOperation& operation : operations) {
        PendingSend send;
        switch (operation.kind) {
            case PendingOperation::Kind::Create: send.kind = PendingKind::Create; break;
            case PendingOperation::Kind::Update: send.kind = PendingKind::Update; break;
            case PendingOperation::Kind::Delete: send.kind = PendingKind::Delete; break;
        }
        send.addressId = operation.addressId.value_or(0);
        send.href = operation.href;
        if (operation.cardText) {
            send.card = *operation.cardText;
            send.uid = CardUid(send.card);
            std::vector<std::string> ignored;
            // A card we wrote ourselves is always readable; a damaged row is
            // no longer a write this run can finish.
            const auto fields = FieldsOfCard(operation.href, send.card, ignored);
            if (!fields) continue;
            send.fields = *fields;
        }
        pending.push_back(std::move(send));
    }
    return pending;
}

PendingOperation OperationOf(const SyncAction& action, PendingOperation::Kind kind) {
    PendingOperation operation;
    operation.kind = kind;
    operation.href = action.href;
    if (action.addressId != 0) operation.addressId = action.addressId;
    if (kind != PendingOperation::Kind::Delete) operation.cardText = action.card;
    if (!action.ifMatch.empty()) operation.ifMatch = action.ifMatch;
    return operation;
}

}  // namespace orvane::sync
