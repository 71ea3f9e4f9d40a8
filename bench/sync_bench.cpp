// orvane-sync-bench [--cards N] [--upload M]: a two-way sync against a real
// Radicale on 127.0.0.1, started here with N cards seeded as files. It
// prints, side by side with the server's own time for the same listing:
// the first sync into an empty database, an unchanged re-sync, a re-sync
// after every card changed on the server and the upload of M new addresses. Each sync runs in a child process of this
// program (--sync-child) so that its peak memory is its own.
// Run by hand; nothing here is a test.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "AddressbookSchema.h"
#include "CDataSyncAddressTier.h"
#include "RadicaleServer.h"
#include "Stats.h"
#include "carddav/CardDavClient.h"
#include "core/Error.h"
#include "sync/SyncAccountService.h"
#include "sync/SyncRun.h"

extern char** environ;

namespace {

const std::string kUser = "alice";
const std::string kPassword = "alice-secret";

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A phone's card: name, two phones, two addresses, an e-mail, a note.
// A changed card has another mobile number.
std::string SeedCard(int i, bool changed = false) {
    const std::string n = std::to_string(i);
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:seed-" + n + "\r\nN:Family" + n + ";Given" + n +
           ";;;\r\nFN:Given" + n + " Family" + n + "\r\nTEL;TYPE=CELL:+41 79 " + (changed ? "666 " : "555 ") + n +
           "\r\nTEL;TYPE=WORK:+41 44 555 " + n + "\r\nADR;TYPE=HOME:;;Street " + n + ";Zurich;ZH;80" + n +
           ";Switzerland\r\nADR;TYPE=WORK:;;Office " + n + ";Bern;BE;30" + n +
           ";Switzerland\r\nEMAIL;TYPE=INTERNET:person" + n + "@example.org\r\nNOTE:seeded card number " + n +
           "\r\nEND:VCARD\r\n";
}

orvane::carddav::CardDavClient Client(const std::string& bookUrl) {
    orvane::carddav::ConnectionSettings settings;
    settings.url = bookUrl;
    settings.user = kUser;
    settings.password = kPassword;
    // The first listing after the cards were written waits while Radicale
    // builds its cache, minutes on a busy machine, without a byte sent.
    settings.noProgressTimeout = std::chrono::seconds(600);
    return orvane::carddav::CardDavClient(settings);
}

// What one sync in a child process reported, and what it cost.
struct ChildSync {
    orvane::sync::SyncResult result;
    double runSeconds = 0;      // SyncRun::Run() alone, measured in the child
    double processSeconds = 0;  // the whole child process, start-up included
    double peakMb = 0;          // the child's peak resident memory
    double cpuSeconds = 0;      // the child's processor time, user and system
};

// The child: one SyncRun on the database, the password on stdin; prints
// "requests received sent deletedHere deletedThere conflicts problems seconds".
int RunChild(const std::string& database) {
    orvane::sync::SyncOptions options;
    options.database = database;
    std::getline(std::cin, options.password);
    const auto start = std::chrono::steady_clock::now();
    const orvane::sync::SyncResult result = orvane::sync::SyncRun(options).Run();
    const double seconds = SecondsSince(start);
    std::printf("%zu %zu %zu %zu %zu %zu %zu %.6f\n", result.requests, result.received, result.sent,
                result.deletedHere, result.deletedThere, result.conflictsHeld, result.problems.size(), seconds);
    for (const std::string& problem : result.problems) std::fprintf(stderr, "problem: %s\n", problem.c_str());
    return 0;
}

// Started with posix_spawn (a vfork and exec) rather than fork, so the
// child's peak memory does not start from a copy of this process's pages.
ChildSync SyncInChild(const std::string& database) {
    int toChild[2];
    int fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    for (const int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<std::string> args{self, "--sync-child", database};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    if (rc != 0) throw std::runtime_error("cannot start " + self);
    const std::string line = kPassword + "\n";
    if (write(toChild[1], line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        throw std::runtime_error("cannot hand the password to the child");
    close(toChild[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t n; (n = read(fromChild[0], buffer, sizeof buffer)) > 0;) output.append(buffer, static_cast<std::size_t>(n));
    close(fromChild[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) throw std::runtime_error("wait4 failed");
    ChildSync sync;
    sync.processSeconds = SecondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the sync child failed (status " + std::to_string(status) + "): " + output);
    sync.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    sync.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::size_t problems = 0;
    std::istringstream in(output);
    in >> sync.result.requests >> sync.result.received >> sync.result.sent >> sync.result.deletedHere >>
        sync.result.deletedThere >> sync.result.conflictsHeld >> problems >> sync.runSeconds;
    if (!in) throw std::runtime_error("the sync child printed no figures: " + output);
    return sync;
}

void Row(const std::string& figure, int cards, const std::string& value, const std::string& target,
         const std::string& detail) {
    std::printf("| %s | %d | %s | %s | %s |\n", figure.c_str(), cards, value.c_str(), target.c_str(), detail.c_str());
    std::fflush(stdout);
}

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

double LoadAverage() {
    double load = 0;
    if (getloadavg(&load, 1) != 1) return -1;
    return load;
}

int Bench(int cards, int uploads) {
    const double loadAtStart = LoadAverage();
    std::fprintf(stderr, "starting Radicale and seeding %d cards...\n", cards);
    orvane::test::RadicaleServer server;
    server.SeedBook(kUser, "contacts", "Contacts");
    for (int i = 0; i < cards; ++i) server.SeedCard(kUser, "contacts", "seed-" + std::to_string(i) + ".vcf", SeedCard(i));
    const std::string book = server.BaseUrl() + kUser + "/contacts/";

    // The server's own time for the listing a first sync asks for: one
    // sync-collection with the cards' text and no token. The first one
    // builds Radicale's cache and is reported apart.
    std::vector<double> listings;
    std::vector<double> properties;
    double coldSeconds = 0;
    std::size_t listed = 0;
    {
        auto client = Client(book);
        auto start = std::chrono::steady_clock::now();
        listed = client.SyncCollection(book, "").changed.size();
        coldSeconds = SecondsSince(start);
        for (int i = 0; i < 3; ++i) {
            const std::size_t before = client.RequestCount();
            start = std::chrono::steady_clock::now();
            const auto changes = client.SyncCollection(book, "");
            listings.push_back(SecondsSince(start));
            if (client.RequestCount() - before != 1 || changes.changed.size() != listed)
                throw std::runtime_error("the listing was not one complete request");
        }
        // The book's properties (whether it keeps sync tokens), which a
        // first sync asks for before its listing.
        for (int i = 0; i < 3; ++i) {
            start = std::chrono::steady_clock::now();
            client.OffersSyncCollection(book);
            properties.push_back(SecondsSince(start));
        }
    }
    const double listing = bench::Median(listings);
    if (listed != static_cast<std::size_t>(cards)) throw std::runtime_error("the server listed " + std::to_string(listed) + " cards");

    const auto folder = std::filesystem::temp_directory_path() / ("orvane-sync-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    const std::string database = (folder / "Addressbook.mdb").string();
    AddressbookSchema::CreateDatabase(database);
    orvane::sync::SyncAccountService(database).Setup({server.BaseUrl(), kUser, kPassword, {}, {}, {}, false});

    std::fprintf(stderr, "first sync...\n");
    const ChildSync first = SyncInChild(database);
    const std::size_t stored = CDataSyncAddressTier(database).ReadAll().size();
    std::fprintf(stderr, "unchanged re-sync...\n");
    const ChildSync unchanged = SyncInChild(database);

    // Every card changed on the server (its file rewritten), then listed
    // once so that Radicale's cache is warm again, as it was for the
    // listing measured above.
    std::fprintf(stderr, "changing every card on the server...\n");
    for (int i = 0; i < cards; ++i)
        server.SeedCard(kUser, "contacts", "seed-" + std::to_string(i) + ".vcf", SeedCard(i, true));
    double changedColdSeconds = 0;
    {
        auto client = Client(book);
        const auto start = std::chrono::steady_clock::now();
        client.SyncCollection(book, "");
        changedColdSeconds = SecondsSince(start);
    }
    std::fprintf(stderr, "re-sync of the changed cards...\n");
    const ChildSync changed = SyncInChild(database);
    std::size_t changedStored = 0;
    for (const auto& [id, fields] : CDataSyncAddressTier(database).ReadAll())
        if (fields[6].find(" 666 ") != std::string::npos) ++changedStored;

    std::fprintf(stderr, "adding %d addresses and uploading them...\n", uploads);
    {
        CDataSyncAddressTier addresses(database);
        for (int i = 0; i < uploads; ++i) {
            const std::string n = std::to_string(i);
            addresses.Add({"New" + n, "Upload" + n, "Lane " + n, "10" + n, "State", "Country", "+1 555 01" + n});
        }
    }
    const ChildSync upload = SyncInChild(database);
    const double loadAtEnd = LoadAverage();

    std::printf("| figure | cards | value | target | detail |\n|---|--:|--:|--:|---|\n");
    Row("server's listing (sync-collection with data, no token)", cards, Format("%.2f s", listing), "",
        Format("median of 3 warm requests (%.2f-%.2f s); the first, cold one %.2f s", *std::min_element(listings.begin(), listings.end()),
               *std::max_element(listings.begin(), listings.end()), coldSeconds));
    Row("whether the book offers sync-collection (PROPFIND Depth 0)", cards, Format("%.2f s", bench::Median(properties)), "",
        "median of 3; a first sync asks this once before its listing");
    Row("first sync into an empty database / server's listing", cards, Format("%.2fx", first.runSeconds / listing),
        "<= 1.5x",
        Format("run %.2f s (whole process %.2f s, processor %.2f s); ", first.runSeconds, first.processSeconds, first.cpuSeconds) +
            std::to_string(first.result.requests) + " requests; " + std::to_string(first.result.received) +
            " received, " + std::to_string(stored) + " addresses stored");
    Row("peak resident memory of the first sync", cards, Format("%.1f MB", first.peakMb), "< 100 MB",
        "the child process alone (wait4 ru_maxrss)");
    Row("unchanged re-sync: requests", cards, std::to_string(unchanged.result.requests), "1",
        Format("run %.3f s (%.2fx the listing); peak %.1f MB", unchanged.runSeconds, unchanged.runSeconds / listing,
               unchanged.peakMb) +
            "; received " + std::to_string(unchanged.result.received) + ", sent " + std::to_string(unchanged.result.sent));
    Row("re-sync after every card changed on the server / server's listing", cards,
        Format("%.2fx", changed.runSeconds / listing), "<= 1.5x",
        Format("run %.2f s (whole process %.2f s, processor %.2f s); ", changed.runSeconds, changed.processSeconds,
               changed.cpuSeconds) +
            std::to_string(changed.result.requests) + " requests; " + std::to_string(changed.result.received) +
            " received, " + std::to_string(changedStored) + " addresses changed" +
            Format("; peak %.1f MB; the listing that warmed the server's cache after the change %.2f s", changed.peakMb,
                   changedColdSeconds));
    const double perAddress = uploads > 0 ? static_cast<double>(upload.result.requests) / uploads : 0;
    Row("upload of new addresses: requests per address", cards, Format("%.3f", perAddress), "<= 1.05",
        std::to_string(uploads) + " addresses, " + std::to_string(upload.result.sent) + " sent in " +
            std::to_string(upload.result.requests) + " requests; run " +
            Format("%.1f s (%.2f s per address, nearly all of it the server's create); peak %.1f MB", upload.runSeconds,
                   uploads > 0 ? upload.runSeconds / uploads : 0, upload.peakMb));
    std::printf("load average %.2f at the start, %.2f at the end\n", loadAtStart, loadAtEnd);

    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: orvane-sync-bench [--cards N] [--upload M]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "--sync-child") == 0) return RunChild(argv[2]);
        int cards = 10000;
        int uploads = 1000;
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            if (i + 1 >= argc) return Usage();
            if (arg == "--cards") cards = std::atoi(argv[++i]);
            else if (arg == "--upload") uploads = std::atoi(argv[++i]);
            else return Usage();
        }
        if (cards < 1 || uploads < 0) return Usage();
        return Bench(cards, uploads);
    } catch (const orvane::Error& e) {
        std::fprintf(stderr, "orvane-sync-bench: error %d: %s\n", static_cast<int>(e.Number()), e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvane-sync-bench: %s\n", e.what());
    }
    return 1;
}
