#include "transfer/KeptCardExport.h"

#include "sync/CardPatch.h"
#include "transfer/CardWriter.h"

namespace orvane::transfer {

std::string ExportedCard(std::string_view keptCard, const AddressFields& fields, VCardVersion version,
                         const std::string& uid) {
    return WriteKeptCard(sync::PatchCard(keptCard, fields), version, fields, uid);
}

}  // namespace orvane::transfer
