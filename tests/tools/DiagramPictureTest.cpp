// The bitmap writer, and the committed diagram picture read back byte by byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "BmpWriter.h"
#include "ErrorOf.h"
#include "core/Error.h"

namespace {

using orvane::diagram::RgbImage;
using orvane::test::ErrorNumberOf;

struct Rgb { int r, g, b; };
using Point = std::pair<int, int>;
using Bytes = std::vector<std::uint8_t>;

// Little-endian fields, and pixels from the top-left corner of a bottom-up 24-bit bitmap.
std::uint32_t U16(const Bytes& bmp, std::size_t at) { return bmp.at(at) | bmp.at(at + 1) << 8; }
std::uint32_t U32(const Bytes& bmp, std::size_t at) { return U16(bmp, at) | U16(bmp, at + 2) << 16; }
Rgb Pixel(const Bytes& bmp, int x, int y) {
    const std::size_t at = U32(bmp, 10) + (U32(bmp, 22) - 1 - y) * ((U32(bmp, 18) * 3 + 3) / 4 * 4) + x * 3;
    return {bmp.at(at + 2), bmp.at(at + 1), bmp.at(at)};
}

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The signature and the header fields: offset, size in bytes, value.
struct Field { std::size_t offset; int size; std::uint32_t value; };
void ExpectHeaders(const Bytes& bmp, std::initializer_list<Field> fields) {
    EXPECT_EQ(bmp.at(0), 'B');
    EXPECT_EQ(bmp.at(1), 'M');
    for (const Field& f : fields)
        EXPECT_EQ(f.size == 2 ? U16(bmp, f.offset) : U32(bmp, f.offset), f.value) << "field at " << f.offset;
}

bool IsWhite(const Rgb& p) { return p.r == 0xFF && p.g == 0xFF && p.b == 0xFF; }
bool IsBlack(const Rgb& p) { return p.r == 0 && p.g == 0 && p.b == 0; }
bool IsRed(const Rgb& p) { return p.r >= 0xCC && p.g <= 0x33 && p.b <= 0x33; }

TEST(BmpWriter, TinyImageHasHeadersTablePaddingAndBottomUpRows) {
    // Top row: red, green, blue; bottom row: white, black, grey.
    const RgbImage image{3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x336699}};
    const Bytes bytes = orvane::diagram::EncodeBmp24(image, {0x123456, 0xABCDEF});
    ExpectHeaders(bytes, {{2, 4, 86}, {6, 4, 0}, {10, 4, 62}, {14, 4, 40}, {18, 4, 3}, {22, 4, 2}, {26, 2, 1},
                          {28, 2, 24}, {30, 4, 0}, {34, 4, 24}, {38, 4, 2834}, {42, 4, 2834}, {46, 4, 2}, {50, 4, 0}});
    // The table (blue, green, red, 0), then the bottom row first, in
    // blue-green-red order, each row padded from 9 to 12 bytes.
    const Bytes rest = {0x56, 0x34, 0x12, 0, 0xEF, 0xCD, 0xAB, 0,                       // the table
                        0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x99, 0x66, 0x33, 0, 0, 0,  // bottom row
                        0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0};  // top row
    EXPECT_EQ(Bytes(bytes.begin() + 54, bytes.end()), rest);
}

TEST(BmpWriter, WritesTheEncodingToAFileAndRefusesPixelsThatDoNotMatchTheSize) {
    EXPECT_EQ(ErrorNumberOf([] { orvane::diagram::EncodeBmp24(RgbImage{2, 2, {0, 0, 0}}, {}); }), orvane::errnum::InvalidFileFormat);
    const auto file = std::filesystem::temp_directory_path() / ("orvane-bmp-" + std::to_string(::getpid()) + ".bmp");
    const RgbImage image{5, 1, {1, 2, 3, 4, 5}};
    orvane::diagram::WriteBmp24(file.string(), image, {});
    EXPECT_EQ(ReadFile(file), orvane::diagram::EncodeBmp24(image, {}));
    std::filesystem::remove(file);
    EXPECT_EQ(ErrorNumberOf([&] { orvane::diagram::WriteBmp24((file / "missing.bmp").string(), image, {}); }),
              orvane::errnum::PathNotFound);
}

// The committed asset, read once for all the cases below.
const Bytes& Picture() {
    static const Bytes picture =
        ReadFile(std::filesystem::path(ORVANE_SOURCE_DIR) / "presentation" / "assets" / "diagram.bmp");
    return picture;
}

Rgb Px(int x, int y) { return Pixel(Picture(), x, y); }

TEST(DiagramPicture, A508By361BottomUp24BitBitmapWithTheColourCubeAsItsTable) {
    const Bytes& bmp = Picture();
    ASSERT_EQ(bmp.size(), 551082u);
    ExpectHeaders(bmp, {{2, 4, 551082}, {6, 4, 0}, {10, 4, 918}, {14, 4, 40}, {18, 4, 508}, {22, 4, 361}, {26, 2, 1},
                        {28, 2, 24}, {30, 4, 0}, {34, 4, 550164}, {38, 4, 2834}, {42, 4, 2834}, {46, 4, 216}, {50, 4, 0}});
    // Entries are blue, green, red, 0: read little-endian, 0x00RRGGBB.
    const std::uint32_t steps[] = {0x00, 0x33, 0x66, 0x99, 0xCC, 0xFF};
    std::vector<std::uint32_t> table;
    for (std::size_t i = 0; i < 216; ++i) {
        table.push_back(U32(bmp, 54 + i * 4));
        EXPECT_EQ(table.back(), steps[i / 36] << 16 | steps[i / 6 % 6] << 8 | steps[i % 6]) << "entry " << i;
    }
    EXPECT_EQ(table, orvane::diagram::ColourCube());
}

TEST(DiagramPicture, MostlyWhiteInTableColoursUnderACentredDarkBlueTitle) {
    ASSERT_EQ(Picture().size(), 551082u);
    const std::vector<std::uint32_t> table = orvane::diagram::ColourCube();
    std::set<std::uint32_t> used;
    std::size_t white = 0;
    int left = 508, right = -1;
    Rgb bluest{0xFF, 0xFF, 0xFF};
    for (int y = 0; y < 361; ++y) {
        bool ink = false;
        for (int x = 0; x < 508; ++x) {
            const Rgb p = Px(x, y);
            used.insert(static_cast<std::uint32_t>(p.r << 16 | p.g << 8 | p.b));
            if (IsWhite(p)) {
                ++white;
            } else if (y < 70) {
                ink = true;
                if (y <= 25) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
                if (p.b - p.r - p.g > bluest.b - bluest.r - bluest.g) bluest = p;
            }
        }
        // Above the table only the two title lines have ink.
        if (y < 70) {
            EXPECT_EQ(ink, (y >= 7 && y <= 25) || (y >= 31 && y <= 49)) << "row " << y;
        }
    }
    for (std::uint32_t rgb : used) EXPECT_NE(std::find(table.begin(), table.end(), rgb), table.end()) << std::hex << rgb;
    EXPECT_GT(used.size(), 10u);
    EXPECT_GT(white, 508u * 361u / 2) << "most of the picture is white";
    // The first line's ink starts about as far from the left edge as it ends from the right.
    EXPECT_NEAR(left, 507 - right, 2);
    EXPECT_LE(bluest.r, 0x33);
    EXPECT_LE(bluest.g, 0x33);
    EXPECT_GE(bluest.b, 0x66);
}

TEST(DiagramPicture, TableBorderHeadingRuleColumnRulesAndWhiteAreas) {
    ASSERT_EQ(Picture().size(), 551082u);
    for (int x = 0; x < 508; ++x) {
        const bool inside = x >= 1 && x <= 506;
        EXPECT_EQ(IsBlack(Px(x, 70)), inside) << "top border at x " << x;
        EXPECT_EQ(IsBlack(Px(x, 95)), inside) << "heading rule at x " << x;
        EXPECT_EQ(IsBlack(Px(x, 359)), inside) << "bottom border at x " << x;
        EXPECT_TRUE(IsWhite(Px(x, 360)));
    }
    for (int y = 70; y <= 359; ++y) {
        EXPECT_TRUE(IsBlack(Px(1, y)) && IsBlack(Px(506, y))) << "side borders at row " << y;
        EXPECT_TRUE(IsWhite(Px(0, y)) && IsWhite(Px(507, y))) << "outside the border at row " << y;
    }
    for (int x : {142, 324}) {
        for (int y : {72, 90, 110, 150, 230, 300, 340, 358})
            EXPECT_TRUE(IsBlack(Px(x, y))) << "column rule " << x << " at row " << y;
        // The columns beside a rule are not rules.
        EXPECT_FALSE(IsBlack(Px(x - 1, 110)));
        EXPECT_FALSE(IsBlack(Px(x + 1, 300)));
    }
    for (auto [x, y] : {Point{490, 150}, Point{72, 280}, Point{10, 40}, Point{170, 330}})
        EXPECT_TRUE(IsWhite(Px(x, y))) << x << ',' << y;
}

TEST(DiagramPicture, RedCirclesAre29PixelsAcrossOnTheCrossingsAndTheLegend) {
    ASSERT_EQ(Picture().size(), 551082u);
    for (auto [x, y] : {Point{142, 192}, Point{324, 182}, Point{43, 325}}) {
        // The ring 13 pixels out in the four directions; nothing red beyond
        // 29 pixels across, nor in the middle.
        for (auto [dx, dy] : {Point{1, 0}, Point{-1, 0}, Point{0, 1}, Point{0, -1}}) {
            EXPECT_TRUE(IsRed(Px(x + 13 * dx, y + 13 * dy))) << x << ',' << y << " ring " << dx << ',' << dy;
            EXPECT_FALSE(IsRed(Px(x + 16 * dx, y + 16 * dy))) << x << ',' << y << " beyond " << dx << ',' << dy;
        }
        EXPECT_FALSE(IsRed(Px(x, y)));
    }
    // The crossings: the rule and a grey arrow run through the two upper circles.
    for (auto [x, y] : {Point{142, 192}, Point{324, 182}}) {
        EXPECT_TRUE(IsBlack(Px(x, y - 6)));
        const Rgb arrow = Px(x + 6, y);
        EXPECT_TRUE(arrow.r == arrow.g && arrow.g == arrow.b && arrow.r > 0 && arrow.r < 0xFF);
    }
    // The legend follows its circle.
    bool legendInk = false;
    for (int x = 62; x < 140; ++x) legendInk = legendInk || IsBlack(Px(x, 325));
    EXPECT_TRUE(legendInk);
}

}  // namespace
