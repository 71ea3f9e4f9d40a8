#include "PictureDecoder.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace orvane::rtf {
namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;  // BITMAPCOREHEADER
constexpr std::uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::uint32_t kBitFields = 3;
constexpr int kMaxSide = 32767;

std::uint32_t U32(std::string_view d, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + i])) << (8 * i);
    return v;
}
std::uint16_t U16(std::string_view d, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(d[at]) | static_cast<unsigned char>(d[at + 1]) << 8);
}

struct DibHeader {
    std::uint32_t size = 0;
    int width = 0;
    int height = 0;  // absolute; rows may run either way
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
};

bool ReadHeader(std::string_view dib, DibHeader& h) {
    if (dib.size() < 4) return false;
    h.size = U32(dib, 0);
    if (h.size == kCoreHeaderSize && dib.size() >= kCoreHeaderSize) {
        h.width = U16(dib, 4);
        h.height = U16(dib, 6);
        h.bitCount = U16(dib, 10);
    } else if (h.size >= kInfoHeaderSize && h.size <= 1024 && dib.size() >= h.size) {
        h.width = static_cast<std::int32_t>(U32(dib, 4));
        const auto height = static_cast<std::int32_t>(U32(dib, 8));  // negative: rows run top down
        h.height = height == INT32_MIN ? 0 : std::abs(height);
        h.bitCount = U16(dib, 14);
        h.compression = U32(dib, 16);
        h.colorsUsed = U32(dib, 32);
    } else {
        return false;
    }
    return h.width > 0 && h.height > 0 && h.width <= kMaxSide && h.height <= kMaxSide;
}

// WMF records that set state and draw nothing.
bool IsWmfState(std::uint16_t function) {
    switch (function) {
    case 0x020B: case 0x020C: case 0x0103: case 0x001E: case 0x0127: case 0x0107: case 0x0102:
    case 0x0201: case 0x0209: case 0x0104: case 0x0106: case 0x020D: case 0x020E: case 0x012E:
    case 0x0626: case 0x012D: case 0x01F0: case 0x02FC: case 0x02FA: case 0x0234: case 0x00F7:
    case 0x0035: case 0x0416: case 0x0220: case 0x0231:
        return true;
    default:
        return false;
    }
}

// Where the DIB starts in a WMF bitmap record, counted from the record's start; 0 for other records.
std::size_t WmfBitmapOffset(std::uint16_t function) {
    switch (function) {
    case 0x0F43: return 28;  // StretchDIB
    case 0x0B41: return 26;  // DIBStretchBlt
    case 0x0940: return 22;  // DIBBitBlt
    case 0x0D33: return 24;  // SetDIBToDev
    default: return 0;
    }
}

bool IsEmfState(std::uint32_t type) {
    switch (type) {
    case 1: case 9: case 10: case 11: case 12: case 13: case 17: case 18: case 19: case 20: case 21: case 22:
    case 24: case 25: case 28: case 30: case 33: case 34: case 35: case 36: case 37: case 38: case 39: case 40:
    case 48: case 52: case 58: case 70: case 75: case 95: case 98: case 115:
        return true;
    default:
        return false;
    }
}

std::string WmfBitmap(std::string_view wmf) {
    std::size_t pos = 0;
    if (wmf.size() >= 22 && U32(wmf, 0) == 0x9AC6CDD7u) pos = 22;  // the placeable header
    if (wmf.size() < pos + 18 || U16(wmf, pos + 2) != 9) return {};
    pos += 18;
    std::string dib;
    while (pos + 6 <= wmf.size()) {
        const std::uint64_t size = std::uint64_t{U32(wmf, pos)} * 2;
        const std::uint16_t function = U16(wmf, pos + 4);
        if (function == 0) break;  // the end
        if (size < 6 || pos + size > wmf.size()) return {};
        if (const std::size_t offset = WmfBitmapOffset(function)) {
            if (!dib.empty() || size <= offset) return {};
            dib = std::string(wmf.substr(pos + offset, size - offset));
        } else if (!IsWmfState(function)) {
            return {};
        }
        pos += size;
    }
    return dib;
}

std::string EmfBitmap(std::string_view emf) {
    constexpr std::uint32_t kStretchDIBits = 81;
    std::size_t pos = 0;
    std::string dib;
    while (pos + 8 <= emf.size()) {
        const std::uint32_t type = U32(emf, pos);
        const std::uint32_t size = U32(emf, pos + 4);
        if (size < 8 || size % 4 || pos + size > emf.size()) return {};
        if (type == 14) break;  // the end
        if (type == kStretchDIBits && size >= 80) {
            const std::uint32_t bmiOffset = U32(emf, pos + 48), bmiSize = U32(emf, pos + 52);
            const std::uint32_t bitsOffset = U32(emf, pos + 56), bitsSize = U32(emf, pos + 60);
            if (!dib.empty() || bmiOffset > size || bmiSize > size - bmiOffset || bitsOffset > size ||
                bitsSize > size - bitsOffset) {
                return {};
            }
            dib = std::string(emf.substr(pos + bmiOffset, bmiSize));
            dib += emf.substr(pos + bitsOffset, bitsSize);
        } else if (!IsEmfState(type)) {
            return {};
        }
        pos += size;
    }
    return dib;
}

}  // namespace

std::string MetafileBitmap(std::string_view metafile) {
    const bool emf = metafile.size() >= 44 && U32(metafile, 0) == 1 && metafile.substr(40, 4) == " EMF";
    return emf ? EmfBitmap(metafile) : WmfBitmap(metafile);
}

QSize DibSize(std::string_view dib) {
    DibHeader h;
    return ReadHeader(dib, h) ? QSize(h.width, h.height) : QSize();
}

// A DIB is a BMP file without its 14-byte file header: put one in front,
// pointing past the header, the bit masks and the colour table, and let the
// BMP decoder read it.
QImage DecodeDib(std::string_view dib) {
    DibHeader h;
    if (!ReadHeader(dib, h)) return {};
    std::uint64_t colors = h.colorsUsed;
    if (colors == 0 && h.bitCount <= 8) colors = 1u << h.bitCount;
    if (colors > 256) return {};
    const std::uint64_t entry = h.size == kCoreHeaderSize ? 3 : 4;
    std::uint64_t offset = 14 + h.size + colors * entry;
    if (h.size == kInfoHeaderSize && h.compression == kBitFields) offset += 12;
    if (offset > 14 + dib.size()) return {};

    QByteArray file;
    file.reserve(static_cast<qsizetype>(14 + dib.size()));
    const std::uint64_t fileSize = 14 + dib.size();
    file.append("BM", 2);
    for (int i = 0; i < 4; ++i) file.append(static_cast<char>((fileSize >> (8 * i)) & 0xFF));
    file.append(4, '\0');
    for (int i = 0; i < 4; ++i) file.append(static_cast<char>((offset >> (8 * i)) & 0xFF));
    file.append(dib.data(), static_cast<qsizetype>(dib.size()));
    return QImage::fromData(file, "BMP");
}

QImage DecodeDeviceBitmap(std::string_view bits, int width, int height, int bitsPerPixel, int widthBytes) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return {};
    const long long needed = (static_cast<long long>(width) * bitsPerPixel + 7) / 8;
    if (widthBytes < needed || static_cast<long long>(widthBytes) * height > static_cast<long long>(bits.size())) return {};
    if (bitsPerPixel != 1 && bitsPerPixel != 24 && bitsPerPixel != 32) return {};
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(bits.data()) + static_cast<std::size_t>(y) * widthBytes;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (bitsPerPixel == 1) {
                const bool set = row[x / 8] & (0x80 >> (x % 8));
                out[x] = set ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            } else {
                const unsigned char* p = row + static_cast<std::size_t>(x) * (bitsPerPixel / 8);
                out[x] = qRgb(p[2], p[1], p[0]);
            }
        }
    }
    return image;
}

QImage PicturePlaceholder(QSize size, const QString& alternative) {
    QImage image(size.boundedTo(QSize(2048, 2048)).expandedTo(QSize(2, 2)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    // Text needs fonts, and fonts need the application's font database.
    if (!alternative.isEmpty() && QGuiApplication::instance()) {
        painter.setPen(Qt::black);
        painter.drawText(image.rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, alternative);
    }
    return image;
}

}  // namespace orvane::rtf
