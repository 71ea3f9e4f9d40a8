#include <gtest/gtest.h>

#include "TempAppFolder.h"
#include "ToolRun.h"

namespace {

using Outcome = orvane::test::ToolOutcome;

class ShowToolTest : public ::testing::Test {
protected:
    Outcome Run(const std::vector<std::string>& arguments, const std::string& input = {}) {
        std::vector<std::string> all = arguments;
        all.insert(all.end(), {"--database", folder.DatabaseFile().string()});
        return orvane::test::RunTool(ORVANE_TRANSFER, all, input, folder.Root());
    }
    orvane::test::TempAppFolder folder;
};

// `show` writes exactly what export writes for the address: a kept card in
// the version asked for, an address without one as a plain card; an
// unknown ID is an error.
TEST_F(ShowToolTest, ShowsTheCardAsExportWritesItAndRefusesAnUnknownId) {
    const std::string card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lindqvist;Maja;Elin;;\r\nitem1.TEL;TYPE=CELL:+46 70 123 45 67\r\n"
        "item1.X-ABLabel:Lab\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-03-14\r\nNOTE:Likes tea.\r\nEND:VCARD\r\n";
    ASSERT_EQ(Run({"import", "-"}, card).status, 0);
    for (const char* format : {"vcard3", "vcard4"}) {
        SCOPED_TRACE(format);
        const Outcome shown = Run({"show", "1", "--format", format});
        EXPECT_EQ(shown.status, 0) << shown.err;
        EXPECT_EQ(shown.out, Run({"export", "-", "--format", format}).out);
        EXPECT_NE(shown.out.find("item1.X-ABLABEL:Lab"), std::string::npos) << shown.out;
    }

    const int plain = folder.InsertAddress("Ann", "Lee", "1 Main St", "K1A", "Ontario", "Canada", "555-1");
    const Outcome shown = Run({"show", std::to_string(plain)});
    EXPECT_EQ(shown.status, 0) << shown.err;
    const std::string exported = Run({"export", "-"}).out;
    EXPECT_NE(shown.out.find("VERSION:4.0\r\n"), std::string::npos);
    EXPECT_TRUE(exported.ends_with(shown.out)) << shown.out;
    EXPECT_NE(shown.out.find("TEL"), std::string::npos);

    const Outcome unknown = Run({"show", "99"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, "orvane-transfer: There is no address with the ID 99.\n");
    for (const char* wrong : {"x", "0", "--format=csv"}) {
        SCOPED_TRACE(wrong);
        EXPECT_EQ(Run({"show", wrong}).status, 2);
    }
}

}  // namespace
