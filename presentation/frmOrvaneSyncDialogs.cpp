// The address-book window's sync dialogs: the held conflicts, each
// address's values here and on the server side by side. The account dialog
// is frmSyncAccount.cpp.

#include <map>

#include "Functions.h"
#include "SyncSession.h"
#include "frmOrvane.h"
#include "sync/SyncAccountService.h"
#include "toolkit/DialogBox.h"
#include "toolkit/MsgBox.h"

using namespace orvane::toolkit;
using orvane::sync::SyncAccountService;

namespace {

std::string Capitalized(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

}  // namespace

// One dialog per address held in conflict: the fields that differ, our
// value and the server's side by side, and which side to take. True when
// a choice has something to send and the user wants it synced now.
bool frmOrvane::ResolveConflicts() {
    std::map<std::int32_t, std::vector<HeldConflict>> byAddress;
    for (HeldConflict& line : SyncAccountService(WindowDatabase()).Conflicts())
        byAddress[line.addressId].push_back(std::move(line));
    // Only a side taken from this computer has something to send.
    bool toSend = false;
    for (const auto& [lngAddressID, lines] : byAddress) {
        std::string name;
        for (std::int32_t i = 0; i < lstAddress.ListCount(); ++i)
            if (lstAddress.ItemData(i) == lngAddressID) name = lstAddress.List(i);
        std::vector<std::vector<std::string>> rows;
        for (const HeldConflict& line : lines)
            rows.push_back({Capitalized(orvane::sync::ConflictName(line)), line.localValue, line.serverValue});
        DialogBox dialog("Sync Conflict");
        dialog.AddText("\"" + name + "\" was changed here and on the server in different ways. Which do you keep?");
        dialog.AddTable({"Field", "On this computer", "On the server"}, rows);
        dialog.CloseButtons({"Keep This Computer's", "Take the Server's", "Decide Later"});
        const std::int32_t answer = dialog.Show();
        if (answer != 0 && answer != 1) continue;
        SyncAccountService(WindowDatabase()).Resolve(lngAddressID,
                                       answer == 0 ? orvane::sync::Side::Local : orvane::sync::Side::Server);
        toSend = toSend || answer == 0;
    }
    NoteSyncAccount();
    ReloadKeepingSelection();
    if (!toSend) return false;
    return MsgBox("Synchronize now to bring the choices to the server?", vbQuestion + vbYesNo,
                  Functions::gstrAppTitle) == vbYes;
}
