// The address-book window's sync dialogs: the password, the held
// conflicts (each address's values here and on the server side by side)
// and whether to sync the choices now. The account dialog is
// frmSyncAccount.cpp.

#include "frmOrvaneSyncDialogs.h"

#include <cstdint>

#include "Functions.h"
#include "toolkit/DialogBox.h"
#include "toolkit/MsgBox.h"

using namespace orvane::toolkit;

namespace {

std::string Capitalized(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

}  // namespace

std::optional<std::string> AskSyncPassword(const std::string& user, const std::string& serverUrl,
                                           const std::string& typed) {
    DialogBox dialog("Sync Password");
    dialog.AddText("The password for " + user + " at " + serverUrl + ":");
    dialog.AddTextField("Password", typed, true);
    dialog.CloseButtons({"OK", "Cancel"});
    if (dialog.Show() != 0) return std::nullopt;
    return dialog.Field("Password");
}

std::optional<orvane::sync::Side> AskConflictSide(const std::string& name, const std::vector<HeldConflict>& lines) {
    std::vector<std::vector<std::string>> rows;
    for (const HeldConflict& line : lines)
        rows.push_back({Capitalized(orvane::sync::ConflictName(line)), line.localValue, line.serverValue});
    DialogBox dialog("Sync Conflict");
    dialog.AddText("\"" + name + "\" was changed here and on the server in different ways. Which do you keep?");
    dialog.AddTable({"Field", "On this computer", "On the server"}, rows);
    dialog.CloseButtons({"Keep This Computer's", "Take the Server's", "Decide Later"});
    const std::int32_t answer = dialog.Show();
    if (answer == 0) return orvane::sync::Side::Local;
    if (answer == 1) return orvane::sync::Side::Server;
    return std::nullopt;
}

bool AskSyncNow() {
    return MsgBox("Synchronize now to bring the choices to the server?", vbQuestion + vbYesNo,
                  Functions::gstrAppTitle) == vbYes;
}
