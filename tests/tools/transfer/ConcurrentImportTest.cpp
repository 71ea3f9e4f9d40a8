// Two orvane-transfer imports of the same file started at once store each
// address once: the second one waits for the first and skips its rows.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "TempAppFolder.h"
#include "adodb/Connection.h"

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a shell command; its standard output and error, and its status.
std::pair<int, std::string> Shell(const std::string& command) {
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return {-1, out};
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

}  // namespace

TEST(ConcurrentImport, TwoProcessesImportingTheSameFileStoreItOnce) {
    const orvane::test::TempAppFolder folder;
    const fs::path cards = folder.Root() / "cards.vcf";
    {
        std::ofstream out(cards, std::ios::binary);
        for (int i = 0; i < 20000; ++i)
            out << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Last" << i << ";First\r\nTEL:555" << i << "\r\nEND:VCARD\r\n";
    }
    const std::string database = folder.DatabaseFile().string();
    const std::string import =
        Quote(ORVANE_TRANSFER) + " import " + Quote(cards.string()) + " --database " + Quote(database);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        folder.ExecSql("DELETE FROM tblAddress");
        const auto [status, out] = Shell("( " + import + " & " + import + " & wait %1 || exit 1; wait %2 || exit 1 )");
        EXPECT_EQ(status, 0) << out;
        EXPECT_NE(out.find("imported 20,000 addresses"), std::string::npos) << out;
        EXPECT_NE(out.find("imported 0 addresses from 1 file, skipped 20,000 duplicates"), std::string::npos) << out;
        const auto [exported, csv] =
            Shell("(" + Quote(ORVANE_TRANSFER) + " export - --format csv --database " + Quote(database) + " 2>/dev/null)");
        EXPECT_EQ(exported, 0);
        EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 20001) << "header and one line per address";
    }
}

// Another program writing for a few seconds (longer than a window waits
// for the file) is waited for: the import then stores its cards.
TEST(ConcurrentImport, AnImportWaitsForAWriterThatHoldsTheFileForSeconds) {
    const orvane::test::TempAppFolder folder;
    const fs::path cards = folder.Root() / "cards.vcf";
    std::ofstream(cards, std::ios::binary) << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann\r\nEND:VCARD\r\n";
    orvane::adodb::Connection writer;
    writer.Open(folder.ConnectionString());
    writer.BeginTrans();
    std::thread release([&writer] {
        std::this_thread::sleep_for(std::chrono::seconds(4));
        writer.CommitTrans();
    });
    const auto [status, out] = Shell(Quote(ORVANE_TRANSFER) + " import " + Quote(cards.string()) + " --database " +
                                     Quote(folder.DatabaseFile().string()));
    release.join();
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("imported 1 address"), std::string::npos) << out;
}
