// The address-book window's way to the card window: the name list's
// context menu and Ctrl+I, and the card window following the selection.

#include "frmCard.h"
#include "frmOrvane.h"

using namespace orvane::toolkit;

void frmOrvane::ConnectCardCommands() {
    lstAddress.Extras.contextMenu.push_back({"Show Card…", [this] { mnuShowCard_Click(); },
                                             [this] { return lstAddress.ListIndex() >= 0; }, "Ctrl+I"});
    // Each selection, by the user or by a load sequence, reaches an open card window.
    lstAddress.Click = [this, select = lstAddress.Click] {
        select();
        if (frmCard& card = frmCard::Instance(); card.IsLoaded() && lstAddress.ListIndex() >= 0)
            card.AddressSelected(lstAddress.ItemData(lstAddress.ListIndex()));
    };
}

void frmOrvane::mnuShowCard_Click() {
    if (lstAddress.ListIndex() < 0) return;
    frmCard::Instance().ShowAddress(lstAddress.ItemData(lstAddress.ListIndex()));
}

void frmOrvane::ReloadSelecting(std::int32_t lngAddressID) {
    Form_Load();
    for (std::int32_t i = 0; i < lstAddress.ListCount(); ++i)
        if (lstAddress.ItemData(i) == lngAddressID) {
            lstAddress.Selected(i, true);
            return;
        }
}
