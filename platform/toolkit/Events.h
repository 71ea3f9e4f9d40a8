#pragma once

#include <functional>

namespace orvane::toolkit {

using EventHandler = std::function<void()>;

namespace Events {

// Runs one event handler for the toolkit (a click, a selection, a window's
// close box). An orvane::Error or std::exception that escapes the handler
// ends that handler only: it is reported in a message box titled with the
// program's title, and the program goes on. An event raised from inside a
// running handler (e.g. code selecting a list row) runs directly, so its
// errors travel to the handler that caused it and are reported once.
void Raise(const EventHandler& handler);

// True while a handler is running.
bool InHandler();

}  // namespace Events
}  // namespace orvane::toolkit
