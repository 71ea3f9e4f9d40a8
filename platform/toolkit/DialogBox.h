#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Events.h"

namespace orvane::toolkit {

// A small modal dialog built row by row: lines of text, captioned text
// boxes, captioned values, a table of read-only cells, buttons that act
// without closing it and buttons that close it. Every text is shown as
// plain text, never as markup.
class DialogBox {
public:
    explicit DialogBox(const std::string& title);
    ~DialogBox();
    DialogBox(const DialogBox&) = delete;
    DialogBox& operator=(const DialogBox&) = delete;

    // A line of text across the dialog.
    void AddText(const std::string& text);
    // A text box with its caption on the left; secret hides what is typed.
    void AddTextField(const std::string& caption, const std::string& text, bool secret = false);
    // The same with a button right of the text box; its click runs handler
    // and leaves the dialog open.
    void AddTextField(const std::string& caption, const std::string& text, const std::string& button,
                      EventHandler handler);
    // A value to read (and copy), with its caption on the left.
    void AddValue(const std::string& caption, const std::string& value);
    // A choice list with its caption on the left and, under the list, a
    // value (set with Value) that a screen reader reads under the same
    // caption. onChange runs when the user picks another entry.
    void AddChoice(const std::string& caption, const std::vector<std::string>& entries, std::int32_t selected,
                   const std::string& value, EventHandler onChange);
    // A table of read-only cells under column headers, each cell read out
    // with its column's header.
    void AddTable(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows);
    // A button at the bottom left; its click runs handler and leaves the dialog open.
    void AddActionButton(const std::string& caption, EventHandler handler);
    // The buttons at the bottom right that close the dialog, the first one
    // the default.
    void CloseButtons(const std::vector<std::string>& captions);

    // Shows the dialog over the active window and waits. Returns the index
    // of the closing button clicked, or -1 for Escape or the close box.
    std::int32_t Show();
    // Closes the shown dialog from a handler, as if button answer was clicked.
    void Close(std::int32_t answer);

    std::string Field(const std::string& caption) const;
    void Field(const std::string& caption, const std::string& text);
    void Value(const std::string& caption, const std::string& value);
    // A grey hint inside an empty text box.
    void Placeholder(const std::string& caption, const std::string& hint);
    // A choice list's entry chosen (-1: none), and its entries replaced.
    std::int32_t Choice(const std::string& caption) const;
    void Choices(const std::string& caption, const std::vector<std::string>& entries, std::int32_t selected);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane::toolkit
