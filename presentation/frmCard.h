#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "card/CardModel.h"
#include "toolkit/EditControls.h"
#include "toolkit/Form.h"

// The card window: the whole card of the address selected in the
// address-book window (photo, names, organisation, e-mail addresses,
// phones, postal addresses, web sites, dates, groups, notes, and every
// other property read only), edited with Edit, Save and Cancel as the
// address-book window edits its seven fields.
class frmCard : public orvane::toolkit::Form {
public:
    frmCard();
    static frmCard& Instance();

    // Controls, in tab order.
    orvane::toolkit::Frame fraPhoto{*this, "fraPhoto"};
    orvane::toolkit::PictureBox picPhoto{*this, "picPhoto"};
    orvane::toolkit::CommandButton cmdChangePhoto{*this, "cmdChangePhoto"};
    orvane::toolkit::CommandButton cmdRemovePhoto{*this, "cmdRemovePhoto"};
    orvane::toolkit::Frame fraName{*this, "fraName"};
    orvane::toolkit::Label lblPrefix{*this, "lblPrefix"};
    orvane::toolkit::TextBox txtPrefix{*this, "txtPrefix"};
    orvane::toolkit::Label lblFirst{*this, "lblFirst"};
    orvane::toolkit::TextBox txtFirst{*this, "txtFirst"};
    orvane::toolkit::Label lblMiddle{*this, "lblMiddle"};
    orvane::toolkit::TextBox txtMiddle{*this, "txtMiddle"};
    orvane::toolkit::Label lblLast{*this, "lblLast"};
    orvane::toolkit::TextBox txtLast{*this, "txtLast"};
    orvane::toolkit::Label lblSuffix{*this, "lblSuffix"};
    orvane::toolkit::TextBox txtSuffix{*this, "txtSuffix"};
    orvane::toolkit::Label lblNickname{*this, "lblNickname"};
    orvane::toolkit::TextBox txtNickname{*this, "txtNickname"};
    orvane::toolkit::Frame fraWork{*this, "fraWork"};
    orvane::toolkit::Label lblOrganisation{*this, "lblOrganisation"};
    orvane::toolkit::TextBox txtOrganisation{*this, "txtOrganisation"};
    orvane::toolkit::Label lblJobTitle{*this, "lblJobTitle"};
    orvane::toolkit::TextBox txtJobTitle{*this, "txtJobTitle"};
    orvane::toolkit::Frame fraEmail{*this, "fraEmail"};
    orvane::toolkit::EntryGrid grdEmail{*this, "grdEmail"};
    orvane::toolkit::CommandButton cmdAddEmail{*this, "cmdAddEmail"};
    orvane::toolkit::CommandButton cmdRemoveEmail{*this, "cmdRemoveEmail"};
    orvane::toolkit::Frame fraPhone{*this, "fraPhone"};
    orvane::toolkit::EntryGrid grdPhone{*this, "grdPhone"};
    orvane::toolkit::CommandButton cmdAddPhone{*this, "cmdAddPhone"};
    orvane::toolkit::CommandButton cmdRemovePhone{*this, "cmdRemovePhone"};
    orvane::toolkit::Frame fraAddress{*this, "fraAddress"};
    orvane::toolkit::EntryGrid grdAddress{*this, "grdAddress"};
    orvane::toolkit::CommandButton cmdAddAddress{*this, "cmdAddAddress"};
    orvane::toolkit::CommandButton cmdRemoveAddress{*this, "cmdRemoveAddress"};
    orvane::toolkit::Frame fraWeb{*this, "fraWeb"};
    orvane::toolkit::EntryGrid grdWeb{*this, "grdWeb"};
    orvane::toolkit::CommandButton cmdAddWeb{*this, "cmdAddWeb"};
    orvane::toolkit::CommandButton cmdRemoveWeb{*this, "cmdRemoveWeb"};
    orvane::toolkit::Frame fraDates{*this, "fraDates"};
    orvane::toolkit::Label lblBirthday{*this, "lblBirthday"};
    orvane::toolkit::TextBox txtBirthday{*this, "txtBirthday"};
    orvane::toolkit::Label lblAnniversary{*this, "lblAnniversary"};
    orvane::toolkit::TextBox txtAnniversary{*this, "txtAnniversary"};
    orvane::toolkit::Label lblDateHint{*this, "lblDateHint"};
    orvane::toolkit::Frame fraNotes{*this, "fraNotes"};
    orvane::toolkit::Label lblGroups{*this, "lblGroups"};
    orvane::toolkit::TextBox txtGroups{*this, "txtGroups"};
    orvane::toolkit::Label lblNotes{*this, "lblNotes"};
    orvane::toolkit::TextArea txtNotes{*this, "txtNotes"};
    orvane::toolkit::Frame fraMore{*this, "fraMore"};
    orvane::toolkit::ListBox lstMore{*this, "lstMore"};
    orvane::toolkit::CommandButton cmdEdit{*this, "cmdEdit"};
    orvane::toolkit::CommandButton cmdSave{*this, "cmdSave"};
    orvane::toolkit::CommandButton cmdCancel{*this, "cmdCancel"};
    orvane::toolkit::CommandButton cmdClose{*this, "cmdClose"};

    // Shows the window with the card of that address (loads it first).
    void ShowAddress(std::int32_t lngAddressID);
    // The address-book window selected another address: the window shows
    // it, unless it is being edited (then it keeps its own until saved or
    // cancelled).
    void AddressSelected(std::int32_t lngAddressID);
    std::int32_t AddressID() const { return mlngAddressID; }
    bool Editing() const { return mblnEditing; }

    void cmdEdit_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    void cmdClose_Click();
    void cmdChangePhoto_Click();
    void cmdRemovePhoto_Click();

    void Form_Initialize() override;

protected:
    void BuildLayout() override;
    void Form_Load() override;

private:
    void ShowCard();
    void EditMode(bool editing);
    orvane::card::CardModel ModelFromFields() const;

    std::int32_t mlngAddressID = 0;
    bool mblnEditing = false;
    orvane::card::CardModel mobjCard;
    std::string mstrPhoto;  // the photo shown, kept apart while editing
    std::string mstrPhotoType;
    // Where each row of the grids came from in the card, row for row.
    std::vector<orvane::card::Source> memailSources, mphoneSources, maddressSources, mwebSources;
};
