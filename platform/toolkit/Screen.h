#pragma once

#include <cstdint>
#include <optional>

namespace orvane::toolkit {

// The screen as the windows see it: sizes in twips (1/1440 inch). Twips and
// pixels convert through the screen's logical dpi: 15 twips per pixel at 96 dpi.
namespace Screen {

// Size of the whole primary screen, task bar included.
std::int32_t Width();
std::int32_t Height();

double TwipsPerPixelX();
double TwipsPerPixelY();

// Pixels are whole: twips round to the nearest pixel.
int TwipsToPixelsX(std::int32_t twips);
int TwipsToPixelsY(std::int32_t twips);
std::int32_t PixelsToTwipsX(int pixels);
std::int32_t PixelsToTwipsY(int pixels);

// Tests pretend the screen has another size (in twips); std::nullopt goes
// back to the real screen.
void SetSizeForTesting(std::optional<std::int32_t> width, std::optional<std::int32_t> height);

}  // namespace Screen
}  // namespace orvane::toolkit
