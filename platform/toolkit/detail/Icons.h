#pragma once

#include <QIcon>
#include <string>

namespace orvane::toolkit::detail {

// A window icon from a picture file or a built-in resource (":/name"). An
// SVG drawing is rendered at each size a desktop asks for, so no image
// plugin is needed. An error when the source cannot be read.
QIcon LoadIcon(const std::string& source);

}  // namespace orvane::toolkit::detail
