#include "sync/SendableCard.h"

#include "sync/CardPatch.h"
#include "sync/NewCard.h"
#include "transfer/CardWriter.h"
#include "transfer/FileFormatError.h"

namespace orvane::sync {

std::string SendableCard(const std::string& kept, const transfer::AddressFields& fields, const std::string& uid,
                         bool serverTakesVCard4) {
    using transfer::VCardVersion;
    if (!kept.empty()) {
        try {
            const VCardVersion version = serverTakesVCard4 && transfer::CardVersionOf(kept) == VCardVersion::V40
                                             ? VCardVersion::V40
                                             : VCardVersion::V30;
            return transfer::WriteKeptCard(PatchCard(kept, fields), version, fields, uid);
        } catch (const transfer::FileFormatError&) {
            // A kept card that cannot be read: a plain card keeps at least the fields.
        }
    }
    return NewCardText(fields, uid);
}

}  // namespace orvane::sync
