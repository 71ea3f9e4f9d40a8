#pragma once

#include <memory>
#include <string>
#include <unordered_set>

#include "core/Variant.h"
#include "transfer/ImportSummary.h"

class CDataTransferTier;

namespace orvane::transfer {

// Imports vCard and CSV files into the address table through the data
// tier: the format is told from the content, each file is stored in one
// transaction (a damaged file stores nothing), and an address identical in
// all seven fields to one already stored or read before is skipped.
// Every problem, a failing database included, is collected in the summary
// with the file it concerns; nothing is raised.
class AddressImporter {
public:
    // database: the database file; empty for the window's database.
    explicit AddressImporter(std::string database = {});
    ~AddressImporter();
    AddressImporter(const AddressImporter&) = delete;
    AddressImporter& operator=(const AddressImporter&) = delete;

    // label names the file in problem lines ("label:line: ...").
    void ImportFile(const std::string& path, const std::string& label);
    void ImportBytes(std::string bytes, const std::string& label);

    const ImportSummary& Summary() const { return summary_; }

private:
    void ImportText(const std::string& text, const std::string& label);
    // Adds one stored address to known_.
    void LoadStoredAddress(const Variant& vntAddressInfo);

    std::unique_ptr<CDataTransferTier> data_;
    std::unordered_set<std::string> known_;  // keys of the addresses stored when the file began
    ImportSummary summary_;
};

}  // namespace orvane::transfer
