#pragma once

// The lengths RTF writes, and what they are on the screen at 96 dpi.
namespace orvane::rtf {

constexpr double kTwipsPerPixel = 15.0;
constexpr double kHimetricPerPixel = 2540.0 / 96.0;
constexpr int kMaxTwips = 31680;  // 22 inches: more than any page is wide

}  // namespace orvane::rtf
