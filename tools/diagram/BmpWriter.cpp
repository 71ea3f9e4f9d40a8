#include "BmpWriter.h"

#include <fstream>

#include "core/Error.h"

namespace orvane::diagram {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFFu));
    }
}

}  // namespace

std::vector<std::uint32_t> ColourCube() {
    static constexpr std::uint32_t kSteps[] = {0x00, 0x33, 0x66, 0x99, 0xCC, 0xFF};
    std::vector<std::uint32_t> cube;
    cube.reserve(216);
    for (std::uint32_t r : kSteps) {
        for (std::uint32_t g : kSteps) {
            for (std::uint32_t b : kSteps) {
                cube.push_back((r << 16) | (g << 8) | b);
            }
        }
    }
    return cube;
}

std::vector<std::uint8_t> EncodeBmp24(const RgbImage& image, const std::vector<std::uint32_t>& colourTable,
                                      std::int32_t pixelsPerMetre) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
        throw Error(errnum::InvalidFileFormat, "Bitmap dimensions do not match its pixels");
    }
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    const std::uint32_t rowBytes = (width * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * height;
    const auto tableBytes = static_cast<std::uint32_t>(colourTable.size() * 4);
    const std::uint32_t dataOffset = kFileHeaderSize + kInfoHeaderSize + tableBytes;
    const std::uint32_t fileBytes = dataOffset + imageBytes;

    std::vector<std::uint8_t> out;
    out.reserve(fileBytes);

    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    Put32(out, fileBytes);
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, dataOffset);

    // BITMAPINFOHEADER; a positive height means the rows are stored bottom-up.
    Put32(out, kInfoHeaderSize);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);   // planes
    Put16(out, 24);  // bits per pixel
    Put32(out, 0);   // BI_RGB
    Put32(out, imageBytes);
    Put32(out, static_cast<std::uint32_t>(pixelsPerMetre));
    Put32(out, static_cast<std::uint32_t>(pixelsPerMetre));
    Put32(out, static_cast<std::uint32_t>(colourTable.size()));
    Put32(out, 0);  // every table colour counts as important

    // RGBQUAD entries: blue, green, red, reserved.
    for (std::uint32_t rgb : colourTable) {
        out.push_back(static_cast<std::uint8_t>(rgb & 0xFFu));
        out.push_back(static_cast<std::uint8_t>((rgb >> 8) & 0xFFu));
        out.push_back(static_cast<std::uint8_t>((rgb >> 16) & 0xFFu));
        out.push_back(0);
    }

    for (std::int32_t y = image.height - 1; y >= 0; --y) {
        for (std::int32_t x = 0; x < image.width; ++x) {
            const std::uint32_t rgb = image.At(x, y);
            out.push_back(static_cast<std::uint8_t>(rgb & 0xFFu));
            out.push_back(static_cast<std::uint8_t>((rgb >> 8) & 0xFFu));
            out.push_back(static_cast<std::uint8_t>((rgb >> 16) & 0xFFu));
        }
        for (std::uint32_t pad = width * 3; pad < rowBytes; ++pad) {
            out.push_back(0);
        }
    }
    return out;
}

void WriteBmp24(const std::string& path, const RgbImage& image, const std::vector<std::uint32_t>& colourTable,
                std::int32_t pixelsPerMetre) {
    const std::vector<std::uint8_t> bytes = EncodeBmp24(image, colourTable, pixelsPerMetre);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        throw Error(errnum::PathNotFound, "Cannot create " + path);
    }
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        throw Error(errnum::PathNotFound, "Cannot write " + path);
    }
}

}  // namespace orvane::diagram
