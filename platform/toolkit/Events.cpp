#include "Events.h"

#include <exception>

#include "Application.h"
#include "MsgBox.h"
#include "core/Error.h"
#include "detail/Runtime.h"

namespace orvane::toolkit {
namespace {
int depth = 0;  // handlers running, not counting those behind a modal dialog
}

namespace detail {

ModalScope::ModalScope() : savedDepth_(depth) { depth = 0; }
ModalScope::~ModalScope() { depth = savedDepth_; }

bool RunGuarded(const std::function<void()>& handler) {
    if (!handler) return true;
    if (depth > 0) {
        handler();
        return true;
    }
    struct Depth {
        Depth() { ++depth; }
        ~Depth() { --depth; }
    };
    std::string description;
    try {
        Depth running;
        handler();
        return true;
    } catch (const Error& error) {
        description = error.Description();
    } catch (const std::exception& error) {
        description = error.what();
    }
    MsgBox(description.empty() ? "Unexpected error" : description, vbCritical, Program::Title());
    return false;
}

}  // namespace detail

namespace Events {

void Raise(const EventHandler& handler) { detail::RunGuarded(handler); }

bool InHandler() { return depth > 0; }

}  // namespace Events
}  // namespace orvane::toolkit
