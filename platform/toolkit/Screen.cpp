#include "Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace orvane::toolkit::Screen {
namespace {

struct FakeSize {
    std::optional<std::int32_t> width;
    std::optional<std::int32_t> height;
};

FakeSize& Fake() {
    static FakeSize fake;
    return fake;
}

QScreen* Primary() { return QGuiApplication::primaryScreen(); }

double TwipsPerPixel(double dpi) { return dpi > 0 ? 1440.0 / dpi : 15.0; }

}  // namespace

double TwipsPerPixelX() {
    QScreen* s = Primary();
    return TwipsPerPixel(s ? s->logicalDotsPerInchX() : 96.0);
}

double TwipsPerPixelY() {
    QScreen* s = Primary();
    return TwipsPerPixel(s ? s->logicalDotsPerInchY() : 96.0);
}

int TwipsToPixelsX(std::int32_t twips) { return static_cast<int>(std::lround(twips / TwipsPerPixelX())); }
int TwipsToPixelsY(std::int32_t twips) { return static_cast<int>(std::lround(twips / TwipsPerPixelY())); }
std::int32_t PixelsToTwipsX(int pixels) { return static_cast<std::int32_t>(std::lround(pixels * TwipsPerPixelX())); }
std::int32_t PixelsToTwipsY(int pixels) { return static_cast<std::int32_t>(std::lround(pixels * TwipsPerPixelY())); }

std::int32_t Width() {
    if (Fake().width) return *Fake().width;
    QScreen* s = Primary();
    return s ? PixelsToTwipsX(s->geometry().width()) : 0;
}

std::int32_t Height() {
    if (Fake().height) return *Fake().height;
    QScreen* s = Primary();
    return s ? PixelsToTwipsY(s->geometry().height()) : 0;
}

void SetSizeForTesting(std::optional<std::int32_t> width, std::optional<std::int32_t> height) {
    Fake() = FakeSize{width, height};
}

}  // namespace orvane::toolkit::Screen
