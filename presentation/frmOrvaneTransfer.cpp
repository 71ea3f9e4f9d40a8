// The address-book window's import, export and copy commands: the name
// list's context menu, Ctrl+C and files dropped on the list. They go
// through the business tier (which goes through the data tier), like
// every other command of the window.

#include <filesystem>

#include "Functions.h"
#include "frmOrvane.h"
#include "toolkit/Clipboard.h"
#include "toolkit/FileDialog.h"
#include "toolkit/MsgBox.h"
#include "transfer/AddressExporter.h"
#include "transfer/AddressImporter.h"
#include "transfer/AddressText.h"

using namespace orvane::toolkit;
using orvane::transfer::TransferFormat;

namespace {

constexpr const char* kImportFilter = "Contacts (*.vcf *.vcard *.csv);;vCard (*.vcf *.vcard);;CSV (*.csv);;All files (*)";
// The order of the choices gives the export format (see ExportFormat).
constexpr const char* kExportFilter = "vCard 4.0 (*.vcf);;vCard 3.0 (*.vcf);;CSV (*.csv)";
// More problem lines than this are summed up, so the message box fits.
constexpr std::size_t kProblemsShown = 15;

// The format of the export: a ".csv" or ".vcf" name decides between CSV
// and vCard, the chosen filter between the vCard versions (and the format
// of a name without either, which then gets the filter's extension).
TransferFormat ExportFormat(std::string& path, std::int32_t filterIndex) {
    const auto byName = orvane::transfer::FormatFromExtension(path);
    if (byName == TransferFormat::Csv) return TransferFormat::Csv;
    if (byName) return filterIndex == 1 ? TransferFormat::VCard3 : TransferFormat::VCard4;
    if (std::filesystem::path(path).extension().empty()) path += filterIndex == 2 ? ".csv" : ".vcf";
    return filterIndex == 2 ? TransferFormat::Csv : filterIndex == 1 ? TransferFormat::VCard3 : TransferFormat::VCard4;
}

std::string ImportReport(const orvane::transfer::ImportSummary& summary) {
    std::string report = summary.Line();
    report[0] = static_cast<char>(report[0] - 'a' + 'A');
    report += ".";
    for (std::size_t i = 0; i < summary.problems.size() && i < kProblemsShown; ++i)
        report += (i == 0 ? "\n\n" : "\n") + summary.problems[i];
    if (summary.problems.size() > kProblemsShown)
        report += "\n... and " + std::to_string(summary.problems.size() - kProblemsShown) + " more";
    return report;
}

}  // namespace

void frmOrvane::ConnectTransferCommands() {
    lstAddress.Extras.contextMenu = {{"Import Addresses…", [this] { mnuImportAddresses_Click(); }},
                                     {"Export Addresses…", [this] { mnuExportAddresses_Click(); }},
                                     {"Copy Address", [this] { mnuCopyAddress_Click(); }}};
    lstAddress.Extras.copy = [this] { mnuCopyAddress_Click(); };
    lstAddress.Extras.dropExtensions = {".vcf", ".vcard", ".csv"};
    lstAddress.Extras.filesDropped = [this](const std::vector<std::string>& files) { lstAddress_FilesDropped(files); };
}

void frmOrvane::mnuImportAddresses_Click() {
    const std::vector<std::string> files = ShowOpenFiles("Import Addresses", kImportFilter);
    if (!files.empty()) ImportAddressFiles(files);
}

void frmOrvane::lstAddress_FilesDropped(const std::vector<std::string>& files) { ImportAddressFiles(files); }

// Imports the files, then runs the load sequence as a save does, so the
// new addresses are listed, and reports what happened.
void frmOrvane::ImportAddressFiles(const std::vector<std::string>& files) {
    orvane::transfer::AddressImporter importer;
    for (const std::string& file : files) importer.ImportFile(file, std::filesystem::path(file).filename().string());
    const orvane::transfer::ImportSummary& summary = importer.Summary();
    Form_Load();
    if (lstAddress.ListCount() > 0) lstAddress.Selected(0, true);
    MsgBox(ImportReport(summary), summary.Clean() ? vbInformation : vbExclamation, Functions::gstrAppTitle);
}

void frmOrvane::mnuExportAddresses_Click() {
    SaveChoice choice = ShowSaveFile("Export Addresses", kExportFilter, "Addresses.vcf");
    if (choice.path.empty()) return;
    const TransferFormat format = ExportFormat(choice.path, choice.filterIndex);
    const std::size_t count = orvane::transfer::AddressExporter().ExportToFile(choice.path, format);
    MsgBox("Exported " + std::to_string(count) + (count == 1 ? " address to " : " addresses to ") +
               std::filesystem::path(choice.path).filename().string() + ".",
           vbInformation, Functions::gstrAppTitle);
}

// The selected address as plain text, one field a line; nothing without a
// selection.
void frmOrvane::mnuCopyAddress_Click() {
    const std::int32_t lngIndex = lstAddress.ListIndex();
    if (lngIndex == -1) return;
    mobjBusinessTier->GetAddressDetails(lstAddress.ItemData(lngIndex));
    Clipboard::SetText(orvane::transfer::AddressAsText(
        {mobjBusinessTier->FirstName(), mobjBusinessTier->LastName(), mobjBusinessTier->Addresss(),
         mobjBusinessTier->PostalCode(), mobjBusinessTier->State(), mobjBusinessTier->Country(),
         mobjBusinessTier->Phone()}));
}
