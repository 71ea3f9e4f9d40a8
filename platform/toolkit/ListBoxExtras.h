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
};

// What a list box offers beyond its entries: a context menu (right click
// or the menu key), the system's copy key (Ctrl+C), and files dropped on
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
