#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Events.h"

namespace orvane::toolkit {

// One entry of a context menu.
struct MenuEntry {
    std::string caption;
    EventHandler handler;
    // Asked each time the menu opens; the entry is greyed while it says no.
    std::function<bool()> enabled = {};
    // A key that chooses the entry anywhere in the list's window ("F5"),
    // shown beside it in the menu; it does nothing while the entry is greyed.
    std::string shortcut = {};
};

// What a list box offers beyond its entries: a context menu (right click,
// or the Menu key or Shift+F10, which open it at the selected entry), the
// entries' shortcut keys, the system's copy key (Ctrl+C), and files dropped on
// it. Each is off while left empty. The handlers run as event handlers:
// an error they raise is reported like any other.
struct ListBoxExtras {
    std::vector<MenuEntry> contextMenu;
    EventHandler copy;
    // Dropped files are taken only with one of these extensions (".vcf"),
    // in any letter case; the others are left out of the drop.
    std::vector<std::string> dropExtensions;
    std::function<void(const std::vector<std::string>& files)> filesDropped;
};

}  // namespace orvane::toolkit
