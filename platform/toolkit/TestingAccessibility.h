#pragma once

// What a screen reader finds inside a control through the platform's
// accessibility interface, for tests: the children Qt's own interfaces
// expose, such as the list of entries of a combo box.

#include <string>
#include <vector>

#include "Controls.h"

namespace orvane::toolkit::sim {

struct AccessibleChildren {
    std::vector<std::string> roles;       // each child's role, in order: "List", "EditableText", ...
    bool childrenKnowTheirPlace = false;  // each child's index and parent lead back to the control
    // The first child with the role "List" (a combo box's entries): how
    // many items it holds and each item's name.
    int listItemCount = -1;
    std::vector<std::string> listItems;
};
AccessibleChildren AccessibleChildrenOf(const Control& control);

}  // namespace orvane::toolkit::sim
