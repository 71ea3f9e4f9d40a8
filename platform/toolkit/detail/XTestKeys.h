#pragma once

#include <string>
#include <vector>

namespace orvane::toolkit::detail {

// Sends a key press and release through the XTEST extension of the X
// server named by DISPLAY, the modifiers (X key names: "Shift_L") held
// around it; key is an X key name ("F5", "Menu"). False when there is no
// such server, extension or key.
bool SendXKey(const std::string& key, const std::vector<std::string>& modifiers);

}  // namespace orvane::toolkit::detail
