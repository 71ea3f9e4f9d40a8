#include "sync/FieldMerge.h"

#include <algorithm>

namespace orvane::sync {

FieldMergeResult MergeFields(const transfer::AddressFields& base, const transfer::AddressFields& local,
                             const transfer::AddressFields& server, const std::vector<FieldChoice>& choices) {
    FieldMergeResult result{local, server, base, {}};
    for (std::size_t field = 0; field < base.size(); ++field) {
        const bool localChanged = local[field] != base[field];
        const bool serverChanged = server[field] != base[field];
        std::string agreed;
        if (!serverChanged || local[field] == server[field]) {
            agreed = local[field];
        } else if (!localChanged) {
            agreed = server[field];
        } else {
            const auto choice = std::find_if(choices.begin(), choices.end(),
                                             [&](const FieldChoice& c) { return c.field == field; });
            if (choice == choices.end()) {
                result.conflicts.push_back({field, local[field], server[field]});
                continue;  // each side keeps its value, the base stays
            }
            agreed = choice->take == Side::Local ? local[field] : server[field];
        }
        result.local[field] = agreed;
        result.server[field] = agreed;
        result.base[field] = agreed;
    }
    return result;
}

}  // namespace orvane::sync
