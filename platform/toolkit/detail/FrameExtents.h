#pragma once

#include <QMargins>
#include <optional>

namespace orvane::toolkit::detail {

// The frame (border and title bar, in pixels) that the window manager says
// it will put around a fixed-size top-level window with these flags, asked
// with a window that is never shown. std::nullopt when nobody can tell: no X11,
// no window manager, or one that does not answer such requests.
std::optional<QMargins> AnnouncedFrameMargins(Qt::WindowFlags flags);

}  // namespace orvane::toolkit::detail
