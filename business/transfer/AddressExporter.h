#pragma once

#include <cstddef>
#include <ostream>
#include <memory>
#include <string>

#include "transfer/TransferFormat.h"

class CDataTransferTier;

namespace orvane {
class SafeFileWriter;
}

namespace orvane::transfer {

// Writes every stored address, in the order the name list shows them, as
// vCard 4.0, vCard 3.0 or CSV, row by row as the data tier reads them. An
// address with a kept card is written as that card with its current seven
// fields, in the version asked for; one without as a plain new card.
class AddressExporter {
public:
    // database: the database file; empty for the window's database.
    explicit AddressExporter(std::string database = {});
    ~AddressExporter();
    AddressExporter(const AddressExporter&) = delete;
    AddressExporter& operator=(const AddressExporter&) = delete;

    // Returns the number of addresses written; a failed write is an error.
    std::size_t Export(std::ostream& out, TransferFormat format) const;
    // A regular file is written under a private name beside it and put in
    // place only when complete, so a failure leaves an existing file as it
    // was; a FIFO or device is written into (see SafeFileWriter). A failure
    // names the file and its cause.
    std::size_t ExportToFile(const std::string& path, TransferFormat format) const;
    // Standard output; a closed one is refused before anything is read.
    std::size_t ExportToStandardOutput(TransferFormat format) const;

private:
    std::size_t ExportTo(SafeFileWriter& file, TransferFormat format) const;

    std::unique_ptr<CDataTransferTier> data_;
};

}  // namespace orvane::transfer
