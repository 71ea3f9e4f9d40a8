#pragma once

// The user's side of the window's sync dialogs, as the sync tests script
// them: each dialog answered by a step, the steps given in turn.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "frmOrvane.h"
#include "toolkit/TestingDialogs.h"
#include "toolkit/TestingExtras.h"

namespace orvane::test {

using orvane::toolkit::sim::DialogScript;
using orvane::toolkit::sim::OpenDialog;
using Look = std::function<void(OpenDialog&)>;

inline bool RunEnded() { return !frmOrvane::Instance().SyncRunning(); }

// A dialog's step: look at it (and type into it), then click button.
inline DialogScript::Step Click(const std::string& button, Look look = {}) {
    return [button, look](OpenDialog& dialog) {
        if (look) look(dialog);
        dialog.Click(button);
        return true;
    };
}
inline DialogScript::Step TypePassword(const std::string& password = "alice-secret") {
    return Click("OK", [password](OpenDialog& dialog) { dialog.Type("Password", password); });
}
// The account dialog filled in for alice.
inline Look TypeAccount(const std::string& url, const std::string& password) {
    return [url, password](OpenDialog& dialog) {
        dialog.Type("Server address", url);
        dialog.Type("User name", "alice");
        dialog.Type("Password", password);
    };
}
// A dialog's step in two goes: first starts something in it (a check, a
// file chosen); once the dialog shows it done, then closes it.
inline DialogScript::Step Once(Look first, std::function<bool(OpenDialog&)> done, DialogScript::Step then) {
    return [first, done, then, started = false](OpenDialog& dialog) mutable {
        if (!std::exchange(started, true)) first(dialog);
        return done(dialog) && then(dialog);
    };
}
// Chooses caption from the name list's menu over row; the dialogs it opens
// meanwhile are answered by steps. Returns the steps not taken.
inline std::size_t Choose(const std::string& caption, std::vector<DialogScript::Step> steps, std::int32_t row = -1) {
    DialogScript script;
    for (DialogScript::Step& step : steps) script.Then(std::move(step));
    orvane::toolkit::sim::ChooseFromContextMenu(frmOrvane::Instance().lstAddress, row, caption);
    return script.Remaining();
}

}  // namespace orvane::test
