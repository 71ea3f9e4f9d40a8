#pragma once

// Keys and windows as the user meets them, in tests: a key pressed in a
// window (through the X server when there is one), the context menu it
// opens, and the modeless progress window.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Form.h"
#include "TestingDialogs.h"

namespace orvane::toolkit::sim {

// Presses and releases a key in the window, named as a key sequence
// ("F5", "Shift+F10", "Menu"), after making the window active as a click
// into it would. On the offscreen display it goes to the
// window's focus control as the platform would deliver it (shortcuts
// first). Under an X server it is sent through the XTEST extension once
// the window is active, so the X server, the window manager and Qt's X11
// platform carry it like a key on the keyboard; returns once it has been
// handed over, before it is handled.
void PressKey(Form& form, const std::string& key);

// A popup menu as the user saw it.
struct ShownMenu {
    struct Entry {
        std::string caption;
        std::string shortcut;  // "F5", or empty
        bool enabled = false;
    };
    std::vector<Entry> entries;
    // Its top-left corner relative to the list's widget, in pixels.
    int x = 0, y = 0;
};
// Runs open (which makes a popup menu appear, at once or once its events
// arrive), reads the menu, then chooses the entry captioned choose (or
// dismisses the menu when there is none such). Nothing when no menu came up.
std::optional<ShownMenu> MenuOpenedBy(const std::function<void()>& open, const Control& near,
                                      const std::string& choose = {});

// The progress window (ProgressWindow) that is on the screen, if any.
std::optional<OpenDialog> ShownProgressWindow();
// Its bar's accessible name and whether it blocks other windows.
std::string ProgressBarName(const OpenDialog& window);
bool IsModal(const OpenDialog& window);

}  // namespace orvane::toolkit::sim
