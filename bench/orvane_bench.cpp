// Measures the address book with large tables, truthfully on a busy machine:
// every figure is taken at least seven times, each time right after a raw
// engine read of the list statement, and reported as the median and the
// spread of the per-run ratios.
//
//   orvane-bench [--cpu] [--reps N] [--transfer M] [--no-find] [rows...]
//                          (default: 100000 1000000; N >= 7; M 100000, 0 skips;
//                           --cpu: processor time of the process, not the clock;
//                           --no-find: the search index and find window skipped)
//
// For each table size, in a child process of its own:
//   FillList / raw read, load sequence / raw read, Save + reload / raw read,
//   selecting a row, and per-event times of scrolling, type-ahead find and
//   keys in the name list (offscreen); then, with a kept card for every
//   second address, the search index's build time and size and each
//   keystroke in the find window; with that process's peak memory.
// Then, from outside: the real program started as a process until its first
// window is painted, against the same start with an empty table plus a raw
// read, and the peak resident memory of that process.
// Last, the export of M addresses in each contact format and its import
// into an empty database.

#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "AddressbookSchema.h"
#include "CBusinessTier.h"
#include "CDataDBTier.h"
#include "FindFigures.h"
#include "Responsiveness.h"
#include "StartUp.h"
#include "Stats.h"
#include "TransferFigures.h"
#include "adodb/EngineBaseline.h"
#include "core/App.h"
#include "frmOrvane.h"
#include "toolkit/Application.h"

namespace fs = std::filesystem;

namespace {

// Off with --no-find: the load, save and start-up figures without the cards
// and the search index the find figures add to the database.
bool measureFind = true;

// What the list statement becomes in the engine's own dialect.
constexpr const char* kRawSql = "SELECT ID, FirstName || ', ' || LastName FROM tblAddress";

// An application folder with a copy of the program, the reference lists,
// the description document and a database of rows generated addresses.
fs::path MakeAppFolder(const std::string& name, int rows) {
    const fs::path root = fs::temp_directory_path() / ("orvane-bench-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(root);
    fs::create_directories(root / "Database");
    fs::copy(fs::path(ORVANE_SOURCE_DIR) / "app" / "Lists", root / "Lists", fs::copy_options::recursive);
    fs::copy(fs::path(ORVANE_SOURCE_DIR) / "app" / "Documents", root / "Documents", fs::copy_options::recursive);
    fs::copy_file(ORVANE_PROGRAM, root / "orvane");
    const std::string db = (root / "Database" / "Addressbook.mdb").string();
    AddressbookSchema::CreateDatabase(db);
    if (rows > 0) AddressbookSchema::FillGenerated(db, rows);
    return root;
}

double RawRead(const fs::path& root) {
    const std::string db = (root / "Database" / "Addressbook.mdb").string();
    return bench::TimeMs([&] { orvane::adodb::EngineReadAll(db, kRawSql); });
}

// Runs in the child: everything measured inside one process.
int MeasureInProcess(int rows, const fs::path& root, int reps) {
    orvane::App::SetPath(root.string());
    RawRead(root);  // warm-up: caches, first allocations
    { CDataDBTier().FillList(); }

    bench::RatioSeries fill;
    for (int i = 0; i < reps; ++i) {
        const double raw = RawRead(root);
        fill.Add(raw, bench::TimeMs([] {
            CDataDBTier tier;
            const orvane::Variant list = tier.FillList();
        }));
    }
    bench::PrintRatioRow("`FillList` / raw read", rows, fill, "<= 1.15x");

    int argc = 1;
    char name[] = "orvane-bench";
    char* argv[] = {name, nullptr};
    orvane::toolkit::Application app(argc, argv);
    frmOrvane& frm = frmOrvane::Instance();
    frm.Show();
    QApplication::processEvents();

    bench::RatioSeries load;
    for (int i = 0; i < reps; ++i) {
        const double raw = RawRead(root);
        load.Add(raw, bench::TimeMs([&] {
            frm.Form_Load();
            QApplication::processEvents();
        }));
    }
    bench::PrintRatioRow("load sequence / raw read", rows, load, "<= 1.3x");

    bench::RatioSeries save;
    for (int i = 0; i < reps; ++i) {
        frm.lstAddress.ListIndex(0);
        frm.cmdEdit_Click();
        frm.txtFirstname.Text("Bench " + std::to_string(i));
        QApplication::processEvents();
        const double raw = RawRead(root);
        save.Add(raw, bench::TimeMs([&] {
            frm.cmdSave_Click();
            QApplication::processEvents();
        }));
    }
    bench::PrintRatioRow("Save + reload / raw read", rows, save, "<= 1.4x");

    // What the save itself costs (the saved query, its commit and the
    // engine's syncs to disk), without the reload: the part of the figure
    // above that does not depend on the list.
    bench::RatioSeries saveOnly;
    const std::int32_t firstId = frm.lstAddress.ItemData(0);
    for (int i = 0; i < reps; ++i) {
        CBusinessTier tier;
        tier.GetAddressDetails(firstId);
        tier.AddressID(firstId);
        tier.FirstName("Bench only " + std::to_string(i));
        const double raw = RawRead(root);
        saveOnly.Add(raw, bench::TimeMs([&] { tier.SaveAddress(); }));
    }
    bench::PrintRatioRow("of which the save alone / raw read", rows, saveOnly, "");

    const bench::Responsiveness events = bench::MeasureResponsiveness(frm, reps);
    bench::PrintEventRow("selecting a row", rows, events.select, "< 2 ms");
    bench::PrintEventRow("scrolling: mouse wheel", rows, events.wheel, "each < 50 ms");
    bench::PrintEventRow("scrolling: dragging the scroll bar", rows, events.thumb, "each < 50 ms");
    bench::PrintEventRow("type-ahead find, per key", rows, events.typeAhead, "each < 50 ms");
    bench::PrintEventRow("arrow, page, Home and End keys", rows, events.arrows, "each < 50 ms");

    const bool complete = frm.lstAddress.ListCount() == rows;
    if (measureFind) bench::MeasureFind((root / "Database" / "Addressbook.mdb").string(), rows, reps);
    frm.Unload();
    bench::PrintValueRow("peak resident memory, benchmark process", rows, bench::PeakResidentMb(), "MB", "",
                         complete ? "all of the above in one process" : "list incomplete!");
    return complete ? 0 : 1;
}

// In the parent: the real program, started again and again.
void MeasureStartUp(int rows, const fs::path& root, const fs::path& emptyRoot, int reps) {
    // The first start of a day copies the database into today's backup;
    // every later start finds that copy and goes straight to the window.
    // The timed starts below are such later starts: the first one of each
    // folder is made here and reported on its own.
    bench::StartProgram(emptyRoot);
    const bench::StartUpRun firstOfDay = bench::StartProgram(root);
    bench::RatioSeries startUp;
    std::vector<double> peaks;
    std::vector<double> empties;
    for (int i = 0; i < reps; ++i) {
        const bench::StartUpRun empty = bench::StartProgram(emptyRoot);
        const double raw = RawRead(root);
        const bench::StartUpRun full = bench::StartProgram(root);
        startUp.Add(empty.ms + raw, full.ms);
        peaks.push_back(full.peakMb);
        empties.push_back(empty.ms);
    }
    bench::PrintRatioRow("start-up to first painted window / (empty start-up + raw read)", rows, startUp,
                         rows <= 100000 ? "<= 1.3x" : "");
    char first[160];
    std::snprintf(first, sizeof first, "one start; making today's backup took it %.1f ms beyond the median start",
                  firstOfDay.ms - bench::Median(startUp.measured));
    bench::PrintValueRow("first start of the day, to first painted window", rows, firstOfDay.ms, "ms", "", first);
    char note[128];
    std::snprintf(note, sizeof note, "median of %d starts; empty start-up %.1f ms", reps, bench::Median(empties));
    bench::PrintValueRow("peak resident memory of the whole program", rows, bench::Median(peaks), "MB",
                         rows >= 1000000 ? "<= 120 MB" : rows >= 100000 ? "<= 45 MB" : "", note);
}

}  // namespace

int main(int argc, char** argv) {
    int reps = 7;
    int transferred = 100000;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--reps" && i + 1 < argc)
            reps = std::max(7, std::atoi(argv[++i]));
        else if (arg == "--no-find")
            measureFind = false;
        else if (arg == "--cpu")
            bench::CountProcessorTime(true);
        else if (arg == "--transfer" && i + 1 < argc)
            transferred = std::max(0, std::atoi(argv[++i]));
        else
            sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) sizes = {100000, 1000000};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    std::printf("Each ratio is taken per run against a raw engine read made right before it%s.\n\n",
                bench::CountsProcessorTime() ? "; times are processor time of the process (--cpu)" : "");
    bench::PrintTableHead();
    const fs::path emptyRoot = MakeAppFolder("empty", 0);
    int failures = 0;
    for (int rows : sizes) {
        const fs::path root = MakeAppFolder(std::to_string(rows), rows);
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) _exit(MeasureInProcess(rows, root, reps));
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::printf("| measuring %d rows failed (status %d) |\n", rows, status);
            ++failures;
        }
        try {
            MeasureStartUp(rows, root, emptyRoot, reps);
        } catch (const std::exception& e) {
            std::printf("| start-up with %d rows failed: %s |\n", rows, e.what());
            ++failures;
        }
        fs::remove_all(root);
    }
    fs::remove_all(emptyRoot);
    if (transferred > 0) {
        // In a process of its own, so that its peak memory is its own.
        std::printf("\nContact export and import (orvane-transfer's work), ");
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const int status = bench::PrintTransferFigures(transferred);
            std::fflush(stdout);
            _exit(status);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failures;
    }
    return failures ? 1 : 0;
}
