#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CBusinessTier.h"
#include "toolkit/Form.h"

struct SyncSession;
struct EndedSyncRun;

// The address-book window: the name list on the left, the details of the
// selected address on the right, the editing buttons below them.
class frmOrvane : public orvane::toolkit::Form {
public:
    frmOrvane();
    ~frmOrvane() override;

    static frmOrvane& Instance();

    // Controls, in the order the window creates them.
    orvane::toolkit::CommandButton Command2{*this, "Command2"};
    orvane::toolkit::CommandButton Command1{*this, "Command1"};
    orvane::toolkit::CommandButton cmdClose{*this, "cmdClose"};
    orvane::toolkit::Frame Frame2{*this, "Frame2"};
    orvane::toolkit::ComboBox cboStateProv{*this, "cboStateProv"};
    orvane::toolkit::ComboBox cboCountry{*this, "cboCountry"};
    orvane::toolkit::Frame Frame3{*this, "Frame3"};
    orvane::toolkit::CommandButton cmdCancel{*this, "cmdCancel"};
    orvane::toolkit::CommandButton cmdSave{*this, "cmdSave"};
    orvane::toolkit::CommandButton cmdDelete{*this, "cmdDelete"};
    orvane::toolkit::CommandButton cmdEdit{*this, "cmdEdit"};
    orvane::toolkit::CommandButton cmdAdd{*this, "cmdAdd"};
    orvane::toolkit::TextBox txtPhoneNumber{*this, "txtPhoneNumber"};
    orvane::toolkit::TextBox txtZip{*this, "txtZip"};
    orvane::toolkit::TextBox txtAddress{*this, "txtAddress"};
    orvane::toolkit::TextBox txtLastname{*this, "txtLastname"};
    orvane::toolkit::TextBox txtFirstname{*this, "txtFirstname"};
    orvane::toolkit::Label Label7{*this, "Label7"};
    orvane::toolkit::Label Label6{*this, "Label6"};
    orvane::toolkit::Label Label5{*this, "Label5"};
    orvane::toolkit::Label Label4{*this, "Label4"};
    orvane::toolkit::Label Label3{*this, "Label3"};
    orvane::toolkit::Label Label2{*this, "Label2"};
    orvane::toolkit::Label Label1{*this, "Label1"};
    orvane::toolkit::Frame Frame1{*this, "Frame1"};
    orvane::toolkit::ListBox lstAddress{*this, "lstAddress"};

    // The window's only way to the data; replaced by every load sequence.
    std::unique_ptr<CBusinessTier> mobjBusinessTier;
    // True while the fields hold a new address begun by Add.
    bool mblnAdding = false;

    void Form_Initialize() override;
    void Form_Load() override;
    void lstAddress_Click();
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    void cmdDelete_Click();
    void cmdClose_Click();
    void Command1_Click();
    void Command2_Click();

    // Contacts in and out, from the name list's context menu, Ctrl+C and
    // files dropped on it.
    void mnuImportAddresses_Click();
    void mnuExportAddresses_Click();
    void mnuCopyAddress_Click();
    void lstAddress_FilesDropped(const std::vector<std::string>& files);

    // Two-way sync with the CardDAV account kept in the database: from the
    // name list's context menu (Synchronize also with F5), once after the
    // window is loaded and every quarter of an hour while it is. Every run
    // goes on in the background while the window is used.
    void mnuSynchronize_Click();
    // The find window, from the name list's context menu and Ctrl+F.
    void mnuFind_Click();
    void mnuSyncAccount_Click();
    void mnuSyncConflicts_Click();
    void SyncClock_Tick();
    // The whole card of the selected address in the card window: from the
    // name list's context menu and Ctrl+I. While the card window is open it
    // follows the selection.
    void mnuShowCard_Click();
    // After the card window saved an address: the load sequence, with that
    // address selected again.
    void ReloadSelecting(std::int32_t lngAddressID);
    // True while the detail fields are being edited (Add or Edit).
    bool EditingAddress() const;

    // True while a sync runs (shown in its progress window or not).
    bool SyncRunning() const;
    // What the automatic runs could not do since the last one that worked
    // ("The automatic syncs since 14:05 did not finish: ..."), for the
    // account dialog; empty while they work.
    std::string SyncStatus() const;

protected:
    void BuildLayout() override;
    void Loaded() override;
    void Unloading() override;

private:
    void ConnectTransferCommands();
    void ImportAddressFiles(const std::vector<std::string>& files);

    void ConnectSyncCommands();
    void ConnectCardCommands();
    void ConnectFindCommands();
    void NoteSyncAccount();
    std::optional<std::string> SyncPassword(bool mayAsk);
    void StartSync(const std::string& password, bool shown);
    void ShowSyncProgress();
    void SyncRunEnded();
    void SyncFinished(const EndedSyncRun& ended);
    void SyncFailed(const EndedSyncRun& ended);
    void ReloadKeepingSelection();
    bool ShowAccountDialog();
    bool ResolveConflicts();

    std::unique_ptr<SyncSession> msync;
};
