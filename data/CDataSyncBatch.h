#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CDataSyncAddressTier.h"
#include "SyncStateRecords.h"

// The changes a sync run received for addresses it has, written a batch at
// a time in one transaction (one disk sync for the batch, not three per
// address). Each address is still written only while it holds exactly what
// the run read of it: one saved or deleted in the window since is left
// alone with everything that goes with it, and reported as such.
class CDataSyncBatch {
public:
    using Fields = CDataSyncAddressTier::Fields;

    struct Change {
        std::int32_t lngAddressID = 0;
        std::optional<Fields> read;     // what the run read; none: written anyway
        std::optional<Fields> fields;   // the new fields; none: the address is deleted
        std::optional<SyncItem> item;   // stored with a change (inserted or replaced)
        std::string card;               // kept as the address's card when not empty
        std::string droppedHref;        // with a delete: the item that goes with it
    };

    // strDatabase: the database file; empty for the window's database.
    explicit CDataSyncBatch(std::string strDatabase = {});

    // All changes in one transaction; for each, whether it was written.
    std::vector<bool> Apply(const std::vector<Change>& changes) const;

private:
    std::string mstrDatabase;
};
