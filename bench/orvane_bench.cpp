// Measures the address book with large tables. For each size it prints the
// median of several runs of
//   (a) the raw engine read of the list statement (the baseline),
//   (b) CDataDBTier::FillList,
//   (c) the whole load sequence of the address-book window (offscreen),
//   (d) one Save through the window, including its reload,
//   (e) selecting a row,
// in milliseconds and as a ratio to (a), and the peak resident memory.
// Each size runs in a child process of its own so its peak is its own.
//
//   orvane-bench [size...]      (default: 1000 32767 100000 1000000)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "AddressbookSchema.h"
#include "CDataDBTier.h"
#include "adodb/EngineBaseline.h"
#include "core/App.h"
#include "frmOrvane.h"
#include "toolkit/Application.h"
#include "toolkit/Testing.h"

namespace fs = std::filesystem;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// One untimed warm-up run (caches, first allocations), then the median.
double MedianMs(int repetitions, const std::function<void()>& run) {
    run();
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return Median(times);
}

fs::path MakeAppFolder(int rows) {
    fs::path root = fs::temp_directory_path() / ("orvane-bench-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "Database");
    fs::copy(fs::path(ORVANE_SOURCE_DIR) / "app" / "Lists", root / "Lists", fs::copy_options::recursive);
    std::string db = (root / "Database" / "Addressbook.mdb").string();
    AddressbookSchema::CreateDatabase(db);
    AddressbookSchema::FillGenerated(db, rows);
    return root;
}

// Runs in the child: measures one table size and prints one table row.
int MeasureSize(int rows) {
    const int reps = rows >= 1'000'000 ? 5 : 11;
    fs::path root = MakeAppFolder(rows);
    orvane::App::SetPath(root.string());
    std::string db = (root / "Database" / "Addressbook.mdb").string();

    double a = MedianMs(reps, [&] {
        orvane::adodb::EngineReadAll(db, "SELECT ID, FirstName || ', ' || LastName FROM tblAddress");
    });
    double b = MedianMs(reps, [] {
        CDataDBTier tier;
        orvane::Variant list = tier.FillList();
    });

    int argc = 1;
    char name[] = "orvane-bench";
    char* argv[] = {name, nullptr};
    orvane::toolkit::Application app(argc, argv);
    frmOrvane& frm = frmOrvane::Instance();
    frm.Show();
    orvane::toolkit::sim::ProcessEvents();

    double c = MedianMs(reps, [&] {
        frm.Form_Load();
        orvane::toolkit::sim::ProcessEvents();
    });
    int saved = 0;
    double d = MedianMs(reps, [&] {
        frm.lstAddress.ListIndex(0);
        frm.cmdEdit_Click();
        frm.txtFirstname.Text("Bench " + std::to_string(++saved));
        frm.cmdSave_Click();
        orvane::toolkit::sim::ProcessEvents();
    });
    int row = 0;
    double e = MedianMs(reps * 5, [&] {
        row = (row + 7919) % frm.lstAddress.ListCount();
        frm.lstAddress.ListIndex(row);
        orvane::toolkit::sim::ProcessEvents();
    });
    const bool complete = frm.lstAddress.ListCount() == rows;
    frm.Unload();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("| %9d | %8.1f | %8.1f (%4.2fx) | %8.1f (%4.2fx) | %8.1f (%4.2fx) | %6.2f (%5.3fx) | %7.1f |%s\n", rows, a,
                b, b / a, c, c / a, d, d / a, e, e / a, static_cast<double>(usage.ru_maxrss) / 1024.0,
                complete ? "" : " list incomplete!");
    std::fflush(stdout);
    fs::remove_all(root);
    return complete ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes{1000, 32767, 100000, 1000000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::printf("Medians in ms; ratios to (a), the raw engine read of the list statement.\n\n");
    std::printf("| rows      | (a) raw  | (b) FillList       | (c) load sequence  | (d) Save + reload  | (e) select row   | peak MB |\n");
    std::printf("|----------:|---------:|-------------------:|-------------------:|-------------------:|-----------------:|--------:|\n");
    std::fflush(stdout);
    int failures = 0;
    for (int rows : sizes) {
        pid_t child = fork();
        if (child == 0) _exit(MeasureSize(rows));
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::printf("| %9d | failed (status %d)\n", rows, status);
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
