#include <gtest/gtest.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>

namespace {

struct Coverage {
    double opaqueShare = 0;
    int colours = 0;
};

Coverage Render(QSvgRenderer& icon, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        icon.render(&painter);
    }
    int opaque = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) < 200) continue;
            ++opaque;
            colours.insert(pixel);
        }
    return {static_cast<double>(opaque) / (size * size), static_cast<int>(colours.size())};
}

}  // namespace

// The menu icon is one scalable picture; desktops draw it at every size from
// the 16-pixel menu entry to the 256-pixel software centre tile.
TEST(MenuIcon, RendersSquareAndVisibleFrom16To256Pixels) {
    QSvgRenderer icon(QStringLiteral(ORVANE_ICON_FILE));
    ASSERT_TRUE(icon.isValid());
    const QRectF box = icon.viewBoxF();
    EXPECT_EQ(box.width(), box.height());
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const Coverage coverage = Render(icon, size);
        // A cover with a card on it: most of the square, in more than one colour.
        EXPECT_GT(coverage.opaqueShare, 0.4) << size << " px";
        EXPECT_GE(coverage.colours, 2) << size << " px";
    }
}

int main(int argc, char** argv) {
    // Drawing into an image needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
