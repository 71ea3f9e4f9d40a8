// Measures contact import and export with a large address table: for each
// format (vCard 4.0, vCard 3.0, CSV) the export of every stored address
// and the import of that file into an empty database, in milliseconds and
// addresses per second, with the file's size and the peak resident memory.

#include "TransferFigures.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "AddressbookSchema.h"
#include "transfer/AddressExporter.h"
#include "transfer/AddressImporter.h"

namespace fs = std::filesystem;
using orvane::transfer::TransferFormat;

namespace {

template <class F>
double Ms(F&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

long PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace

namespace bench {

int PrintTransferFigures(int count) {
    const fs::path root = fs::temp_directory_path() / ("orvane-transfer-bench-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    const std::string source = (root / "source.mdb").string();
    AddressbookSchema::CreateDatabase(source);
    AddressbookSchema::FillGenerated(source, count);

    std::printf("%d addresses\n%-10s %12s %12s %12s %12s %10s\n", count, "format", "export ms", "import ms",
                "export /s", "import /s", "file MiB");
    const struct {
        const char* name;
        TransferFormat format;
        const char* file;
    } formats[] = {{"vcard4", TransferFormat::VCard4, "out4.vcf"},
                   {"vcard3", TransferFormat::VCard3, "out3.vcf"},
                   {"csv", TransferFormat::Csv, "out.csv"}};
    for (const auto& f : formats) {
        const std::string file = (root / f.file).string();
        const double exportMs = Ms([&] { orvane::transfer::AddressExporter(source).ExportToFile(file, f.format); });
        const std::string target = (root / (std::string(f.name) + ".mdb")).string();
        AddressbookSchema::CreateDatabase(target);
        std::size_t imported = 0;
        const double importMs = Ms([&] {
            orvane::transfer::AddressImporter importer(target);
            importer.ImportFile(file, f.file);
            imported = importer.Summary().imported;
        });
        if (imported != static_cast<std::size_t>(count)) {
            std::fprintf(stderr, "%s: imported %zu of %d addresses\n", f.name, imported, count);
            return 1;
        }
        std::printf("%-10s %12.0f %12.0f %12.0f %12.0f %10.1f\n", f.name, exportMs, importMs, count / exportMs * 1000,
                    count / importMs * 1000, static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0));
    }
    std::printf("peak resident memory: %ld MiB\n", PeakMiB());
    fs::remove_all(root);
    return 0;
}

}  // namespace bench
