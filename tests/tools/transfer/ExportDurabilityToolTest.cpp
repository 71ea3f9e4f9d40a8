// The export's bytes reach the disk before its name does: orvane-transfer
// run under strace, and the order of the calls it makes on the file, the
// rename and the folder read back from the trace.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "TempAppFolder.h"
#include "ToolRun.h"

namespace fs = std::filesystem;

namespace {

struct Call {
    std::string name;
    std::vector<std::string> paths;  // the path of an fsync's descriptor, or a rename's two paths
};

// The calls of a `strace -y` trace that touch folder, in order.
std::vector<Call> CallsOn(const std::string& trace, const std::string& folder) {
    static const std::regex line(R"(^\d+\s+(\w+)\((.*)\)\s+= 0$)");
    static const std::regex descriptor(R"(^\d+<(.*)>$)");
    static const std::regex quoted(R"re("([^"]*)")re");
    std::vector<Call> calls;
    std::istringstream lines(trace);
    for (std::string text; std::getline(lines, text);) {
        std::smatch m;
        if (text.find(folder) == std::string::npos || !std::regex_match(text, m, line)) continue;
        Call call{m[1], {}};
        const std::string arguments = m[2];
        if (std::smatch fd; std::regex_match(arguments, fd, descriptor)) call.paths.push_back(fd[1]);
        else
            for (std::sregex_iterator it(arguments.begin(), arguments.end(), quoted), end; it != end; ++it)
                call.paths.push_back((*it)[1]);
        calls.push_back(call);
    }
    return calls;
}

TEST(ExportDurabilityToolTest, TheFileIsSyncedBeforeTheRenameAndTheFolderAfterIt) {
    ASSERT_TRUE(fs::exists(ORVANE_STRACE)) << "strace is needed (scripts/deps.sh installs it)";
    orvane::test::TempAppFolder folder;
    folder.InsertAddress("Ann", "Lee", "1 Main St", "1000", "VD", "CH", "555-0100");
    const fs::path work = folder.Root() / "work", target = work / "out.csv", trace = folder.Root() / "trace";
    fs::create_directory(work);
    std::ofstream(target) << "the export before";

    const auto run = orvane::test::RunTool(
        ORVANE_STRACE,
        {"-f", "-y", "-qq", "-o", trace.string(), "-e", "trace=fsync,fdatasync,rename,renameat,renameat2", ORVANE_TRANSFER,
         "export", target.string(), "--database", folder.DatabaseFile().string()},
        "", folder.Root());
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_NE(orvane::test::ReadWholeFile(target).find("Ann,Lee"), std::string::npos);

    const std::string traced = orvane::test::ReadWholeFile(trace);
    const std::vector<Call> calls = CallsOn(traced, work.string());
    ASSERT_EQ(calls.size(), 3u) << traced;
    // fsync(the temporary file) < rename(it, the target) < fsync(the folder).
    EXPECT_TRUE(calls[0].name == "fsync" || calls[0].name == "fdatasync") << traced;
    ASSERT_EQ(calls[0].paths.size(), 1u) << traced;
    const fs::path temporary = calls[0].paths[0];
    EXPECT_EQ(temporary.parent_path(), work) << traced;
    EXPECT_EQ(temporary.filename().string().rfind(".out.csv.", 0), 0u) << traced;
    EXPECT_EQ(calls[1].name.rfind("rename", 0), 0u) << traced;
    EXPECT_EQ(calls[1].paths, (std::vector<std::string>{temporary.string(), target.string()})) << traced;
    EXPECT_EQ(calls[2].name, "fsync") << traced;
    EXPECT_EQ(calls[2].paths, std::vector<std::string>{work.string()}) << traced;
}

}  // namespace
