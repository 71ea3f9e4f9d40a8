#pragma once

#include <string>

#include "Controls.h"
#include "Events.h"

// Events and touches beyond those every control has. Each applies to the
// control's current widget: call it after the control's Create, in the
// window's layout, so that every load of the window has it.
namespace orvane::toolkit {

// Raised after each change the user makes to the box's text (typing,
// pasting, deleting); not when code sets the text.
void OnTextEdited(TextBox& box, EventHandler handler);

// Raised when the user chooses the list's selected entry: a double click on
// an entry, or Enter.
void OnEntryChosen(ListBox& list, EventHandler handler);

// Raised when Enter (with the box's focus) is pressed in the box.
void OnEnter(TextBox& box, EventHandler handler);

// Raised when Escape is pressed while the control has the focus.
void OnEscape(Control& control, EventHandler handler);

// A short text, centred in grey inside the list while it has no entries;
// screen readers read it as the list's description then. It goes with the
// first entry and comes back when the list is emptied.
void EmptyListHint(ListBox& list, const std::string& hint);

}  // namespace orvane::toolkit
