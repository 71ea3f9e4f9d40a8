#pragma once

// Acting as the user on a list box's extras in tests: the real context
// menu, the copy key and a drop of files, delivered as the window system
// would deliver them.

#include <cstdint>
#include <string>
#include <vector>

#include "Controls.h"

namespace orvane::toolkit::sim {

// Selects entry row with a click (-1: leaves the selection alone), opens
// the context menu over it with the mouse and chooses the entry with that
// caption (none: the menu is dismissed). Returns the captions it showed.
std::vector<std::string> ChooseFromContextMenu(ListBox& list, std::int32_t row, const std::string& caption);
// Ctrl+C (the system's copy key) in the list.
void KeyCopy(ListBox& list);
// Drags the files over the list and drops them; false when the list
// refused the drag (nothing is dropped then).
bool DropFiles(ListBox& list, const std::vector<std::string>& paths);

}  // namespace orvane::toolkit::sim
