#include "transfer/AddressExporter.h"

#include <optional>

#include "CDataTransferTier.h"
#include "core/Error.h"
#include "core/SafeFileWriter.h"
#include "core/Variant.h"
#include "transfer/CsvWriter.h"
#include "transfer/FileFormatError.h"
#include "transfer/KeptCardExport.h"
#include "transfer/VCardWriter.h"

namespace orvane::transfer {
namespace {
constexpr std::int32_t kPathFileAccess = 75;
}

AddressExporter::AddressExporter(std::string database) : data_(std::make_unique<CDataTransferTier>(std::move(database))) {}
AddressExporter::~AddressExporter() = default;

std::size_t AddressExporter::Export(std::ostream& out, TransferFormat format) const {
    std::optional<CsvWriter> csv;
    std::optional<VCardWriter> vcard;
    if (format == TransferFormat::Csv) csv.emplace(out);
    else vcard.emplace(out, format == TransferFormat::VCard3 ? VCardVersion::V30 : VCardVersion::V40);

    const VCardVersion version = format == TransferFormat::VCard3 ? VCardVersion::V30 : VCardVersion::V40;
    std::size_t count = 0;
    auto write = [&](const Variant& vntAddressInfo, const std::string* card) {
        const VariantArray& record = vntAddressInfo.Array();
        AddressFields fields;
        for (std::int32_t i = 1; i <= 7; ++i) fields[static_cast<std::size_t>(i - 1)] = record.At(i, 0).JoinEmpty();
        if (csv) {
            csv->Write(fields);
        } else if (card) {
            // The card the address came from, with its current fields.
            std::string text;
            try {
                // A card kept without a UID (by an older version) takes the
                // UID a plain export and a sync give the address.
                text = ExportedCard(*card, fields, version, StableUid(record.At(0, 0).ToLong()));
            } catch (const FileFormatError&) {
                // A kept text that holds no card (never kept so by an
                // import): the address is written as one typed here.
            }
            if (text.empty()) vcard->Write(record.At(0, 0).ToLong(), fields);
            else out << text;
        } else {
            vcard->Write(record.At(0, 0).ToLong(), fields);
        }
        if (!out) throw Error(kPathFileAccess, "Path/File access error: the addresses could not be written.");
        ++count;
    };
    // CSV has no place for a card: the cards are not read at all.
    if (csv) data_->ReadAddresses([&](const Variant& vntAddressInfo) { write(vntAddressInfo, nullptr); });
    else data_->ReadAddressesWithCards(write);
    out.flush();
    if (!out) throw Error(kPathFileAccess, "Path/File access error: the addresses could not be written.");
    return count;
}

std::size_t AddressExporter::ExportToFile(const std::string& path, TransferFormat format) const {
    SafeFileWriter file(path);
    return ExportTo(file, format);
}

std::size_t AddressExporter::ExportToStandardOutput(TransferFormat format) const {
    // Checked before the database is opened, which could take the closed
    // descriptor's number.
    SafeFileWriter out = SafeFileWriter::StandardOutput();
    return ExportTo(out, format);
}

std::size_t AddressExporter::ExportTo(SafeFileWriter& file, TransferFormat format) const {
    std::size_t count = 0;
    try {
        count = Export(file.Stream(), format);
    } catch (const Error&) {
        file.ThrowIfFailed();  // the write's own cause, not the stream's general failure
        throw;
    }
    file.Commit();
    return count;
}

}  // namespace orvane::transfer
