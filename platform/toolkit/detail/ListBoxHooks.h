#pragma once

class QListView;

namespace orvane::toolkit {
class ListBox;
}

namespace orvane::toolkit::detail {

// Gives a list box's new view its extras (context menu, copy key, drops);
// the hooks belong to the view and go with it.
void InstallListBoxHooks(ListBox& list, QListView* view);

}  // namespace orvane::toolkit::detail
