#pragma once

// Bookkeeping shared by the toolkit's sources.

#include <functional>

namespace orvane::toolkit::detail {

// Runs a handler and reports what escapes it, as Events::Raise does;
// false when an error was reported.
bool RunGuarded(const std::function<void()>& handler);

// A modal dialog runs its own event loop: events arriving there start
// fresh handlers of their own. Lives for the dialog's duration.
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    int savedDepth_;
};

// A window was loaded / the last loaded window was unloaded.
void WindowLoaded();
void LastWindowUnloaded();

}  // namespace orvane::toolkit::detail
