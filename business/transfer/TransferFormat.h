#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane::transfer {

enum class TransferFormat { VCard4, VCard3, Csv };

// "vcard4", "vcard3" or "csv" (any letter case).
std::optional<TransferFormat> FormatFromName(std::string_view name);
// From a file name's extension: ".vcf" (and ".vcard") vCard 4.0, ".csv" CSV.
std::optional<TransferFormat> FormatFromExtension(std::string_view path);
// Whether the first line with anything on it is BEGIN:VCARD.
bool LooksLikeVCard(std::string_view text);

}  // namespace orvane::transfer
