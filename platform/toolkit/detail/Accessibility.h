#pragma once

namespace orvane::toolkit::detail {

// Gives the toolkit's own widgets what a screen reader needs beyond Qt's
// defaults: frames are groups named by their caption, picture boxes are
// graphics, and combo boxes are named by their label and valued by their
// text. Installed once, by the Application.
void InstallAccessibility();

}  // namespace orvane::toolkit::detail
