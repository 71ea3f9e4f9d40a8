#pragma once

#include <cstddef>
#include <ostream>
#include <memory>
#include <string>

#include "transfer/TransferFormat.h"

class CDataTransferTier;

namespace orvane::transfer {

// Writes every stored address, in the order the name list shows them, as
// vCard 4.0, vCard 3.0 or CSV, row by row as the data tier reads them.
class AddressExporter {
public:
    // database: the database file; empty for the window's database.
    explicit AddressExporter(std::string database = {});
    ~AddressExporter();
    AddressExporter(const AddressExporter&) = delete;
    AddressExporter& operator=(const AddressExporter&) = delete;

    // Returns the number of addresses written; a failed write is an error.
    std::size_t Export(std::ostream& out, TransferFormat format) const;
    // Writes beside the file first and puts it in place only when complete,
    // so a failure leaves an existing file as it was.
    std::size_t ExportToFile(const std::string& path, TransferFormat format) const;

private:
    std::unique_ptr<CDataTransferTier> data_;
};

}  // namespace orvane::transfer
