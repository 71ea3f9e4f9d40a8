// orvane-transfer's export when the output fails under it (a closed
// standard output, a file-size limit, a kill half way) and when the
// target is standard output by another name.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TempAppFolder.h"
#include "ToolRun.h"

namespace fs = std::filesystem;

namespace {

using Outcome = orvane::test::ToolOutcome;

class ExportFailureToolTest : public ::testing::Test {
protected:
    orvane::test::TempAppFolder folder;
    fs::path work = folder.Root() / "work";

    void SetUp() override {
        fs::create_directory(work);
        // An export of a few kilobytes, well over the size limit used below.
        for (int i = 0; i < 6; ++i)
            folder.InsertAddress("First" + std::to_string(i), "Last", std::string(500, 'a'), "K1A 0B1", "Ontario", "Canada",
                                 "555-0100");
    }

    // Runs `prefix orvane-transfer export TARGET --format csv --database DB
    // redirections` in /bin/sh, standard output and error into files.
    Outcome Export(const std::string& target, const std::string& prefix = {}, const std::string& redirections = {}) {
        const fs::path out = folder.Root() / "stdout", err = folder.Root() / "stderr";
        const std::string command = prefix + "exec " + orvane::test::ShellQuote(ORVANE_TRANSFER) + " export " + orvane::test::ShellQuote(target) +
                                    " --format csv --database " + orvane::test::ShellQuote(folder.DatabaseFile().string()) + " >" +
                                    orvane::test::ShellQuote(out.string()) + " 2>" + orvane::test::ShellQuote(err.string()) + " " + redirections;
        const int status = std::system(("/bin/sh -c " + orvane::test::ShellQuote(command)).c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, orvane::test::ReadWholeFile(out), orvane::test::ReadWholeFile(err)};
    }
};

TEST_F(ExportFailureToolTest, AClosedStandardOutputIsNamedAndFails) {
    const Outcome closed = Export("-", {}, ">&-");
    EXPECT_EQ(closed.status, 1);
    EXPECT_EQ(closed.err, "orvane-transfer: Path/File access error: standard output is closed\n");
}

TEST_F(ExportFailureToolTest, AFailedWriteNamesTheFileAndTheCauseAndLeavesNoTemporaryFile) {
    const fs::path target = work / "out.csv";
    std::ofstream(target) << "kept";
    // A file-size limit of a few hundred bytes fails the write with EFBIG;
    // the signal that would kill the program is ignored, as a shell may.
    const Outcome limited = Export(target.string(), "trap '' XFSZ; ulimit -f 1; ");
    EXPECT_EQ(limited.status, 1);
    EXPECT_EQ(limited.err, "orvane-transfer: Path/File access error: File too large while writing " + target.string() + "\n");
    EXPECT_EQ(limited.out, "");
    EXPECT_EQ(orvane::test::ReadWholeFile(target), "kept");
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(work)) files += entry.path() != target;
    EXPECT_EQ(files, 0u);
}

TEST_F(ExportFailureToolTest, AnExportKilledHalfWayLeavesOnlyAPrivateFile) {
    const fs::path target = work / "out.csv";
    // The limit's signal kills the program in the middle of its write.
    const Outcome killed = Export(target.string(), "trap - XFSZ; ulimit -f 1; ");
    ASSERT_GT(killed.status, 128) << killed.err;
    EXPECT_FALSE(fs::exists(target));
    std::size_t partial = 0;
    for (const auto& entry : fs::directory_iterator(work)) {
        struct stat st {};
        ASSERT_EQ(::lstat(entry.path().c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 0077, 0u) << entry.path();
        ++partial;
    }
    EXPECT_EQ(partial, 1u);
}

TEST_F(ExportFailureToolTest, StandardOutputByItsDeviceNameIsWrittenNotReplaced) {
    const Outcome direct = Export("-");
    ASSERT_EQ(direct.status, 0) << direct.err;
    // A link like /dev/stdout of the test's own: were it replaced, as root
    // the machine's /dev/stdout would be, so that one is only tried as
    // another user.
    const fs::path own = work / "stdout";
    fs::create_symlink("/proc/self/fd/1", own);
    for (const fs::path& name : {own, fs::path("/dev/stdout"), fs::path("/dev/fd/1")}) {
        if (name != own && ::geteuid() == 0) continue;
        const Outcome named = Export(name.string());
        EXPECT_EQ(named.status, 0) << named.err;
        EXPECT_EQ(named.out, direct.out) << name;
        EXPECT_EQ(named.err, "exported 6 addresses to " + name.string() + "\n");
    }
    EXPECT_TRUE(fs::is_symlink(own));
    EXPECT_TRUE(fs::is_symlink("/dev/stdout"));

    // Appended to what a shell's ">>" keeps, as a program writing to its
    // standard output does.
    const fs::path log = work / "log.csv";
    std::ofstream(log) << "before\n";
    const Outcome appended = Export(own.string(), {}, ">>" + orvane::test::ShellQuote(log.string()));
    EXPECT_EQ(appended.status, 0) << appended.err;
    EXPECT_EQ(orvane::test::ReadWholeFile(log), "before\n" + direct.out);
    EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 2);
}

}  // namespace
