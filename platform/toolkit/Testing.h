#pragma once

// Acting as the user in tests: real mouse and key events delivered to the
// controls' widgets, so a disabled control ignores them as it would on the
// screen.

#include <cstdint>
#include <string>

#include "Controls.h"
#include "Form.h"

namespace orvane::toolkit::sim {

// A mouse click in the middle of the control.
void MouseClick(Control& control);
// A mouse click on one entry of a list box (scrolled into view first).
void MouseClickRow(ListBox& list, std::int32_t row);
// Arrow down in a list box that has the focus.
void KeyDown(ListBox& list);
// The Tab key in the window: the focus moves to the next control.
void KeyTab(Form& form);
// Types text at the end of a text box or combo box, key by key.
void TypeText(Control& control, const std::string& text);
// The close box of the window's title bar.
void CloseBox(Form& form);
// Lets the event loop deliver what is pending (batched list entries,
// deferred deletions).
void ProcessEvents();
// The text a window's title bar shows.
std::string WindowTitle(const Form& form);

}  // namespace orvane::toolkit::sim
