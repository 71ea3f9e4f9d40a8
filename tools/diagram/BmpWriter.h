#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::diagram {

// A picture as plain 0xRRGGBB values, rows from top to bottom, left to right.
struct RgbImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(std::int32_t x, std::int32_t y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// 72 dpi, as 96-dpi-unaware picture editors store it.
inline constexpr std::int32_t kPixelsPerMetre = 2834;

// The 216 colours of the 6x6x6 cube with steps 0x00, 0x33, ... 0xFF, as
// 0xRRGGBB; entry r*36 + g*6 + b (red slowest, blue fastest).
std::vector<std::uint32_t> ColourCube();

// Encodes the image as an uncompressed 24-bit Windows bitmap: file header,
// 40-byte information header, the given colour table (stored but not used by
// 24-bit pixels; "colours used" is its size, "important" is 0 meaning all),
// then the rows bottom-up, each padded to a multiple of 4 bytes.
std::vector<std::uint8_t> EncodeBmp24(const RgbImage& image, const std::vector<std::uint32_t>& colourTable,
                                      std::int32_t pixelsPerMetre = kPixelsPerMetre);

// EncodeBmp24 written to a file; throws orvane::Error when it cannot be written.
void WriteBmp24(const std::string& path, const RgbImage& image, const std::vector<std::uint32_t>& colourTable,
                std::int32_t pixelsPerMetre = kPixelsPerMetre);

}  // namespace orvane::diagram
