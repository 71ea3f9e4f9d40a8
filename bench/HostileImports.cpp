// Memory and time of importing files made to hurt the importer. Each import
// runs in a child process of its own, so its peak resident memory
// (getrusage of the child, ru_maxrss) is its own and not the generator's.

#include "HostileImports.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "AddressbookSchema.h"
#include "transfer/AddressImporter.h"

namespace fs = std::filesystem;

namespace {

using Writer = std::function<void(std::ofstream&, std::size_t)>;

void Repeat(std::ofstream& out, const std::string& piece, std::size_t bytes) {
    std::string block;
    while (block.size() < (1u << 20)) block += piece;
    for (std::size_t written = 0; written < bytes; written += block.size()) out << block;
}

struct Kind {
    const char* name;
    Writer write;
};

// The importer's figures in a child: wall time in ms, peak RSS in KiB.
bool MeasureChild(const std::string& file, const std::string& database, double& ms, long& peakKiB,
                  std::string& summary) {
    const fs::path summaryFile = file + ".summary";
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        orvane::transfer::AddressImporter importer(database);
        importer.ImportFile(file, fs::path(file).filename().string());
        std::ofstream(summaryFile) << importer.Summary().Line() << " (" << importer.Summary().problems.size()
                                   << " problem lines)";
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return false;
    ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    peakKiB = usage.ru_maxrss;
    std::ifstream in(summaryFile);
    std::getline(in, summary);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

namespace bench {

int PrintHostileImportFigures(int megabytes, const std::string& only) {
    const std::size_t bytes = static_cast<std::size_t>(megabytes) << 20;
    const fs::path root = fs::temp_directory_path() / ("orvane-hostile-bench-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root);

    const std::size_t groups = bytes / 24;  // "Address N City," and a comma in each of three rows
    const Kind kinds[] = {
        {"empty file (baseline)", [](std::ofstream&, std::size_t) {}},
        {"CSV row of commas",
         [](std::ofstream& out, std::size_t n) {
             out << "First Name,Last Name\nAnn,Lee";
             Repeat(out, ",", n);
             out << "\n";
         }},
        {"CSV header of commas",
         [](std::ofstream& out, std::size_t n) {
             out << "First Name";
             Repeat(out, ",", n);
             out << "\nAnn\n";
         }},
        {"empty vCards", [](std::ofstream& out, std::size_t n) { Repeat(out, "BEGIN:VCARD\r\nEND:VCARD\r\n", n); }},
        {"one vCard of short lines",
         [](std::ofstream& out, std::size_t n) {
             out << "BEGIN:VCARD\r\nN:Lee;Ann\r\n";
             Repeat(out, "X-A:b\r\nTEL:1\r\n", n);
             out << "END:VCARD\r\n";
         }},
        {"CSV rows, one value too many",
         [](std::ofstream& out, std::size_t n) {
             out << "First Name,Last Name\n";
             std::string block;
             for (std::size_t i = 0, written = 0; written < n; ++i) {
                 block += "F" + std::to_string(i) + ",L,x\n";
                 if (block.size() > (1u << 20)) {
                     out << block;
                     written += block.size();
                     block.clear();
                 }
             }
         }},
        {"CSV header of address groups",
         [groups](std::ofstream& out, std::size_t) {
             out << "First Name";
             for (std::size_t i = 1; i <= groups; ++i) out << ",Address " << i << " City";
             for (const char* name : {"\nOne", "\nTwo", "\nThree"}) {
                 out << name;
                 for (std::size_t i = 1; i <= groups; ++i) out << (i == groups ? ",Lima" : ",");
             }
             out << "\n";
         }},
        {"CSV header of 100,000 groups (2 MB)",
         [](std::ofstream& out, std::size_t) {
             out << "First Name";
             for (int i = 1; i <= 100000; ++i) out << ",Address " << i << " City";
             for (const char* name : {"\nOne", "\nTwo", "\nThree"}) {
                 out << name;
                 for (int i = 1; i <= 100000; ++i) out << (i == 100000 ? ",Lima" : ",");
             }
             out << "\n";
         }},
    };

    std::printf("hostile imports (limit %zu MiB)\n%-36s %9s %9s %9s %7s  %s\n", orvane::transfer::kMaxImportBytes >> 20,
                "file", "file MiB", "ms", "peak MiB", "x file", "summary");
    int failed = 0;
    int n = 0;
    for (const Kind& kind : kinds) {
        if (!only.empty() && std::string(kind.name).find(only) == std::string::npos) continue;
        const std::string file = (root / ("hostile" + std::to_string(n) + ".txt")).string();
        const std::string database = (root / ("hostile" + std::to_string(n++) + ".mdb")).string();
        {
            std::ofstream out(file, std::ios::binary);
            kind.write(out, bytes);
        }
        AddressbookSchema::CreateDatabase(database);
        double ms = 0;
        long peakKiB = 0;
        std::string summary;
        if (!MeasureChild(file, database, ms, peakKiB, summary)) {
            std::fprintf(stderr, "%s: the import failed\n", kind.name);
            ++failed;
        }
        const double fileMiB = static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0);
        const double peakMiB = static_cast<double>(peakKiB) / 1024.0;
        std::printf("%-36s %9.1f %9.0f %9.1f %7.1f  %s\n", kind.name, fileMiB, ms, peakMiB,
                    fileMiB > 0 ? peakMiB / fileMiB : 0.0, summary.c_str());
        std::fflush(stdout);
        fs::remove(file);
        fs::remove(database);
    }
    fs::remove_all(root);
    return failed ? 1 : 0;
}

}  // namespace bench
