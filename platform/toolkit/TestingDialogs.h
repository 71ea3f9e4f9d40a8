#pragma once

// Acting as the user on the program's own dialogs (DialogBox and the
// progress dialog of RunWithProgress) in tests: the real dialogs, read
// from their widgets and answered with real clicks and key presses.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ListBoxExtras.h"
#include "Controls.h"

namespace orvane::toolkit::sim {

// A dialog that is open, as the user sees it.
class OpenDialog {
public:
    explicit OpenDialog(void* dialog) : dialog_(dialog) {}

    std::string Title() const;
    // Every text drawn in it, top to bottom (captions, values, table cells,
    // the progress text).
    std::vector<std::string> Texts() const;
    // A text box by its caption: its text; typing replaces it key by key.
    std::string Field(const std::string& caption) const;
    void Type(const std::string& caption, const std::string& text);
    // A value by its caption.
    std::string Value(const std::string& caption) const;
    // A text box's grey hint.
    std::string Placeholder(const std::string& caption) const;
    // A choice list's entries and the one chosen; Choose picks an entry with
    // the arrow keys, as the user does.
    std::vector<std::string> Entries(const std::string& caption) const;
    std::string Chosen(const std::string& caption) const;
    void Choose(const std::string& caption, const std::string& entry);
    // What a screen reader names each control of that caption (a choice
    // list and the value under it), top to bottom.
    std::vector<std::string> AccessibleNames(const std::string& caption) const;
    // A table's cells, header row first.
    std::vector<std::vector<std::string>> Table() const;
    // The table's cells as a screen reader reads them through the platform's
    // accessibility interface: each one's column headers, then its text
    // ("On the server: There").
    std::vector<std::vector<std::string>> TableAsRead() const;
    // A progress dialog's bar: steps done (-1 before the first report).
    int ProgressDone() const;
    bool ButtonEnabled(const std::string& caption) const;
    // Saves the dialog as drawn to a PNG file (to look at it).
    void SavePicture(const std::string& path) const;
    // Clicks the button with the mouse once the current step has returned
    // (a click may open a dialog of its own).
    void Click(const std::string& caption);

    // The dialog's widget, for the testing helpers.
    void* Handle() const { return dialog_; }

private:
    void* dialog_;
};

// While one lives, the program's dialogs are answered by steps, in order.
// A step is called, again and again while it returns false, once a dialog
// of its kind is open that no earlier step finished with.
class DialogScript {
public:
    using Step = std::function<bool(OpenDialog&)>;
    DialogScript();
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // A step for a dialog box.
    DialogScript& Then(Step step);
    // A step for a progress dialog.
    DialogScript& ThenProgress(Step step);
    // Steps not taken yet.
    std::size_t Remaining() const;
    // The titles of the dialogs the steps finished with, in order.
    const std::vector<std::string>& Seen() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The entries of the list's context menu, opened with the mouse over
// entry row (-1: below the entries) and dismissed: caption and whether it
// can be chosen.
std::vector<std::pair<std::string, bool>> ContextMenuEntries(ListBox& list, std::int32_t row);

// Lets the event loop run until done() says yes or a generous bound has
// passed; returns what done() said last.
bool ProcessEventsUntil(const std::function<bool()>& done);

}  // namespace orvane::toolkit::sim
