#include "transfer/TransferFormat.h"

#include "transfer/TextTools.h"

namespace orvane::transfer {

std::optional<TransferFormat> FormatFromName(std::string_view name) {
    if (text::EqualsNoCase(name, "vcard4")) return TransferFormat::VCard4;
    if (text::EqualsNoCase(name, "vcard3")) return TransferFormat::VCard3;
    if (text::EqualsNoCase(name, "csv")) return TransferFormat::Csv;
    return std::nullopt;
}

std::optional<TransferFormat> FormatFromExtension(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find_first_of("/\\", dot) != std::string_view::npos) return std::nullopt;
    const std::string_view extension = path.substr(dot);
    if (text::EqualsNoCase(extension, ".vcf") || text::EqualsNoCase(extension, ".vcard")) return TransferFormat::VCard4;
    if (text::EqualsNoCase(extension, ".csv")) return TransferFormat::Csv;
    return std::nullopt;
}

bool LooksLikeVCard(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text::Trim(text.substr(start, end - start));
        if (!line.empty()) {
            const std::size_t colon = line.find(':');
            return colon != std::string_view::npos && text::EqualsNoCase(text::Trim(line.substr(0, colon)), "BEGIN") &&
                   text::EqualsNoCase(text::Trim(line.substr(colon + 1)), "VCARD");
        }
        start = end + 1;
    }
    return false;
}

}  // namespace orvane::transfer
