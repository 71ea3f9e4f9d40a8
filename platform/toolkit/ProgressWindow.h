#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Events.h"

namespace orvane::toolkit {

// A small window that shows how work in the background goes without
// blocking any other window: a line of text, a bar (with an accessible
// name, so a screen reader says what it measures) and one button, Cancel
// while the work runs and Close once it has finished. It opens without
// taking the focus from the window the user works in. The close box and
// Escape do what the button does.
class ProgressWindow {
public:
    ProgressWindow(const std::string& title, const std::string& barName);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void Show();
    bool Visible() const;
    // Closes it; Closed runs.
    void Close();

    void Text(const std::string& NewText);
    std::string Text() const;
    // Steps done of total; a total of 0 shows a busy bar.
    void Progress(std::size_t done, std::size_t total);

    // The work has ended: the text shows how it went, the bar is full or
    // empty, the button reads Close. With closeAfterMs > 0 the window
    // closes by itself after that long (unless the pointer is on it, which
    // keeps it open until closed).
    void Finish(const std::string& NewText, std::int32_t closeAfterMs);
    bool Finished() const;

    // The user asked to stop the work (Cancel, the close box, Escape).
    EventHandler CancelRequested;
    // The window was closed, by the user or by itself.
    EventHandler Closed;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane::toolkit
