// Pictures: the words of \pict and its data, decoded into an image of the
// size the document asks for.
#include "RtfParser.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>

#include "PictureDecoder.h"

namespace orvane::rtf {

void RtfParser::OnPictWord(Kw kw, const Token& t) {
    const int value = t.hasParam ? t.param : 0;
    switch (kw) {
    case Kw::PngBlip: picture_.type = Picture::Type::Png; break;
    case Kw::JpegBlip: picture_.type = Picture::Type::Jpeg; break;
    case Kw::DibBitmap: picture_.type = Picture::Type::Dib; break;
    case Kw::DeviceBitmap: picture_.type = Picture::Type::DeviceBitmap; break;
    case Kw::Metafile: picture_.type = Picture::Type::Metafile; break;
    case Kw::PicW: picture_.picW = value; break;
    case Kw::PicH: picture_.picH = value; break;
    case Kw::PicWGoal: picture_.goalW = value; break;
    case Kw::PicHGoal: picture_.goalH = value; break;
    case Kw::PicScaleX: picture_.scaleX = value > 0 ? std::min(value, 10000) : 100; break;
    case Kw::PicScaleY: picture_.scaleY = value > 0 ? std::min(value, 10000) : 100; break;
    case Kw::BitmapBitsPerPixel: picture_.bitsPerPixel = value; break;
    case Kw::BitmapWidthBytes: picture_.widthBytes = value; break;
    default: break;
    }
}

void RtfParser::FinishPicture() {
    Picture p = std::move(picture_);
    picture_ = Picture{};
    QString alternative = std::move(pictureAlt_);
    pictureAlt_.clear();
    if (!p.shown) return;

    QImage image;
    QSize natural;  // in pixels
    const auto withinBudget = [&](QSize size) {
        if (!size.isValid() || size.isEmpty()) return false;
        const long long pixels = static_cast<long long>(size.width()) * size.height();
        if (pixels > kPictureBudget - picturePixels_) return false;  // a picture bomb, or just too much
        picturePixels_ += pixels;
        return true;
    };
    switch (p.type) {
    case Picture::Type::Png:
    case Picture::Type::Jpeg: {
        QByteArray bytes = QByteArray::fromRawData(p.data.data(), static_cast<qsizetype>(p.data.size()));
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::ReadOnly)) return;
        QImageReader reader(&buffer, p.type == Picture::Type::Png ? "png" : "jpeg");
        if (!withinBudget(reader.size()) || !reader.read(&image)) return;
        break;
    }
    case Picture::Type::Dib:
        if (!withinBudget(DibSize(p.data))) return;
        image = DecodeDib(p.data);
        break;
    case Picture::Type::DeviceBitmap:
        if (!withinBudget(QSize(p.picW, p.picH))) return;
        image = DecodeDeviceBitmap(p.data, p.picW, p.picH, p.bitsPerPixel, p.widthBytes);
        break;
    case Picture::Type::Metafile:
        // Metafiles are drawing programs of another system; one that only
        // shows a bitmap shows that bitmap.
        if (const std::string dib = MetafileBitmap(p.data); !dib.empty() && withinBudget(DibSize(dib))) {
            image = DecodeDib(dib);
        }
        break;
    case Picture::Type::Unknown:
        break;
    }
    const bool drawable = !image.isNull() || (p.type != Picture::Type::Metafile && p.type != Picture::Type::Unknown);
    if (drawable && image.isNull()) return;  // damaged: there is nothing to show of it
    if (drawable && p.type != Picture::Type::Metafile) {
        natural = image.size();
    } else if (p.picW > 0 && p.picH > 0) {
        natural = QSize(static_cast<int>(std::min(p.picW / kHimetricPerPixel, 20000.0)),
                        static_cast<int>(std::min(p.picH / kHimetricPerPixel, 20000.0)));
    } else if (!image.isNull()) {
        natural = image.size();
    }

    double width = p.goalW > 0 ? p.goalW / kTwipsPerPixel : natural.width();
    double height = p.goalH > 0 ? p.goalH / kTwipsPerPixel : natural.height();
    if (width <= 0 || height <= 0) width = height = 32;  // a metafile that gives no size
    width = std::clamp(width * p.scaleX / 100.0, 1.0, 20000.0);
    height = std::clamp(height * p.scaleY / 100.0, 1.0, 20000.0);
    if (!drawable) {
        // Any other metafile: a framed box of the picture's size stands in
        // for it, with its alternative text.
        QSize box(static_cast<int>(width), static_cast<int>(height));
        if (!withinBudget(box.boundedTo(QSize(2048, 2048)))) box = QSize(16, 16);
        image = PicturePlaceholder(box, alternative);
    }
    BeforeText();
    Out().AddImage(image, width, height, Top().chr, alternative);
}

}  // namespace orvane::rtf
