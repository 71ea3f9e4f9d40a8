#include "transfer/AddressExporter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "CDataTransferTier.h"
#include "core/Error.h"
#include "core/Variant.h"
#include "transfer/CsvWriter.h"
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

    std::size_t count = 0;
    data_->ReadAddresses([&](const Variant& vntAddressInfo) {
        const VariantArray& record = vntAddressInfo.Array();
        AddressFields fields;
        for (std::int32_t i = 1; i <= 7; ++i) fields[static_cast<std::size_t>(i - 1)] = record.At(i, 0).JoinEmpty();
        if (csv) csv->Write(fields);
        else vcard->Write(record.At(0, 0).ToLong(), fields);
        if (!out) throw Error(kPathFileAccess, "Path/File access error: the addresses could not be written.");
        ++count;
    });
    out.flush();
    if (!out) throw Error(kPathFileAccess, "Path/File access error: the addresses could not be written.");
    return count;
}

std::size_t AddressExporter::ExportToFile(const std::string& path, TransferFormat format) const {
    const std::filesystem::path target = path;
    std::filesystem::path partial = target;
    partial += ".part";
    std::size_t count = 0;
    try {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out)
            throw Error(kPathFileAccess, "Path/File access error: cannot write '" + partial.string() + "': " + std::strerror(errno));
        count = Export(out, format);
        out.close();
        if (!out) throw Error(kPathFileAccess, "Path/File access error: cannot write '" + partial.string() + "'.");
        std::filesystem::rename(partial, target);
    } catch (const std::filesystem::filesystem_error& e) {
        std::error_code ec;
        std::filesystem::remove(partial, ec);
        throw Error(kPathFileAccess, "Path/File access error: cannot write '" + target.string() + "': " + e.code().message());
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(partial, ec);
        throw;
    }
    return count;
}

}  // namespace orvane::transfer
