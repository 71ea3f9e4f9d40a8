// orvane-transfer: brings addresses in from vCard and CSV files and takes
// them out again, through the business and data tiers of the address book.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "FirstStart.h"
#include "SyncCommandLine.h"
#include "SyncCommands.h"
#include "TransferCommandLine.h"
#include "card/CardService.h"
#include "core/Error.h"
#include "core/InputFile.h"
#include "core/SafeFileWriter.h"
#include "find/AddressSearch.h"
#include "transfer/AddressExporter.h"
#include "transfer/AddressImporter.h"
#include "transfer/TextTools.h"

namespace {

int Import(const TransferCommandLine& line) {
    orvane::transfer::AddressImporter importer(line.database);
    for (const std::string& file : line.files) {
        if (file == "-") importer.ImportStandardInput();
        else importer.ImportFile(file, file);
    }
    const orvane::transfer::ImportSummary& summary = importer.Summary();
    std::cout << summary.Line() << '\n';
    std::cout.flush();
    for (const std::string& problem : summary.problems) std::cerr << problem << '\n';
    if (!std::cout) {
        // What was stored stays stored; only the summary was lost.
        std::cerr << "orvane-transfer: the summary could not be written to standard output: "
                  << summary.Line() << '\n';
        return 1;
    }
    return summary.Clean() ? 0 : 1;
}

int Export(const TransferCommandLine& line) {
    orvane::transfer::AddressExporter exporter(line.database);
    const std::string& file = line.files.front();
    const auto format = line.ExportFormat();
    const auto exported = [](std::size_t count) {
        return "exported " + orvane::transfer::text::Grouped(count) + (count == 1 ? " address" : " addresses");
    };
    if (file == "-") {
        const std::size_t count = exporter.ExportToStandardOutput(format);
        std::cerr << exported(count) << " to standard output\n";
    } else {
        // Standard output named as a file holds the addresses alone.
        std::ostream& report = orvane::SafeFileWriter::IsStandardOutput(file) ? std::cerr : std::cout;
        const std::size_t count = exporter.ExportToFile(file, format);
        report << exported(count) << " to " << file << '\n';
    }
    return 0;
}

// The card of one address, as export writes it, on standard output.
int Show(const TransferCommandLine& line) {
    const auto format = line.format.value_or(orvane::transfer::TransferFormat::VCard4);
    const std::string card = orvane::card::CardService(line.database)
                                 .Show(line.addressId, format == orvane::transfer::TransferFormat::VCard3
                                                           ? orvane::transfer::VCardVersion::V30
                                                           : orvane::transfer::VCardVersion::V40);
    std::cout << card;
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "orvane-transfer: the card could not be written to standard output\n";
        return 1;
    }
    return 0;
}

// One match a line: ID, display text and the field that matched, by tabs.
int Find(const TransferCommandLine& line) {
    std::string typed;
    for (const std::string& word : line.files) typed += (typed.empty() ? "" : " ") + word;
    const orvane::find::FindResult found = orvane::find::AddressSearch(line.database)
                                               .Find(typed, line.limit.value_or(orvane::find::AddressSearch::kDefaultLimit));
    const auto flat = [](std::string text) {
        for (char& c : text)
            if (c == '\t' || c == '\n' || c == '\r') c = ' ';
        return text;
    };
    for (const orvane::find::FoundAddress& a : found.addresses)
        std::cout << a.id << '\t' << flat(a.display) << '\t' << flat(a.matched) << '\n';
    if (found.more) std::cerr << "and " << orvane::transfer::text::Grouped(found.more) << " more\n";
    std::cout.flush();
    return found.addresses.empty() ? 1 : 0;
}

// Two-way sync with a CardDAV server: `orvane-transfer sync ...`.
int SyncMain(const std::vector<std::string>& arguments) {
    SyncCommandLine line;
    try {
        line = SyncCommandLine::Parse(arguments);
    } catch (const UsageError& e) {
        std::cerr << "orvane-transfer: " << e.message << "\n\n" << kSyncUsage;
        return 2;
    }
    try {
        if (line.database.empty()) FirstStart::PrepareApplicationFolder();
    } catch (const orvane::Error& e) {
        std::cerr << "orvane-transfer: " << e.Description() << '\n';
        return 1;
    }
    return RunSyncCommand(line);
}

}  // namespace

int main(int argc, char** argv) {
    orvane::HoldClosedStandardInput();
    std::ios::sync_with_stdio(false);
    if (argc > 1 && std::string(argv[1]) == "sync") return SyncMain(std::vector<std::string>(argv + 2, argv + argc));
    TransferCommandLine line;
    try {
        line = TransferCommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "orvane-transfer: " << e.message << "\n\n" << kTransferUsage;
        return 2;
    }
    try {
        // The window's own database: an installed program keeps it in the
        // user's data folder, which the first start of either program makes.
        if (line.action != TransferCommandLine::Action::Help && line.database.empty())
            FirstStart::PrepareApplicationFolder();
        switch (line.action) {
            case TransferCommandLine::Action::Help: std::cout << kTransferUsage << '\n' << kSyncUsage; return 0;
            case TransferCommandLine::Action::Import: return Import(line);
            case TransferCommandLine::Action::Export: return Export(line);
            case TransferCommandLine::Action::Show: return Show(line);
            case TransferCommandLine::Action::Find: return Find(line);
        }
    } catch (const orvane::Error& e) {
        std::cerr << "orvane-transfer: " << e.Description() << '\n';
    } catch (const std::exception& e) {
        std::cerr << "orvane-transfer: " << e.what() << '\n';
    }
    return 1;
}
