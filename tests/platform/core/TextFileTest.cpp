#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "ErrorOf.h"
#include "core/Error.h"
#include "core/TextFile.h"

namespace {
std::vector<std::string> LinesOf(const std::string& bytes) {
    static int counter = 0;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    auto path = std::filesystem::temp_directory_path() /
                ("orvane-textfile-" + std::string(test->name()) + std::to_string(counter++) + ".txt");
    {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    std::vector<std::string> lines;
    orvane::TextFile file(path.string());
    while (!file.AtEndOfFile()) lines.push_back(file.ReadLine());
    std::filesystem::remove(path);
    return lines;
}
using Lines = std::vector<std::string>;
}  // namespace

TEST(TextFile, LineEndsAndTheFinalLine) {
    EXPECT_EQ(LinesOf("a\r\nb\r\nc\r\n"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(LinesOf("a\r\nb\r\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(LinesOf("a\rb\rc\r"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(LinesOf("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf(""), Lines{});
    EXPECT_EQ(LinesOf("\r\n"), Lines{""});
}

TEST(TextFile, BlankLinesAndBlanksAreKept) {
    EXPECT_EQ(LinesOf("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(LinesOf("  spaced  \r\n\tx"), (Lines{"  spaced  ", "\tx"}));
    EXPECT_EQ(LinesOf("a\r\r\nb"), (Lines{"a", "", "b"}));
}

TEST(TextFile, Utf8PassesAndWindows1252IsConverted) {
    EXPECT_EQ(LinesOf("Qu\xC3\xA9" "bec\r\n"), Lines{"Qu\xC3\xA9" "bec"});
    EXPECT_EQ(LinesOf("\xEF\xBB\xBF" "Canada"), Lines{"Canada"});
    // A lone 0xE9 is not UTF-8: it is the Windows-1252 e acute.
    EXPECT_EQ(LinesOf("Qu\xE9" "bec\r\n\x80"), (Lines{"Qu\xC3\xA9" "bec", "\xE2\x82\xAC"}));
    // Truncated multibyte sequence at the very end.
    EXPECT_EQ(LinesOf("ab\xC3"), Lines{"ab\xC3\x83"});
}

TEST(TextFile, Utf16WithByteOrderMark) {
    using namespace std::string_literals;
    // "Qu\u00e9bec" CR LF "\U0001F600": a BMP letter, a line end and a surrogate pair.
    EXPECT_EQ(LinesOf("\xFF\xFEQ\0u\0\xE9\0b\0e\0c\0\r\0\n\0\x3D\xD8\x00\xDE"s),
              (Lines{"Qu\xC3\xA9" "bec", "\xF0\x9F\x98\x80"}));
    EXPECT_EQ(LinesOf("\xFE\xFF\0Q\0u\0\xE9\0\n\0x"s), (Lines{"Qu\xC3\xA9", "x"}));
    // A lone surrogate and a dangling odd byte become U+FFFD, never a NUL.
    EXPECT_EQ(LinesOf("\xFF\xFE\x00\xD8" "a\0b"s), Lines{"\xEF\xBF\xBD" "a\xEF\xBF\xBD"});
}

TEST(TextFile, MissingFileAndReadingPastTheEnd) {
    const orvane::Error e = orvane::test::ErrorOf([&] { orvane::TextFile file("/nonexistent-orvane/Lists/Country.txt"); });
    EXPECT_EQ(e.Number(), 53);
    EXPECT_NE(e.Description().find("Country.txt"), std::string::npos);
    auto path = std::filesystem::temp_directory_path() / "orvane-textfile-past-end.txt";
    { std::ofstream(path) << "x"; }
    orvane::TextFile file(path.string());
    EXPECT_EQ(file.ReadLine(), "x");
    EXPECT_TRUE(file.AtEndOfFile());
    EXPECT_EQ(orvane::test::ErrorNumberOf([&] { (void)file.ReadLine(); }), 62);  // Input past end of file
    std::filesystem::remove(path);
}

TEST(TextFile, AByteOrderMarkNeverReachesTheFirstEntry) {
    // The mark says UTF-8 even where a later byte is not: that byte is
    // replaced, the mark dropped.
    EXPECT_EQ(LinesOf("\xEF\xBB\xBF" "Canada\r\nQu\xE9" "bec"), (Lines{"Canada", "Qu\xEF\xBF\xBD" "bec"}));
}

// Anything but a regular file in place of a list is an error naming the
// path, raised at once: a FIFO with no writer is never waited on, and a
// device or an oversized file is never read into memory.
TEST(TextFile, OnlyRegularFilesOfAListsSizeAreRead) {
    const auto folder = std::filesystem::temp_directory_path() / ("orvane-textfile-odd-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "Country.txt");
    const auto fifo = folder / "StateProvince.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto large = folder / "Large.txt";
    { std::ofstream(large) << "x"; }
    std::filesystem::resize_file(large, std::uintmax_t{200} << 20);  // sparse
    for (const std::string& path : {(folder / "Country.txt").string(), fifo.string(), std::string("/dev/zero"), large.string()}) {
        const orvane::Error e = orvane::test::ErrorOf([&] { orvane::TextFile file(path); });
        EXPECT_NE(e.Description().find(path), std::string::npos) << path << ": " << e.Description();
    }
    std::filesystem::remove_all(folder);
}
