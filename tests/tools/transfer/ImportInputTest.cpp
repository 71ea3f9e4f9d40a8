// What orvane-transfer import does with inputs that are not ordinary
// files: pipes, folders, devices, and standard input that never ends or is
// closed. The program runs as a user runs it, under a shell; `timeout` and a
// memory limit only keep a faulty program from hanging or filling the machine.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TempAppFolder.h"
#include "ToolRun.h"

namespace fs = std::filesystem;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr const char* kMemoryBound = "export ASAN_OPTIONS=\"$ASAN_OPTIONS:hard_rss_limit_mb=3000\"; ";
#else
constexpr const char* kMemoryBound = "ulimit -v 3000000; ";
#endif

using Outcome = orvane::test::ToolOutcome;

class ImportInputTest : public ::testing::Test {
protected:
    orvane::test::TempAppFolder folder;

    // Runs `orvane-transfer import ARGS --database DB` after `before` (a
    // shell pipeline's first part, or empty), under a guard.
    Outcome Import(const std::string& arguments, const std::string& before = {}) {
        const fs::path err = folder.Root() / "stderr";
        // A reader that reads without end runs out of memory quickly, not
        // the machine's; the sanitizer reserves its shadow memory as address
        // space, so under it the bound is on resident memory instead.
        std::string command = kMemoryBound;
        if (!before.empty()) command += before + " | ";
        command += "timeout 60 " + orvane::test::ShellQuote(ORVANE_TRANSFER) + " import " + arguments + " --database " +
                   orvane::test::ShellQuote(folder.DatabaseFile().string()) + " 2>" + orvane::test::ShellQuote(err.string());
        Outcome outcome;
        FILE* pipe = popen(("sh -c " + orvane::test::ShellQuote(command)).c_str(), "r");
        if (!pipe) return outcome;
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.out.append(buffer, n);
        const int status = pclose(pipe);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(err, std::ios::binary);
        outcome.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return outcome;
    }
};

TEST_F(ImportInputTest, PipesFoldersAndDevicesAreRefusedByNameAndTheSummaryStillComes) {
    folder.WriteFile("a.csv", "First Name\nAnn\n");
    folder.WriteFile("b.vcf", "BEGIN:VCARD\r\nN:Ray;Bob\r\nEND:VCARD\r\n");
    const fs::path fifo = folder.Root() / "pipe.vcf", dir = folder.Root() / "dir.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir);
    const Outcome outcome = Import(orvane::test::ShellQuote((folder.Root() / "a.csv").string()) + " " + orvane::test::ShellQuote(fifo.string()) + " " +
                                   orvane::test::ShellQuote(dir.string()) + " /dev/zero " + orvane::test::ShellQuote((folder.Root() / "b.vcf").string()));
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_EQ(outcome.out, "imported 2 addresses from 2 files, skipped 0 duplicates, 0 cards with problems, "
                           "3 files refused\n");
    EXPECT_EQ(outcome.err, fifo.string() + ": not read: it is a pipe, not a file; nothing from it was stored\n" +
                               dir.string() + ": not read: it is a folder, not a file; nothing from it was stored\n" +
                               "/dev/zero: not read: it is a device, not a file; nothing from it was stored\n");
}

TEST_F(ImportInputTest, StandardInputIsReadUpToTheLargestImportAndNoFurther) {
    folder.WriteFile("a.csv", "First Name\nAnn\n");
    const Outcome endless = Import("- " + orvane::test::ShellQuote((folder.Root() / "a.csv").string()), "cat /dev/zero");
    EXPECT_EQ(endless.status, 1) << endless.err;
    EXPECT_EQ(endless.out, "imported 1 address from 1 file, skipped 0 duplicates, 0 cards with problems, "
                           "1 file refused\n");
    EXPECT_EQ(endless.err, "-: not read: standard input holds more than 64 MB, the largest file an import reads; "
                           "nothing from it was stored\n");

    const Outcome piped = Import("-", "printf 'First Name\\nPiped\\n'");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, "imported 1 address from 1 file, skipped 0 duplicates, 0 cards with problems\n");
}

TEST_F(ImportInputTest, AFolderOnStandardInputIsNamedInWords) {
    const Outcome outcome = Import("- <" + orvane::test::ShellQuote(folder.Root().string()));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err.find("basic_filebuf"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err, "-: not read: standard input is a folder, not a file; nothing from it was stored\n");
    EXPECT_EQ(outcome.out, "imported 0 addresses from 0 files, skipped 0 duplicates, 0 cards with problems, "
                           "1 file refused\n");
}

TEST_F(ImportInputTest, AClosedStandardInputIsNamedAsClosed) {
    folder.WriteFile("a.csv", "First Name\nAnn\n");
    const std::string refused = "-: not read: standard input is closed; nothing from it was stored\n";
    const Outcome alone = Import("- <&-");
    EXPECT_EQ(alone.status, 1);
    EXPECT_EQ(alone.err, refused);
    // The database, opened for the first file, must not take standard
    // input's place and be read as it.
    const Outcome after = Import(orvane::test::ShellQuote((folder.Root() / "a.csv").string()) + " - <&-");
    EXPECT_EQ(after.status, 1);
    EXPECT_EQ(after.err, refused);
    EXPECT_EQ(after.out, "imported 1 address from 1 file, skipped 0 duplicates, 0 cards with problems, "
                         "1 file refused\n");
}

// The same for sync's password, read before any server is asked.
TEST_F(ImportInputTest, AClosedStandardInputGivesNoPasswordToSync) {
    const fs::path err = folder.Root() / "stderr";
    const std::string command = orvane::test::ShellQuote(ORVANE_TRANSFER) +
                                " sync setup http://127.0.0.1:9/ --user ann --password-stdin --database " +
                                orvane::test::ShellQuote(folder.DatabaseFile().string()) + " <&- 2>" +
                                orvane::test::ShellQuote(err.string());
    const int status = std::system(("sh -c " + orvane::test::ShellQuote(command)).c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(orvane::test::ReadWholeFile(err), "orvane-transfer: No password: standard input is closed.\n");
}

}  // namespace
