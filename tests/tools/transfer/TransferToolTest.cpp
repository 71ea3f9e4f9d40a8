#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TempAppFolder.h"
#include "ToolRun.h"

namespace fs = std::filesystem;

namespace {

using Outcome = orvane::test::ToolOutcome;
using orvane::test::ReadWholeFile;

class TransferToolTest : public ::testing::Test {
protected:
    orvane::test::TempAppFolder folder;

    std::string Database() const { return folder.DatabaseFile().string(); }

    // Runs the program with the arguments (and stdin from a file, if given).
    Outcome Run(const std::string& program, const std::vector<std::string>& arguments, const std::string& input = {}) {
        return orvane::test::RunTool(program, arguments, input, folder.Root());
    }
    Outcome Run(const std::vector<std::string>& arguments, const std::string& input = {}) {
        return Run(ORVANE_TRANSFER, arguments, input);
    }
};

TEST_F(TransferToolTest, HelpAndWrongUsage) {
    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("orvane-transfer import FILE... [--database PATH]"), std::string::npos);
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{}, {"import"}, {"copy", "a.vcf"}, {"import", "a.vcf", "--format", "csv"},
          {"export", "a.vcf", "--format", "vcard5"}, {"export", "a.txt"}, {"export", "a.vcf", "b.vcf"},
          {"import", "a.vcf", "--database"}, {"import", "--verbose", "a.vcf"}}) {
        const Outcome outcome = Run(wrong);
        EXPECT_EQ(outcome.status, 2) << (wrong.empty() ? "(none)" : wrong[0]);
        EXPECT_NE(outcome.err.find("usage: orvane-transfer"), std::string::npos);
    }
}

TEST_F(TransferToolTest, ImportPrintsTheSummaryAndEachProblemWithItsLine) {
    folder.WriteFile("a.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann\r\nEMAIL:ann@example.com\r\nEND:VCARD\r\n");
    folder.WriteFile("b.csv", "First Name,Phone\nBob,555\nCy,1,2\n");
    const fs::path a = folder.Root() / "a.vcf", b = folder.Root() / "b.csv";
    const Outcome clean = Run({"import", a.string(), "--database", Database()});
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.out,
              "imported 1 address from 1 file, skipped 0 duplicates, 0 cards with problems\n");
    EXPECT_EQ(clean.err, "");

    const Outcome problems = Run({"import", "--database=" + Database(), a.string(), b.string(), "-"}, "no contacts here");
    EXPECT_EQ(problems.status, 1);
    EXPECT_EQ(problems.out,
              "imported 2 addresses from 2 files, skipped 1 duplicate, 1 card with problems, 1 file refused\n");
    EXPECT_EQ(problems.err.substr(0, problems.err.find('\n')),
              b.string() + ":3: the row has 3 values but the header names 2 columns; the values past the last column are "
                           "not stored");
    EXPECT_NE(problems.err.find("\n-:1: neither a vCard"), std::string::npos) << problems.err;
}

TEST_F(TransferToolTest, ExportWritesFilesAndStandardOutputInTheFormatAsked) {
    folder.InsertAddress("Ann", "Lee", "1 Main St", "K1A", "Ontario", "Canada", "555-1");
    const fs::path csv = folder.Root() / "out.csv", vcf = folder.Root() / "out.vcf", other = folder.Root() / "out.txt";
    EXPECT_EQ(Run({"export", csv.string(), "--database", Database()}).out, "exported 1 address to " + csv.string() + "\n");
    EXPECT_EQ(ReadWholeFile(csv), "Firstname,Lastname,Address,Zip/PostalCode,State/Province,Country,PhoneNumber\r\n"
                             "Ann,Lee,1 Main St,K1A,Ontario,Canada,555-1\r\n");
    EXPECT_EQ(Run({"export", vcf.string(), "--database", Database()}).status, 0);
    EXPECT_NE(ReadWholeFile(vcf).find("VERSION:4.0\r\n"), std::string::npos);
    EXPECT_EQ(Run({"export", other.string(), "--format", "vcard3", "--database", Database()}).status, 0);
    EXPECT_NE(ReadWholeFile(other).find("VERSION:3.0\r\n"), std::string::npos);

    const Outcome toStdout = Run({"export", "-", "--format=csv", "--database", Database()});
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.out, ReadWholeFile(csv));
    EXPECT_EQ(toStdout.err, "exported 1 address to standard output\n");

    const Outcome noDatabase = Run({"export", "-", "--database", (folder.Root() / "none.mdb").string()});
    EXPECT_EQ(noDatabase.status, 1);
    EXPECT_NE(noDatabase.err.find("none.mdb"), std::string::npos) << noDatabase.err;
}

// Without --database the program uses Database/Addressbook.mdb beside
// itself, as the window does.
TEST_F(TransferToolTest, TheDefaultDatabaseIsTheOneBesideTheProgram) {
    const fs::path program = folder.Root() / "orvane-transfer";
    fs::copy_file(ORVANE_TRANSFER, program);
    folder.WriteFile("c.csv", "Name\nAda Lovelace\n");
    EXPECT_EQ(Run(program.string(), {"import", (folder.Root() / "c.csv").string()}).status, 0);
    const Outcome out = Run(program.string(), {"export", "-", "--format", "csv"});
    EXPECT_NE(out.out.find("\r\nAda,Lovelace,,,,,\r\n"), std::string::npos) << out.out;
}

}  // namespace
