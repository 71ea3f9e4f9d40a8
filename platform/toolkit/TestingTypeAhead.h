#pragma once

// Type-ahead in a list box, for tests: keys typed into the list as the
// user types them to find an entry by its first letters.

#include <string>

#include "Controls.h"

namespace orvane::toolkit::sim {

// Types text into the list as a new search: after a pause, so that keys
// typed before no longer count, then key after key, all counted as one
// search however slowly they arrive. An upper-case letter comes with Shift.
void TypeAhead(ListBox& list, const std::string& text);

}  // namespace orvane::toolkit::sim
