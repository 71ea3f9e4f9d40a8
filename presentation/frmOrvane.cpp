#include "frmOrvane.h"

#include <cstdint>
#include <string>

#include "Functions.h"
#include "SyncSession.h"
#include "core/Variant.h"
#include "frmDescription.h"
#include "frmDiagram.h"
#include "toolkit/ControlHooks.h"
#include "toolkit/MsgBox.h"

using namespace orvane::toolkit;
using namespace Functions;

frmOrvane::frmOrvane() : Form("Form1", 8880, 4905) {
    Icon(gstrAppIcon);
    lstAddress.Click = [this] { lstAddress_Click(); };
    cmdAdd.Click = [this] { cmdAdd_Click(); };
    cmdEdit.Click = [this] { cmdEdit_Click(); };
    cmdSave.Click = [this] { cmdSave_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdDelete.Click = [this] { cmdDelete_Click(); };
    cmdClose.Click = [this] { cmdClose_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    ConnectTransferCommands();
    ConnectSyncCommands();
    ConnectCardCommands();
    ConnectFindCommands();
}

frmOrvane::~frmOrvane() = default;

frmOrvane& frmOrvane::Instance() { return Forms::Get<frmOrvane>(); }

void frmOrvane::BuildLayout() {
    Command2.Create(*this, "View Diagram", 4200, 4440, 1455, 375, 25);
    Command1.Create(*this, "View Description", 5760, 4440, 1455, 375, 24);
    cmdClose.Create(*this, "Close", 7320, 4440, 1455, 375, 23);
    Frame2.Create(*this, "", 3240, 0, 5535, 4335, 14);
    cboStateProv.Create(Frame2, 1920, 1800, 2535, 315, 6);
    cboCountry.Create(Frame2, 1920, 2160, 2535, 315, 7);
    Frame3.Create(Frame2, "Controls", 600, 3000, 3975, 1215, 22);
    cmdCancel.Create(Frame3, "Cancel", 2040, 720, 1095, 375, 13);
    cmdSave.Create(Frame3, "Save", 840, 720, 1095, 375, 12);
    cmdDelete.Create(Frame3, "delete", 2640, 240, 1095, 375, 11);
    cmdEdit.Create(Frame3, "Edit", 1440, 240, 1095, 375, 10);
    cmdAdd.Create(Frame3, "Add", 240, 240, 1095, 375, 9);
    txtPhoneNumber.Create(Frame2, 1920, 2520, 2535, 285, 8);
    txtZip.Create(Frame2, 1920, 1440, 2535, 285, 5);
    txtAddress.Create(Frame2, 1920, 1080, 2535, 285, 4);
    txtLastname.Create(Frame2, 1920, 720, 2535, 285, 3);
    txtFirstname.Create(Frame2, 1920, 360, 2535, 285, 2);
    Label7.Create(Frame2, "PhoneNumber", 240, 2520, 1455, 375, 21);
    Label6.Create(Frame2, "Zip/PostalCode", 240, 1440, 1455, 375, 20);
    Label5.Create(Frame2, "State/Province", 240, 1800, 1455, 375, 19);
    Label4.Create(Frame2, "Country", 240, 2160, 1455, 375, 18);
    Label3.Create(Frame2, "Address", 240, 1080, 1455, 375, 17);
    Label2.Create(Frame2, "Lastname", 240, 720, 1455, 375, 16);
    Label1.Create(Frame2, "Firstname", 240, 360, 1455, 375, 15);
    Frame1.Create(*this, "", 120, 0, 3015, 4335, 0);
    lstAddress.Create(Frame1, 120, 240, 2775, 3960, 1);

    // What a screen reader announces: each field by the caption beside it.
    Label1.LabelFor(txtFirstname);
    Label2.LabelFor(txtLastname);
    Label3.LabelFor(txtAddress);
    Label6.LabelFor(txtZip);
    Label5.LabelFor(cboStateProv);
    Label4.LabelFor(cboCountry);
    Label7.LabelFor(txtPhoneNumber);
    lstAddress.AccessibleName("Addresses");
    EmptyListHint(lstAddress, "No addresses yet. Click Add, or right-click to import or sync.");
}

// Once per run: the reloads after a save or delete, and a new showing after
// the window was closed, leave the window where it is.
void frmOrvane::Form_Initialize() { CentreOnScreen(*this); }

// The load sequence: at start-up, and again after every save and delete.
void frmOrvane::Form_Load() {
    lstAddress.Clear();
    FillStateProvinceList();
    FillCountryList();
    DisableFields();
    SetBrowseButtons();
    mobjBusinessTier = std::make_unique<CBusinessTier>();
    const orvane::Variant vntAddressList = mobjBusinessTier->FillList();
    if (vntAddressList.IsEmpty()) return;

    const orvane::VariantArray& vntRows = vntAddressList.Array();
    const std::int64_t lngLower = vntRows.LBound(2);
    const std::int64_t lngUpper = vntRows.UBound(2);
    for (std::int64_t i = lngLower; i <= lngUpper; ++i) {
        const auto lngRow = static_cast<std::int32_t>(i);
        // The display text goes into the list without a copy of its own.
        lstAddress.AddItem(vntRows.At(1, lngRow).TextView());
        lstAddress.ItemData(lstAddress.NewIndex(), vntRows.At(0, lngRow).ToLong());
    }
}

void frmOrvane::lstAddress_Click() {
    const std::int32_t lngAddressID = lstAddress.ItemData(lstAddress.ListIndex());
    mobjBusinessTier->GetAddressDetails(lngAddressID);
    txtFirstname.Text(mobjBusinessTier->FirstName());
    txtLastname.Text(mobjBusinessTier->LastName());
    txtAddress.Text(mobjBusinessTier->Addresss());
    txtZip.Text(mobjBusinessTier->PostalCode());
    cboStateProv.Text(mobjBusinessTier->State());
    cboCountry.Text(mobjBusinessTier->Country());
    txtPhoneNumber.Text(mobjBusinessTier->Phone());
}

void frmOrvane::cmdAdd_Click() {
    EnableFields();
    ClearFields();
    SetEditButtons();
    mblnAdding = true;
    txtFirstname.SetFocus();
}

void frmOrvane::cmdEdit_Click() {
    mblnAdding = false;
    EnableFields();
    SetEditButtons();
    txtFirstname.SetFocus();
}

void frmOrvane::cmdSave_Click() {
    if (txtFirstname.Text().empty()) {
        MsgBox("please enter a first name", vbInformation, gstrAppTitle);
        return;
    }
    // Edit with no row selected has no address to update: the fields are
    // stored as a new address.
    const std::int32_t lngSelected = lstAddress.ListIndex();
    if (mblnAdding || lngSelected == -1)
        mobjBusinessTier->AddressID(0);
    else
        mobjBusinessTier->AddressID(lstAddress.ItemData(lngSelected));
    mobjBusinessTier->FirstName(txtFirstname.Text());
    mobjBusinessTier->LastName(txtLastname.Text());
    mobjBusinessTier->Address(txtAddress.Text());
    mobjBusinessTier->PostalCode(txtZip.Text());
    mobjBusinessTier->State(cboStateProv.Text());
    mobjBusinessTier->Country(cboCountry.Text());
    mobjBusinessTier->Phone(txtPhoneNumber.Text());
    mobjBusinessTier->SaveAddress();
    mblnAdding = false;
    Form_Load();
    if (lstAddress.ListCount() > 0) lstAddress.Selected(0, true);
}

void frmOrvane::cmdCancel_Click() {
    DisableFields();
    SetBrowseButtons();
}

void frmOrvane::cmdDelete_Click() {
    if (lstAddress.ListIndex() == -1) {
        MsgBox("Please select a item in the list to delete.", vbInformation, gstrAppTitle);
    } else {
        const std::string strPrompt = "Are you sure you want to delete \"" + lstAddress.Text() + "\"";
        if (MsgBox(strPrompt, vbInformation + vbYesNo, gstrAppTitle) == vbNo) return;
        mobjBusinessTier->DeleteAddress(lstAddress.ItemData(lstAddress.ListIndex()));
        Form_Load();
    }
    if (lstAddress.ListCount() < 1)
        ClearFields();
    else
        lstAddress.Selected(0, true);
}

void frmOrvane::cmdClose_Click() { Unload(); }

void frmOrvane::Command1_Click() { frmDescription::Instance().Show(); }

void frmOrvane::Command2_Click() { frmDiagram::Instance().Show(); }
