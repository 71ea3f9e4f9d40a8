// The address-book window's way to the find window: the name list's
// context menu and Ctrl+F anywhere in the window.

#include "frmFind.h"
#include "frmOrvane.h"

void frmOrvane::ConnectFindCommands() {
    lstAddress.Extras.contextMenu.push_back({"Find…", [this] { mnuFind_Click(); }, {}, "Ctrl+F"});
}

void frmOrvane::mnuFind_Click() {
    frmFind& find = frmFind::Instance();
    find.Show();
    find.txtFind.SetFocus();
}
