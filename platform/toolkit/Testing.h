#pragma once

// Acting as the user in tests: real mouse and key events delivered to the
// controls' widgets, so a disabled control ignores them as it would on the
// screen.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
// Types text at the end of a text box or combo box, key by key; in a grid,
// into its current cell, whose editor the first key opens.
void TypeText(Control& control, const std::string& text);
// The close box of the window's title bar.
void CloseBox(Form& form);
// Lets the event loop deliver what is pending (batched list entries,
// deferred deletions).
void ProcessEvents();
// The text a window's title bar shows.
std::string WindowTitle(const Form& form);

// A real message box as the user saw it: its title, and its text as drawn
// (markup would have been rendered, so tags and entities disappear).
struct ShownMessage {
    std::string title;
    std::string text;
};
// Runs action, which must open one real message box (see
// MsgBoxTester::RealDialogs); reads the box back once it is open and
// answers it with the button for answer (vbOK, vbYes, vbNo, ...).
ShownMessage AnswerMessageBox(std::int32_t answer, const std::function<void()>& action);

// A control as the platform's accessibility interface presents it to a
// screen reader.
struct AccessibleControl {
    std::string role;  // Qt's role name: "EditableText", "ComboBox", "List", ...
    std::string name;
    std::string description;
    std::string value;
    std::vector<std::string> labelledBy;  // names of the controls that label it
    std::vector<std::string> labels;      // names of the controls it labels
    bool focusable = false;
    bool disabled = false;
    bool readOnly = false;
    bool editable = false;
    bool invisible = false;
};
AccessibleControl Accessible(const Control& control);

// Whether the control's caption is drawn whole in the control's own font:
// one line for a button or a frame, as many wrapped lines as fit for a label.
bool CaptionFits(const Control& control);

// While one lives, the application's font is this one, as a platform theme
// sets the user's desktop font; the previous font comes back at its end.
class ThemeFont {
public:
    ThemeFont(const std::string& family, double pointSize);
    ~ThemeFont();
    ThemeFont(const ThemeFont&) = delete;
    ThemeFont& operator=(const ThemeFont&) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

// While one lives, the application's palette is a dark one (light text on
// dark grey), as a dark desktop theme sets it.
class DarkPalette {
public:
    DarkPalette();
    ~DarkPalette();
    DarkPalette(const DarkPalette&) = delete;
    DarkPalette& operator=(const DarkPalette&) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

// Colours ("#rrggbb") as drawn on the screen: one pixel of a control or of
// a window's client area, and the darkest pixel of a control.
std::string ColourAt(const Control& control, int x, int y);
std::string ColourAt(const Form& form, int x, int y);
std::string DarkestColour(const Control& control);

// The sizes (square, in pixels) at which the window's icon is drawn; empty
// when the window has no icon of its own.
std::vector<int> IconSizes(const Form& form);

// Under a window manager: waits until the window is on the screen and its
// frame has been reported; false if that does not happen within a bound.
bool WaitForFrame(const Form& form);
// The outer rectangle of a window (frame included), in pixels.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};
PixelRect OuterGeometry(const Form& form);

}  // namespace orvane::toolkit::sim
