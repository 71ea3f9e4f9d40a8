#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <string_view>

namespace orvane::rtf {

// The size a device-independent bitmap (\dibitmap: header, colours, bits,
// without a file header) declares; empty when the header is unusable.
QSize DibSize(std::string_view dib);
// Decodes such a bitmap exactly; a null image when it is malformed.
QImage DecodeDib(std::string_view dib);

// Decodes a device-dependent bitmap (\wbitmap): rows of bitsPerPixel
// (1, 24 or 32) top down, each widthBytes long.
QImage DecodeDeviceBitmap(std::string_view bits, int width, int height, int bitsPerPixel, int widthBytes);

// The bitmap of a Windows metafile (WMF or EMF) that does nothing but show
// one bitmap, as pasted pictures often are: the DIB of its one bitmap
// record. Empty when the metafile draws anything else.
std::string MetafileBitmap(std::string_view metafile);

// What stands for a picture that cannot be drawn (a metafile): a framed
// box of the picture's size with its alternative text, if any, inside.
QImage PicturePlaceholder(QSize size, const QString& alternative);

}  // namespace orvane::rtf
