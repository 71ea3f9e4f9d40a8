#pragma once

#include "toolkit/Form.h"

// Routines shared by the windows. The field and button routines act on the
// address-book window, reached through its program-wide accessor.
namespace Functions {

// The title of every message box of the program.
inline constexpr const char* gstrAppTitle = "Address Book";
// The program's icon, on every window; built into the program.
inline constexpr const char* gstrAppIcon = ":/orvane.svg";

// Empty the choice list, then add one entry per line of its reference list
// file under the application folder.
void FillStateProvinceList();
void FillCountryList();

// Every text box, then every combo box, of the address-book window.
void DisableFields();
void EnableFields();
void ClearFields();

// Save, Cancel, Add, Edit and delete for browse mode and for edit mode.
void SetBrowseButtons();
void SetEditButtons();

// Moves a window so that it stands in the middle of the whole screen, its
// size unchanged; a window larger than the screen gets negative offsets.
void CentreOnScreen(orvane::toolkit::Form& frm);

}  // namespace Functions
