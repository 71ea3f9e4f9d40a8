#pragma once

#include <vector>

#include "SyncStateRecords.h"
#include "sync/SyncState.h"

// The sync state as the data tier stores it, turned into the values the
// planner works on and back.
namespace orvane::sync {

std::vector<SyncRecord> RecordsOf(const std::vector<SyncItem>& items);
SyncItem ItemOf(const SyncRecord& record);
// A pending write with the UID and fields of the card it sends.
std::vector<PendingSend> PendingOf(const std::vector<PendingOperation>& operations);
PendingOperation OperationOf(const SyncAction& action, PendingOperation::Kind kind);

}  // namespace orvane::sync
