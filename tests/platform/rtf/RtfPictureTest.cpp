// Embedded pictures.
#include <QBuffer>
#include <QImage>
#include <QTextImageFormat>
#include <QUrl>

#include "RtfTestSupport.h"

namespace orvane::rtf::test {
namespace {

// A picture of one colour, encoded in format.
std::string Encoded(int width, int height, Qt::GlobalColor colour, const char* format) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes.toStdString();
}

std::string Hex(const std::string& bytes) { return QByteArray::fromStdString(bytes).toHex().toStdString(); }

class RtfPicture : public RtfDocTest {
protected:
    // Every image in the document, in order, with its decoded resource.
    std::vector<std::pair<QTextImageFormat, QImage>> Images() const {
        std::vector<std::pair<QTextImageFormat, QImage>> found;
        for (const QTextBlock& b : Blocks()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                if (!it.fragment().charFormat().isImageFormat()) continue;
                QTextImageFormat image = it.fragment().charFormat().toImageFormat();
                found.emplace_back(image, doc.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>());
            }
        }
        return found;
    }
};

TEST_F(RtfPicture, PngAtItsGoalSizeJpegScaledBinaryAndTheShapePictureOverItsFallback) {
    const std::string png = Encoded(4, 3, Qt::red, "PNG"), hex = Hex(png);
    std::string lines;  // the hex broken into lines, as word processors write it
    for (std::size_t i = 0; i < hex.size(); i += 64) lines += hex.substr(i, 64) + "\r\n";
    Read("{\\rtf1 before{\\pict\\pngblip\\picw4\\pich3\\picwgoal600\\pichgoal450\r\n" + lines + "}after" +
         "{\\pict\\jpegblip " + Hex(Encoded(20, 10, Qt::white, "JPEG")) + "}" +
         "{\\pict\\pngblip\\picscalex50\\picscaley200\\bin" + std::to_string(png.size()) + " " + png + "}" +
         "{\\*\\shppict{\\pict\\pngblip " + hex + "}}{\\nonshppict{\\pict\\pngblip " + hex + "}}x}");
    const QString image(QChar::ObjectReplacementCharacter);
    EXPECT_EQ(Text(), "before" + image + "after" + image + image + image + "x");
    auto images = Images();
    ASSERT_EQ(images.size(), 4u);
    EXPECT_DOUBLE_EQ(images[0].first.width(), 40.0);  // 600 twips at 15 twips a pixel
    EXPECT_DOUBLE_EQ(images[0].first.height(), 30.0);
    ASSERT_EQ(images[0].second.size(), QSize(4, 3));
    EXPECT_EQ(images[0].second.pixelColor(1, 1), QColor(255, 0, 0));
    EXPECT_EQ(images[1].second.size(), QSize(20, 10));
    EXPECT_DOUBLE_EQ(images[1].first.width(), 20.0);  // no goal size: the picture's own
    EXPECT_DOUBLE_EQ(images[2].first.width(), 2.0);
    EXPECT_DOUBLE_EQ(images[2].first.height(), 6.0);
    EXPECT_EQ(images[3].second.size(), QSize(4, 3));
}

TEST_F(RtfPicture, UndecodablePicturesAreLeftOut) {
    const std::string png = Hex(Encoded(4, 3, Qt::red, "PNG"));
    Read("{\\rtf1 a{\\pict\\pngblip zz" + png.substr(0, png.size() / 2) + "}"  // cut short
         "b{\\pict\\dibitmap0 2800000010}"                                        // a bitmap header cut short
         "c{\\pict\\jpegblip ffd8ffe000104a46494600}"                             // a JPEG's first bytes
         "d{\\pict\\pngblip\\bin999999999 }e}");
    EXPECT_TRUE(Images().empty());
    EXPECT_EQ(Text(), "abcd");
}

TEST_F(RtfPicture, BitmapsShowExactlyAndMetafilesAsFramedBoxesWithTheirDescription) {
    ReadDocument("word-pictures.rtf");
    auto images = Images();
    ASSERT_EQ(images.size(), 5u);
    // A 24-bit DIB, rows bottom up, at its goal size.
    const QImage& dib = images[0].second;
    ASSERT_EQ(dib.size(), QSize(2, 2));
    EXPECT_EQ(dib.pixelColor(0, 0), QColor(0, 255, 0));
    EXPECT_EQ(dib.pixelColor(1, 0), QColor(255, 255, 255));
    EXPECT_EQ(dib.pixelColor(0, 1), QColor(0, 0, 255));
    EXPECT_EQ(dib.pixelColor(1, 1), QColor(255, 0, 0));
    EXPECT_DOUBLE_EQ(images[0].first.width(), 40.0);
    // A 4-bit DIB with a palette of two colours, at its own size.
    const QImage& palette = images[1].second;
    ASSERT_EQ(palette.size(), QSize(3, 1));
    EXPECT_EQ(palette.pixelColor(0, 0), QColor(255, 128, 0));
    EXPECT_EQ(palette.pixelColor(1, 0), QColor(0, 0, 0));
    EXPECT_DOUBLE_EQ(images[1].first.width(), 3.0);
    // The shape's metafile: a box of its goal size that says what it shows; its fallback is not shown again.
    EXPECT_DOUBLE_EQ(images[2].first.width(), 96.0);
    EXPECT_DOUBLE_EQ(images[2].first.height(), 48.0);
    EXPECT_EQ(images[2].first.toolTip(), "Company logo");
    EXPECT_FALSE(images[2].second.isNull());
    EXPECT_NE(images[2].second.pixelColor(0, 0), images[2].second.pixelColor(10, 10));  // the frame
    // An EMF sized by its own extent (hundredths of a millimetre), with the description of its picture.
    EXPECT_NEAR(images[3].first.width(), 192.0, 0.5);
    EXPECT_NEAR(images[3].first.height(), 96.0, 0.5);
    EXPECT_EQ(images[3].first.toolTip(), "Chart of sales");
    // A monochrome device bitmap, rows top down.
    const QImage& mono = images[4].second;
    ASSERT_EQ(mono.size(), QSize(2, 2));
    EXPECT_EQ(mono.pixelColor(0, 0), QColor(255, 255, 255));
    EXPECT_EQ(mono.pixelColor(1, 0), QColor(0, 0, 0));
    EXPECT_EQ(mono.pixelColor(0, 1), QColor(0, 0, 0));
    EXPECT_EQ(mono.pixelColor(1, 1), QColor(255, 255, 255));
    EXPECT_TRUE(Text().startsWith("Before"));
}

TEST_F(RtfPicture, AMetafileThatOnlyShowsABitmapShowsThatBitmap) {
    ReadDocument("wordpad-metafiles.rtf");
    auto images = Images();
    ASSERT_EQ(images.size(), 3u);
    for (std::size_t i : {0u, 2u}) {  // a WMF and an EMF, each with one bitmap record
        const QImage& bitmap = images[i].second;
        ASSERT_EQ(bitmap.size(), QSize(2, 2)) << i;
        EXPECT_EQ(bitmap.pixelColor(0, 0), QColor(0, 255, 0)) << i;
        EXPECT_EQ(bitmap.pixelColor(1, 1), QColor(255, 0, 0)) << i;
    }
    EXPECT_DOUBLE_EQ(images[0].first.width(), 2.0);    // 30 twips
    EXPECT_NEAR(images[2].first.width(), 2.0, 0.01);   // 53 hundredths of a millimetre
    // One that also draws a line is not shown as its bitmap alone.
    EXPECT_EQ(images[1].second.size(), QSize(20, 20));
    EXPECT_NE(images[1].second.pixelColor(0, 0), QColor(0, 255, 0));
    EXPECT_EQ(Text(), "A" + QString(QChar::ObjectReplacementCharacter) + "B" + QChar(QChar::ObjectReplacementCharacter) +
                          "C" + QChar(QChar::ObjectReplacementCharacter));
}

}  // namespace
}  // namespace orvane::rtf::test
