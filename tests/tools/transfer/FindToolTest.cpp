#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempAppFolder.h"
#include "ToolRun.h"
#include "find/AddressSearch.h"

using orvane::test::ToolOutcome;

namespace {

ToolOutcome RunFind(const orvane::test::TempAppFolder& folder, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "find");
    return orvane::test::RunTool(ORVANE_TRANSFER, arguments, {}, folder.Root());
}

}  // namespace

TEST(FindTool, PrintsTheBusinessSearchsMatchesInItsOrderWithExitStatuses) {
    orvane::test::TempAppFolder folder;
    folder.InsertAddress("Ann", "Zeller", "", "", "", "", "+49 30 4711 22");
    folder.InsertAddress("Bea", "Annson");
    folder.InsertAddress("Carla", "Anders");
    folder.InsertAddress("Ann", "Abel");
    const std::string database = folder.DatabaseFile().string();

    const ToolOutcome all = RunFind(folder, {"an", "--database", database});
    EXPECT_EQ(all.status, 0) << all.err;
    std::string expected;
    for (const auto& a : orvane::find::AddressSearch(database).Find("an").addresses)
        expected += std::to_string(a.id) + "\t" + a.display + "\t" + a.matched + "\n";
    EXPECT_EQ(all.out, expected);
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 4);

    const ToolOutcome limited = RunFind(folder, {"--limit", "1", "--database", database, "an"});
    EXPECT_EQ(limited.status, 0) << limited.err;
    EXPECT_EQ(limited.out, expected.substr(0, expected.find('\n') + 1));
    EXPECT_NE(limited.err.find("3 more"), std::string::npos) << limited.err;

    const ToolOutcome none = RunFind(folder, {"nobody", "--database", database});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");

    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {}, {"ann", "--limit", "0"}, {"ann", "--limit"}, {"ann", "--format", "csv"}, {"--limit", "x", "ann"}}) {
        SCOPED_TRACE(testing::PrintToString(wrong));
        EXPECT_EQ(RunFind(folder, wrong).status, 2);
    }
}
