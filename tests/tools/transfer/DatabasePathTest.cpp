// The database paths given to the command-line tools name exactly the file
// the user typed, whatever characters it holds.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempAppFolder.h"
#include "ToolRun.h"

namespace fs = std::filesystem;

namespace {

using Outcome = orvane::test::ToolOutcome;

// Runs a program in folder with the arguments; standard error joins the output.
Outcome RunIn(const fs::path& folder, const std::string& program, const std::vector<std::string>& arguments) {
    std::string command = "cd " + orvane::test::ShellQuote(folder.string()) + " && " + orvane::test::ShellQuote(program);
    for (const std::string& argument : arguments) command += " " + orvane::test::ShellQuote(argument);
    command += " 2>&1 </dev/null";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.out.append(buffer, n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

void Write(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

class DatabasePath : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(work / "a");
        Write(work / "one.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann\r\nEND:VCARD\r\n");
    }
    // The addresses stored in the database, as CSV lines after the header.
    Outcome Export(const std::string& database) {
        return RunIn(work, ORVANE_TRANSFER, {"export", "-", "--format", "csv", "--database", database});
    }

    orvane::test::TempAppFolder folder{false};
    fs::path work = folder.Root() / "work";
};

}  // namespace

TEST_F(DatabasePath, ABackslashIsPartOfTheFileName) {
    const Outcome created = RunIn(work, ORVANE_CREATEDB, {"a\\b.mdb", "--fill", "2"});
    ASSERT_EQ(created.status, 0) << created.out;
    EXPECT_TRUE(fs::is_regular_file(work / "a\\b.mdb"));
    EXPECT_FALSE(fs::exists(work / "a" / "b.mdb"));

    const Outcome imported = RunIn(work, ORVANE_TRANSFER, {"import", "one.vcf", "--database", "a\\b.mdb"});
    EXPECT_EQ(imported.status, 0) << imported.out;
    EXPECT_FALSE(fs::exists(work / "a" / "b.mdb"));
    const Outcome exported = Export("a\\b.mdb");
    EXPECT_EQ(exported.status, 0) << exported.out;
    EXPECT_NE(exported.out.find("Ann,Lee"), std::string::npos) << exported.out;

    // A database at a/b.mdb is another file, left as it is.
    ASSERT_EQ(RunIn(work, ORVANE_CREATEDB, {"a/b.mdb"}).status, 0);
    EXPECT_EQ(RunIn(work, ORVANE_TRANSFER, {"import", "one.vcf", "--database", "a\\b.mdb"}).status, 0);
    EXPECT_EQ(Export("a/b.mdb").out.find("Ann"), std::string::npos);
}

TEST_F(DatabasePath, PathsWithSemicolonsQuotesAndBlanksAreAccepted) {
    for (const std::string name : {"semi;colon.mdb", "x;Mode=Read;y.mdb", "q\"uote'd;Provider=Other.mdb",
                                   " blank ;.mdb", "dir;Data Source=b/Addressbook.mdb"}) {
        SCOPED_TRACE(name);
        fs::create_directories((work / name).parent_path());
        const Outcome created = RunIn(work, ORVANE_CREATEDB, {name, "--fill", "3"});
        ASSERT_EQ(created.status, 0) << created.out;
        EXPECT_TRUE(fs::is_regular_file(work / name));
        const Outcome imported = RunIn(work, ORVANE_TRANSFER, {"import", "one.vcf", "--database", name});
        EXPECT_EQ(imported.status, 0) << imported.out;
        EXPECT_NE(imported.out.find("imported 1 address"), std::string::npos) << imported.out;
        const Outcome exported = Export(name);
        EXPECT_EQ(exported.status, 0) << exported.out;
        EXPECT_NE(exported.out.find("Ann,Lee"), std::string::npos) << exported.out;
        // The header, three generated rows and the imported one.
        EXPECT_EQ(std::count(exported.out.begin(), exported.out.end(), '\n'), 5 + 1) << exported.out;
    }
}

// A database this user may only read: the import fails naming the file and
// the cause. Run as root, the tool runs as an ordinary user for this.
TEST_F(DatabasePath, AReadOnlyDatabaseIsNamedWithTheCause) {
    ASSERT_EQ(RunIn(work, ORVANE_CREATEDB, {"Addressbook.mdb"}).status, 0);
    fs::permissions(folder.Root(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(work, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
    fs::permissions(work / "Addressbook.mdb", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(work / "one.vcf", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::string program = ORVANE_TRANSFER;
    if (geteuid() == 0) {
        if (!fs::exists("/usr/bin/setpriv")) GTEST_SKIP() << "setpriv is needed to run the tool as an ordinary user";
        program = "/usr/bin/setpriv";
    }
    std::vector<std::string> arguments = {"import", "one.vcf", "--database", (work / "Addressbook.mdb").string()};
    if (geteuid() == 0)
        arguments.insert(arguments.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", ORVANE_TRANSFER});
    const Outcome outcome = RunIn(work, program, arguments);
    EXPECT_EQ(outcome.status, 1) << outcome.out;
    EXPECT_NE(outcome.out.find("The database file '" + (work / "Addressbook.mdb").string() + "' cannot be written"),
              std::string::npos)
        << outcome.out;
    EXPECT_NE(outcome.out.find("read-only for this user"), std::string::npos) << outcome.out;
}
