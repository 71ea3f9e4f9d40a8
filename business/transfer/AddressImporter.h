#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "core/Variant.h"
#include "transfer/AddressKey.h"
#include "transfer/ImportSummary.h"

class CDataTransferTier;

namespace orvane::transfer {

// The largest file (or standard input) an import reads; a larger one is
// refused unread.
inline constexpr std::size_t kMaxImportBytes = std::size_t{64} << 20;
// Problem lines kept per file; the rest are counted in one more line.
inline constexpr std::size_t kProblemLinesKept = 100;

// Imports vCard and CSV files into the address table through the data
// tier: the format is told from the content, each file is stored in one
// transaction (a damaged file stores nothing), and an address identical in
// all seven fields to one already stored or read before is skipped. A
// vCard's whole text is kept beside its address, in the same transaction.
// Every problem, a failing database included, is collected in the summary
// with the file it concerns; nothing is raised.
class AddressImporter {
public:
    // database: the database file; empty for the window's database.
    explicit AddressImporter(std::string database = {});
    ~AddressImporter();
    AddressImporter(const AddressImporter&) = delete;
    AddressImporter& operator=(const AddressImporter&) = delete;

    // label names the file in problem lines ("label:line: ..."). Only a
    // regular file of at most kMaxImportBytes is read; anything else is
    // refused, named, and the import goes on with the next file.
    void ImportFile(const std::string& path, const std::string& label);
    // Standard input (a pipe, a terminal, a file; not a folder), up to
    // kMaxImportBytes, as the file "-".
    void ImportStandardInput();
    void ImportBytes(std::string bytes, const std::string& label);

    const ImportSummary& Summary() const { return summary_; }

private:
    void ImportText(const std::string& text, const std::string& label);
    // Adds one stored address to known_.
    void LoadStoredAddress(const Variant& vntAddressInfo);
    void Refuse(std::string problem);

    std::unique_ptr<CDataTransferTier> data_;
    AddressKeySet known_;  // keys of the addresses stored when the file began
    ImportSummary summary_;
    std::vector<std::size_t> replaced_;  // where the file being read had bytes that were not text
};

}  // namespace orvane::transfer
