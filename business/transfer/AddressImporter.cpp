#include "transfer/AddressImporter.h"

#include <exception>
#include <new>
#include <memory>

#include "CDataTransferTier.h"
#include "core/InputFile.h"
#include "core/TextFile.h"
#include "core/Variant.h"
#include "transfer/AddressKey.h"
#include "sync/CardLines.h"
#include "sync/NewCard.h"
#include "transfer/CheckedCards.h"
#include "transfer/CsvReader.h"
#include "transfer/FileFormatError.h"
#include "transfer/TextTools.h"
#include "transfer/TransferFormat.h"
#include "transfer/VCardReader.h"

namespace orvane::transfer {
namespace {

// The seven fields as a short key (see AddressKey).
std::string Key(const AddressFields& fields) { return AddressKey(fields); }

std::unique_ptr<CardSource> ReaderFor(const std::string& text, const std::vector<std::size_t>& replaced) {
    if (LooksLikeVCard(text)) return std::make_unique<CheckedCards>(std::make_unique<VCardReader>(text), text, replaced);
    try {
        return std::make_unique<CheckedCards>(std::make_unique<CsvReader>(text), text, replaced);
    } catch (const FileFormatError& e) {
        throw FileFormatError(e.Line(), "neither a vCard (no BEGIN:VCARD) nor a CSV address list: " + e.Description());
    }
}

// Counts by name, of at most a thousand names: the values of any further
// name count as "other values", so a file of a million different names
// costs no more than one of a thousand.
class CappedCounts {
public:
    std::size_t& operator[](const std::string& name) {
        constexpr std::size_t kNames = 1000;
        if (counts_.size() < kNames || counts_.count(name)) return counts_[name];
        return counts_["other values"];
    }
    auto begin() const { return counts_.begin(); }
    auto end() const { return counts_.end(); }

private:
    std::map<std::string, std::size_t> counts_;
};

// What one file adds to the summary; taken over only when its transaction
// has been committed.
struct FileTally {
    std::size_t imported = 0, duplicates = 0, cardsWithProblems = 0;
    CappedCounts notStored;
    std::vector<std::string> problems;  // the first kProblemLinesKept
    std::size_t problemsNotListed = 0;
    AddressKeySet added;

    void Problem(std::string line) {
        if (problems.size() < kProblemLinesKept) problems.push_back(std::move(line));
        else ++problemsNotListed;
    }
};

// Why a file was not read, after its name.
std::string NotRead(const InputFileError& e, bool standardInput) {
    switch (e.Why()) {
        case InputFileError::Cause::System: return ": cannot read the file: " + e.Description();
        case InputFileError::Cause::Closed:
        case InputFileError::Cause::NotAFile: return ": not read: " + e.Description() + "; nothing from it was stored";
        case InputFileError::Cause::TooLarge: break;
    }
    return std::string(": not read: ") + (standardInput ? "standard input holds more than " : "it is larger than ") +
           std::to_string(kMaxImportBytes >> 20) + " MB, the largest file an import reads; nothing from it was stored";
}

}  // namespace

AddressImporter::AddressImporter(std::string database) : data_(std::make_unique<CDataTransferTier>(std::move(database))) {}
AddressImporter::~AddressImporter() = default;

void AddressImporter::ImportFile(const std::string& path, const std::string& label) {
    std::string bytes;
    try {
        bytes = ReadRegularFile(path, kMaxImportBytes);
    } catch (const InputFileError& e) {
        Refuse(label + NotRead(e, false));
        return;
    }
    ImportBytes(std::move(bytes), label);
}

void AddressImporter::ImportStandardInput() {
    std::string bytes;
    try {
        bytes = ReadStandardInput(kMaxImportBytes);
    } catch (const InputFileError& e) {
        Refuse("-" + NotRead(e, true));
        return;
    }
    ImportBytes(std::move(bytes), "-");
}

void AddressImporter::ImportBytes(std::string bytes, const std::string& label) {
    try {
        DecodedText decoded = DecodeTextMarked(std::move(bytes));
        replaced_ = std::move(decoded.replaced);
        ImportText(decoded.text, label);
    } catch (const std::bad_alloc&) {
        Refuse(label + ": not read: there is not enough memory to read it; nothing from it was stored");
    } catch (const std::exception&) {
        // The library's own words mean nothing to the user; the file's
        // transaction has been rolled back.
        Refuse(label + ": not read: reading it failed in an unexpected way; nothing from it was stored");
    }
    replaced_ = {};
}

void AddressImporter::Refuse(std::string problem) {
    summary_.problems.push_back(std::move(problem));
    ++summary_.filesRefused;
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
        const std::unique_ptr<CardSource> reader = ReaderFor(text, replaced_);
        ImportedCard card;
        // The stored addresses are read inside the file's write transaction,
        // so an import running at the same time is seen, not repeated.
        known_.clear();
        data_->ImportAddresses([&](const Variant& vntAddressInfo) { LoadStoredAddress(vntAddressInfo); },
                               [&](Variant& vntAddressInfo, std::string& cardText) {
            while (reader->Next(card)) {
                for (const CardProblem& problem : card.problems)
                    tally.Problem(label + ":" + std::to_string(problem.line) + ": " + problem.message);
                if (card.IsBlank()) {
                    tally.Problem(label + ":" + std::to_string(card.line) +
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
                // Counted for the cards stored (CSV columns without a
                // field; a vCard's values are all kept in its card).
                for (const std::string& name : card.notStored) ++tally.notStored[name];
                VariantArray record(0, 7, 0, 0);
                record.At(0, 0) = Variant(std::int32_t{0});
                for (std::int32_t i = 1; i <= 7; ++i)
                    record.At(i, 0) = Variant(std::move(card.fields[static_cast<std::size_t>(i - 1)]));
                vntAddressInfo = Variant(std::move(record));
                cardText = std::move(card.cardText);
                // A card without a UID gets one now, once: every export and
                // every sync of the address then names it the same way.
                if (!cardText.empty() && sync::CardUid(cardText).empty())
                    cardText = sync::WithUid(cardText, sync::RandomUuid());
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
    if (tally.problemsNotListed > 0)
        summary_.problems.push_back(label + ": " + text::Grouped(tally.problemsNotListed) + " more problems not listed");
    ++summary_.files;
}

}  // namespace orvane::transfer
