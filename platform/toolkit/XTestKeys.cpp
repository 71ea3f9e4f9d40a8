// Kept apart from every Qt header: Xlib's macros (KeyPress, None, Bool)
// would clash with Qt's names.
#include "detail/XTestKeys.h"

#ifdef ORVANE_HAVE_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#endif

namespace orvane::toolkit::detail {

bool SendXKey(const std::string& key, const std::vector<std::string>& modifiers) {
#ifdef ORVANE_HAVE_XTEST
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    std::vector<KeyCode> held;
    bool sent = XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
    for (const std::string& name : modifiers) {
        const KeyCode code = sent ? XKeysymToKeycode(display, XStringToKeysym(name.c_str())) : 0;
        if (code == 0) sent = false;
        else held.push_back(code);
    }
    const KeyCode code = sent ? XKeysymToKeycode(display, XStringToKeysym(key.c_str())) : 0;
    if (sent && code != 0) {
        for (KeyCode modifier : held) XTestFakeKeyEvent(display, modifier, True, CurrentTime);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        for (auto it = held.rbegin(); it != held.rend(); ++it) XTestFakeKeyEvent(display, *it, False, CurrentTime);
    } else {
        sent = false;
    }
    XSync(display, False);
    XCloseDisplay(display);
    return sent;
#else
    (void)key;
    (void)modifiers;
    return false;
#endif
}

}  // namespace orvane::toolkit::detail
