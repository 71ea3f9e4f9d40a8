#include "transfer/AddressImporter.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "CDataTransferTier.h"
#include "core/TextFile.h"
#include "core/Variant.h"
#include "transfer/CsvReader.h"
#include "transfer/FileFormatError.h"
#include "transfer/TransferFormat.h"
#include "transfer/VCardReader.h"

namespace orvane::transfer {
namespace {

// The seven fields as one text that no other seven fields give.
std::string Key(const AddressFields& fields) {
    std::string key;
    for (const std::string& field : fields) {
        key += std::to_string(field.size());
        key += ':';
        key += field;
    }
    return key;
}

std::unique_ptr<CardSource> ReaderFor(const std::string& text) {
    if (LooksLikeVCard(text)) return std::make_unique<VCardReader>(text);
    try {
        return std::make_unique<CsvReader>(text);
    } catch (const FileFormatError& e) {
        throw FileFormatError(e.Line(), "neither a vCard (no BEGIN:VCARD) nor a CSV address list: " + e.Description());
    }
}

// What one file adds to the summary; taken over only when its transaction
// has been committed.
struct FileTally {
    std::size_t imported = 0, duplicates = 0, cardsWithProblems = 0;
    std::map<std::string, std::size_t> notStored;
    std::vector<std::string> problems;
    std::unordered_set<std::string> added;
};

}  // namespace

AddressImporter::AddressImporter(std::string database) : data_(std::make_unique<CDataTransferTier>(std::move(database))) {}
AddressImporter::~AddressImporter() = default;

void AddressImporter::ImportFile(const std::string& path, const std::string& label) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in || in.bad()) {
        const int err = errno;
        summary_.problems.push_back(label + ": cannot read the file: " + std::strerror(err));
        ++summary_.filesRefused;
        return;
    }
    ImportBytes(std::move(bytes), label);
}

void AddressImporter::ImportBytes(std::string bytes, const std::string& label) {
    ImportText(DecodeText(std::move(bytes)), label);
}

void AddressImporter::LoadStoredAddress(const Variant& vntAddressInfo) {
    const VariantArray& record = vntAddressInfo.Array();
    AddressFields fields;
    for (std::int32_t i = 1; i <= 7; ++i) fields[static_cast<std::size_t>(i - 1)] = record.At(i, 0).JoinEmpty();
    known_.insert(Key(fields));
}

void AddressImporter::ImportText(const std::string& text, const std::string& label) {
    FileTally tally;
    try {
        const std::unique_ptr<CardSource> reader = ReaderFor(text);
        ImportedCard card;
        // The stored addresses are read inside the file's write transaction,
        // so an import running at the same time is seen, not repeated.
        known_.clear();
        data_->ImportAddresses([&](const Variant& vntAddressInfo) { LoadStoredAddress(vntAddressInfo); },
                               [&](Variant& vntAddressInfo) {
            while (reader->Next(card)) {
                for (const CardProblem& problem : card.problems)
                    tally.problems.push_back(label + ":" + std::to_string(problem.line) + ": " + problem.message);
                if (card.IsBlank()) {
                    tally.problems.push_back(label + ":" + std::to_string(card.line) +
                                             ": the card has no name, address or phone; nothing of it was stored");
                    ++tally.cardsWithProblems;
                    continue;
                }
                if (!card.problems.empty()) ++tally.cardsWithProblems;
                std::string key = Key(card.fields);
                if (known_.count(key) || !tally.added.insert(std::move(key)).second) {
                    ++tally.duplicates;
                    continue;
                }
                // Counted for the cards stored; a duplicate's extras are
                // stored as much as the card it repeats.
                for (const std::string& name : card.notStored) ++tally.notStored[name];
                VariantArray record(0, 7, 0, 0);
                record.At(0, 0) = Variant(std::int32_t{0});
                for (std::int32_t i = 1; i <= 7; ++i)
                    record.At(i, 0) = Variant(std::move(card.fields[static_cast<std::size_t>(i - 1)]));
                vntAddressInfo = Variant(std::move(record));
                ++tally.imported;
                return true;
            }
            return false;
        });
    } catch (const FileFormatError& e) {
        summary_.problems.push_back(label + ":" + std::to_string(e.Line()) + ": " + e.Description() +
                                    "; nothing from this file was stored");
        ++summary_.filesRefused;
        return;
    } catch (const Error& e) {
        summary_.problems.push_back(label + ": " + e.Description() + "; nothing from this file was stored");
        ++summary_.filesRefused;
        return;
    }
    summary_.imported += tally.imported;
    summary_.duplicates += tally.duplicates;
    summary_.cardsWithProblems += tally.cardsWithProblems;
    for (const auto& [name, count] : tally.notStored) summary_.notStored[name] += count;
    summary_.problems.insert(summary_.problems.end(), tally.problems.begin(), tally.problems.end());
    ++summary_.files;
}

}  // namespace orvane::transfer
