// The bitmap writer, and the committed diagram picture read back byte by byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "BmpWriter.h"
#include "core/Error.h"

namespace {

using orvane::diagram::RgbImage;

struct Rgb {
    int r, g, b;
};

// Reads the little-endian fields and bottom-up 24-bit rows of a bitmap file.
class BmpBytes {
public:
    explicit BmpBytes(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Size() const { return bytes_.size(); }
    std::uint8_t At(std::size_t offset) const { return bytes_.at(offset); }
    std::uint32_t U16(std::size_t offset) const { return At(offset) | At(offset + 1) << 8; }
    std::uint32_t U32(std::size_t offset) const { return U16(offset) | U16(offset + 2) << 16; }
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

    std::int32_t Width() const { return I32(18); }
    std::int32_t Height() const { return I32(22); }
    std::size_t RowBytes() const { return (static_cast<std::size_t>(Width()) * 3 + 3) / 4 * 4; }

    // (x, y) from the picture's top-left corner.
    Rgb Pixel(int x, int y) const {
        const std::size_t offset = U32(10) + static_cast<std::size_t>(Height() - 1 - y) * RowBytes() + x * 3;
        return {At(offset + 2), At(offset + 1), At(offset)};
    }

private:
    std::vector<std::uint8_t> bytes_;
};

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool IsWhite(const Rgb& p) { return p.r == 0xFF && p.g == 0xFF && p.b == 0xFF; }
bool IsBlack(const Rgb& p) { return p.r == 0 && p.g == 0 && p.b == 0; }
bool IsRed(const Rgb& p) { return p.r >= 0xCC && p.g <= 0x33 && p.b <= 0x33; }

// ---------------------------------------------------------------- BmpWriter

TEST(BmpWriter, TinyImageHasHeadersTablePaddingAndBottomUpRows) {
    // Top row: red, green, blue; bottom row: white, black, grey.
    RgbImage image{3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x336699}};
    const BmpBytes bmp(orvane::diagram::EncodeBmp24(image, {0x123456, 0xABCDEF}));

    const std::size_t offset = 14 + 40 + 2 * 4;
    ASSERT_EQ(bmp.Size(), offset + 2 * 12);
    EXPECT_EQ(bmp.At(0), 'B');
    EXPECT_EQ(bmp.At(1), 'M');
    EXPECT_EQ(bmp.U32(2), bmp.Size());
    EXPECT_EQ(bmp.U32(6), 0u);
    EXPECT_EQ(bmp.U32(10), offset);
    EXPECT_EQ(bmp.U32(14), 40u);
    EXPECT_EQ(bmp.Width(), 3);
    EXPECT_EQ(bmp.Height(), 2);
    EXPECT_EQ(bmp.U16(26), 1u);
    EXPECT_EQ(bmp.U16(28), 24u);
    EXPECT_EQ(bmp.U32(30), 0u);
    EXPECT_EQ(bmp.U32(34), 24u);
    EXPECT_EQ(bmp.I32(38), 2834);
    EXPECT_EQ(bmp.I32(42), 2834);
    EXPECT_EQ(bmp.U32(46), 2u);
    EXPECT_EQ(bmp.U32(50), 0u);

    // Table entries are blue, green, red, 0.
    const std::vector<std::uint8_t> table = {0x56, 0x34, 0x12, 0, 0xEF, 0xCD, 0xAB, 0};
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(bmp.At(54 + i), table[i]) << "table byte " << i;
    }

    // The bottom row comes first, in blue-green-red order, padded from 9 to 12 bytes.
    const std::vector<std::uint8_t> rows = {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x99, 0x66, 0x33, 0, 0, 0,
                                            0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(bmp.At(offset + i), rows[i]) << "pixel byte " << i;
    }
}

TEST(BmpWriter, RefusesPixelsThatDoNotMatchTheSize) {
    const RgbImage image{2, 2, {0, 0, 0}};
    EXPECT_THROW(orvane::diagram::EncodeBmp24(image, {}), orvane::Error);
}

TEST(BmpWriter, WritesTheEncodedBytesToAFile) {
    const auto folder = std::filesystem::temp_directory_path() / ("orvane-bmp-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const RgbImage image{5, 1, {1, 2, 3, 4, 5}};
    orvane::diagram::WriteBmp24((folder / "out.bmp").string(), image, {});
    EXPECT_EQ(ReadFile(folder / "out.bmp"), orvane::diagram::EncodeBmp24(image, {}));
    EXPECT_THROW(orvane::diagram::WriteBmp24((folder / "missing" / "out.bmp").string(), image, {}), orvane::Error);
    std::filesystem::remove_all(folder);
}

TEST(BmpWriter, ColourCubeHoldsEveryStepCombinationOnce) {
    const std::vector<std::uint32_t> cube = orvane::diagram::ColourCube();
    ASSERT_EQ(cube.size(), 216u);
    EXPECT_EQ(std::set<std::uint32_t>(cube.begin(), cube.end()).size(), 216u);
    for (std::uint32_t rgb : cube) {
        EXPECT_EQ((rgb >> 16 & 0xFF) % 0x33, 0u);
        EXPECT_EQ((rgb >> 8 & 0xFF) % 0x33, 0u);
        EXPECT_EQ((rgb & 0xFF) % 0x33, 0u);
    }
    EXPECT_EQ(cube.front(), 0x000000u);
    EXPECT_EQ(cube[1], 0x000033u);
    EXPECT_EQ(cube[6], 0x003300u);
    EXPECT_EQ(cube[36], 0x330000u);
    EXPECT_EQ(cube.back(), 0xFFFFFFu);
}

// ---------------------------------------------------------- the diagram asset

// The committed asset, read once for all the cases below.
const BmpBytes& Picture() {
    static const BmpBytes picture(
        ReadFile(std::filesystem::path(ORVANE_SOURCE_DIR) / "presentation" / "assets" / "diagram.bmp"));
    return picture;
}

Rgb Px(int x, int y) { return Picture().Pixel(x, y); }

TEST(DiagramPicture, HeadersDescribeA508By361BottomUp24BitBitmap) {
    const BmpBytes& bmp = Picture();
    ASSERT_EQ(bmp.Size(), 551082u);
    EXPECT_EQ(bmp.At(0), 'B');
    EXPECT_EQ(bmp.At(1), 'M');
    EXPECT_EQ(bmp.U32(2), 551082u);
    EXPECT_EQ(bmp.U32(6), 0u);
    EXPECT_EQ(bmp.U32(10), 918u);
    EXPECT_EQ(bmp.U32(14), 40u);
    EXPECT_EQ(bmp.Width(), 508);
    EXPECT_EQ(bmp.Height(), 361);
    EXPECT_EQ(bmp.U16(26), 1u);
    EXPECT_EQ(bmp.U16(28), 24u);
    EXPECT_EQ(bmp.U32(30), 0u);
    EXPECT_EQ(bmp.U32(34), 550164u);
    EXPECT_EQ(bmp.I32(38), 2834);
    EXPECT_EQ(bmp.I32(42), 2834);
    EXPECT_EQ(bmp.U32(46), 216u);
    EXPECT_EQ(bmp.U32(50), 0u);
}

TEST(DiagramPicture, ColourTableIsTheSixStepCubeAndHoldsEveryColourUsed) {
    const BmpBytes& bmp = Picture();
    ASSERT_EQ(bmp.Size(), 551082u);
    const int steps[] = {0x00, 0x33, 0x66, 0x99, 0xCC, 0xFF};
    std::set<int> table;
    for (int i = 0; i < 216; ++i) {
        const std::size_t entry = 54 + static_cast<std::size_t>(i) * 4;
        EXPECT_EQ(bmp.At(entry + 2), steps[i / 36]) << "red of entry " << i;
        EXPECT_EQ(bmp.At(entry + 1), steps[i / 6 % 6]) << "green of entry " << i;
        EXPECT_EQ(bmp.At(entry), steps[i % 6]) << "blue of entry " << i;
        EXPECT_EQ(bmp.At(entry + 3), 0) << "reserved of entry " << i;
        table.insert(bmp.At(entry + 2) << 16 | bmp.At(entry + 1) << 8 | bmp.At(entry));
    }

    std::size_t white = 0;
    std::set<int> used;
    for (int y = 0; y < 361; ++y) {
        for (int x = 0; x < 508; ++x) {
            const Rgb p = Px(x, y);
            used.insert(p.r << 16 | p.g << 8 | p.b);
            white += IsWhite(p) ? 1 : 0;
        }
    }
    for (int rgb : used) {
        EXPECT_TRUE(table.count(rgb)) << std::hex << "colour 0x" << rgb << " is not in the table";
    }
    EXPECT_GT(used.size(), 10u);
    EXPECT_GT(white, 508u * 361u / 2) << "most of the picture is white";
}

TEST(DiagramPicture, TitleLinesOccupyTheirRowsAndNothingElseIsAboveTheTable) {
    ASSERT_EQ(Picture().Size(), 551082u);
    auto rowHasInk = [&](int y) {
        for (int x = 0; x < 508; ++x) {
            if (!IsWhite(Px(x, y))) {
                return true;
            }
        }
        return false;
    };
    for (int y = 0; y < 70; ++y) {
        const bool titleRow = (y >= 7 && y <= 25) || (y >= 31 && y <= 49);
        EXPECT_EQ(rowHasInk(y), titleRow) << "row " << y;
    }
    // The lines are centred: ink starts about as far from the left edge as it ends from the right.
    int left = 508, right = -1;
    for (int y = 7; y <= 25; ++y) {
        for (int x = 0; x < 508; ++x) {
            if (!IsWhite(Px(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    EXPECT_NEAR(left, 507 - right, 2);
    // Dark blue: the title's bluest pixel has blue and little red or green.
    Rgb bluest{0xFF, 0xFF, 0xFF};
    for (int y = 7; y <= 49; ++y) {
        for (int x = left; x <= right; ++x) {
            const Rgb p = Px(x, y);
            if (p.b - p.r - p.g > bluest.b - bluest.r - bluest.g) {
                bluest = p;
            }
        }
    }
    EXPECT_LE(bluest.r, 0x33);
    EXPECT_LE(bluest.g, 0x33);
    EXPECT_GE(bluest.b, 0x66);
}

TEST(DiagramPicture, TableBorderHeadingRuleAndColumnRulesLieOnTheirPixels) {
    ASSERT_EQ(Picture().Size(), 551082u);
    for (int x = 1; x <= 506; ++x) {
        EXPECT_TRUE(IsBlack(Px(x, 70))) << "top border at x " << x;
        EXPECT_TRUE(IsBlack(Px(x, 359))) << "bottom border at x " << x;
        EXPECT_TRUE(IsBlack(Px(x, 95))) << "heading rule at x " << x;
    }
    for (int y = 70; y <= 359; ++y) {
        EXPECT_TRUE(IsBlack(Px(1, y))) << "left border at row " << y;
        EXPECT_TRUE(IsBlack(Px(506, y))) << "right border at row " << y;
    }
    // Outside the border the picture is blank.
    for (int y = 70; y <= 360; ++y) {
        EXPECT_TRUE(IsWhite(Px(0, y)));
        EXPECT_TRUE(IsWhite(Px(507, y)));
    }
    for (int x = 0; x < 508; ++x) {
        EXPECT_TRUE(IsWhite(Px(x, 360)));
    }
    for (int x : {142, 324}) {
        for (int y : {72, 90, 110, 150, 230, 300, 340, 358}) {
            EXPECT_TRUE(IsBlack(Px(x, y))) << "column rule " << x << " at row " << y;
        }
        // The columns beside a rule are not rules.
        EXPECT_FALSE(IsBlack(Px(x - 1, 110)));
        EXPECT_FALSE(IsBlack(Px(x + 1, 300)));
    }
}

TEST(DiagramPicture, RedCirclesAre29PixelsAcrossOnTheCrossingsAndTheLegend) {
    ASSERT_EQ(Picture().Size(), 551082u);
    struct Centre {
        int x, y;
    };
    for (const Centre c : {Centre{142, 192}, Centre{324, 182}, Centre{43, 325}}) {
        // The ring, 13 pixels out in the four directions.
        EXPECT_TRUE(IsRed(Px(c.x - 13, c.y))) << c.x << ',' << c.y << " left";
        EXPECT_TRUE(IsRed(Px(c.x + 13, c.y))) << c.x << ',' << c.y << " right";
        EXPECT_TRUE(IsRed(Px(c.x, c.y - 13))) << c.x << ',' << c.y << " top";
        EXPECT_TRUE(IsRed(Px(c.x, c.y + 13))) << c.x << ',' << c.y << " bottom";
        // Nothing red beyond 29 pixels across, nor in the middle.
        EXPECT_FALSE(IsRed(Px(c.x - 16, c.y)));
        EXPECT_FALSE(IsRed(Px(c.x + 16, c.y)));
        EXPECT_FALSE(IsRed(Px(c.x, c.y - 16)));
        EXPECT_FALSE(IsRed(Px(c.x, c.y + 16)));
        EXPECT_FALSE(IsRed(Px(c.x, c.y)));
    }
    // The crossings: the rule and a grey arrow run through the two upper circles.
    for (const Centre c : {Centre{142, 192}, Centre{324, 182}}) {
        EXPECT_TRUE(IsBlack(Px(c.x, c.y - 6)));
        const Rgb arrow = Px(c.x + 6, c.y);
        EXPECT_TRUE(arrow.r == arrow.g && arrow.g == arrow.b && arrow.r > 0 && arrow.r < 0xFF);
    }
    // The legend follows its circle.
    bool legendInk = false;
    for (int x = 62; x < 140; ++x) {
        legendInk = legendInk || IsBlack(Px(x, 325));
    }
    EXPECT_TRUE(legendInk);
}

TEST(DiagramPicture, EmptyAreasAreWhite) {
    ASSERT_EQ(Picture().Size(), 551082u);
    EXPECT_TRUE(IsWhite(Px(490, 150)));
    EXPECT_TRUE(IsWhite(Px(72, 280)));
    EXPECT_TRUE(IsWhite(Px(10, 40)));
    EXPECT_TRUE(IsWhite(Px(170, 330)));
}

}  // namespace
