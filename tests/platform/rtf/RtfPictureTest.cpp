// Embedded pictures.
#include <QBuffer>
#include <QImage>
#include <QTextImageFormat>
#include <QUrl>

#include "RtfTestSupport.h"

namespace orvane::rtf::test {
namespace {

std::string Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes.toStdString();
}

std::string Hex(const std::string& bytes) { return QByteArray::fromStdString(bytes).toHex().toStdString(); }

// Broken into lines, as word processors write it.
std::string HexLines(const std::string& bytes) {
    std::string hex = Hex(bytes), out;
    for (std::size_t i = 0; i < hex.size(); i += 64) out += hex.substr(i, 64) + "\r\n";
    return out;
}

QImage Red4x3() {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 0));
    return image;
}

class RtfPicture : public RtfDocTest {
protected:
    // Every image in the document, in order, with its decoded resource.
    struct Found {
        QTextImageFormat format;
        QImage image;
    };
    std::vector<Found> Images() const {
        std::vector<Found> found;
        for (const QTextBlock& b : Blocks()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                QTextCharFormat f = it.fragment().charFormat();
                if (!f.isImageFormat()) continue;
                QTextImageFormat image = f.toImageFormat();
                QVariant resource = doc.resource(QTextDocument::ImageResource, QUrl(image.name()));
                found.push_back({image, resource.value<QImage>()});
            }
        }
        return found;
    }
};

TEST_F(RtfPicture, PngAtItsGoalSize) {
    Read("{\\rtf1 before{\\pict\\pngblip\\picw4\\pich3\\picwgoal600\\pichgoal450\r\n" + HexLines(Encoded(Red4x3(), "PNG")) +
         "}after}");
    auto images = Images();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_DOUBLE_EQ(images[0].format.width(), 40.0);  // 600 twips at 15 twips a pixel
    EXPECT_DOUBLE_EQ(images[0].format.height(), 30.0);
    ASSERT_EQ(images[0].image.size(), QSize(4, 3));
    EXPECT_EQ(images[0].image.pixelColor(1, 1), QColor(255, 0, 0));
    EXPECT_EQ(Text(), QString("before") + QChar(QChar::ObjectReplacementCharacter) + "after");
}

TEST_F(RtfPicture, JpegAndBinaryDataAndScaling) {
    QImage big(20, 10, QImage::Format_RGB32);
    big.fill(Qt::white);
    std::string jpeg = Encoded(big, "JPEG");
    Read("{\\rtf1{\\pict\\jpegblip " + Hex(jpeg) + "}{\\pict\\pngblip\\picscalex50\\picscaley200\\bin" +
         std::to_string(Encoded(Red4x3(), "PNG").size()) + " " + Encoded(Red4x3(), "PNG") + "}}");
    auto images = Images();
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].image.size(), QSize(20, 10));
    EXPECT_DOUBLE_EQ(images[0].format.width(), 20.0);  // no goal size: the picture's own
    EXPECT_DOUBLE_EQ(images[1].format.width(), 2.0);
    EXPECT_DOUBLE_EQ(images[1].format.height(), 6.0);
}

TEST_F(RtfPicture, ShapePictureWinsOverItsFallback) {
    std::string png = Hex(Encoded(Red4x3(), "PNG"));
    Read("{\\rtf1{\\*\\shppict{\\pict\\pngblip " + png + "}}{\\nonshppict{\\pict\\pngblip " + png + "}}x}");
    EXPECT_EQ(Images().size(), 1u);
    EXPECT_EQ(Text(), QString(QChar(QChar::ObjectReplacementCharacter)) + "x");
}

TEST_F(RtfPicture, UndecodablePicturesAreLeftOut) {
    std::string png = Hex(Encoded(Red4x3(), "PNG"));
    Read("{\\rtf1 a{\\pict\\pngblip zz" + png.substr(0, png.size() / 2) + "}"  // cut short
         "b{\\pict\\wmetafile8\\picw10\\pich10 0100090000}"                      // a metafile
         "c{\\pict\\jpegblip ffd8ffe000104a46494600}"                             // a JPEG's first bytes
         "d{\\pict\\pngblip\\bin999999999 }e}");
    EXPECT_TRUE(Images().empty());
    EXPECT_EQ(Text(), "abcd");
}

}  // namespace
}  // namespace orvane::rtf::test
