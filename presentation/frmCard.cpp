#include "frmCard.h"

#include "Functions.h"
#include "card/CardService.h"
#include "card/CardValidation.h"
#include "core/Error.h"
#include "frmOrvane.h"
#include "toolkit/FileDialog.h"
#include "toolkit/MsgBox.h"

using namespace orvane::toolkit;
using orvane::card::CardEntry;
using orvane::card::CardModel;
using orvane::card::EntryLabel;
using orvane::card::PostalAddress;
using orvane::card::Source;

namespace {

const std::vector<std::string> kKinds{"Home", "Work", "Mobile", "Fax", "Other"};
constexpr const char* kPictureFilter = "Pictures (*.jpg *.jpeg *.png *.gif);;All files (*)";

std::vector<GridRow> RowsOf(const std::vector<CardEntry>& entries) {
    std::vector<GridRow> rows;
    for (const CardEntry& entry : entries) rows.push_back({{entry.kind.Text(), entry.value}, entry.preferred});
    return rows;
}

std::vector<Source> SourcesOf(const auto& entries) {
    std::vector<Source> sources;
    for (const auto& entry : entries) sources.push_back(entry.source);
    return sources;
}

std::vector<CardEntry> EntriesOf(const EntryGrid& grid, const std::vector<Source>& sources) {
    std::vector<CardEntry> entries;
    const std::vector<GridRow> rows = grid.Rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        entries.push_back({EntryLabel::FromText(rows[i].cells.at(0)), rows[i].cells.at(1), rows[i].preferred,
                           i < sources.size() ? sources[i] : Source()});
    return entries;
}

std::string JoinGroups(const std::vector<std::string>& groups) {
    std::string out;
    for (const std::string& group : groups) out += (out.empty() ? "" : ", ") + group;
    return out;
}

std::vector<std::string> SplitGroups(const std::string& text) {
    std::vector<std::string> groups;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        std::string group = text.substr(start, comma - start);
        group.erase(0, group.find_first_not_of(" \t"));
        group.erase(group.find_last_not_of(" \t") + 1);
        if (!group.empty()) groups.push_back(group);
        start = comma + 1;
    }
    return groups;
}

void AddRow(EntryGrid& grid, std::vector<Source>& sources) {
    grid.AddRow();
    sources.emplace_back();
    grid.SetFocus();
}

void RemoveRow(EntryGrid& grid, std::vector<Source>& sources) {
    const std::int32_t row = grid.CurrentRow();
    if (row < 0) return;
    if (static_cast<std::size_t>(row) < sources.size()) sources.erase(sources.begin() + row);
    grid.RemoveRow();
}

}  // namespace

frmCard::frmCard() : Form("Card", 10200, 10665) {
    Icon(Functions::gstrAppIcon);
    cmdEdit.Click = [this] { cmdEdit_Click(); };
    cmdSave.Click = [this] { cmdSave_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdClose.Click = [this] { cmdClose_Click(); };
    cmdChangePhoto.Click = [this] { cmdChangePhoto_Click(); };
    cmdRemovePhoto.Click = [this] { cmdRemovePhoto_Click(); };
    cmdAddEmail.Click = [this] { AddRow(grdEmail, memailSources); };
    cmdRemoveEmail.Click = [this] { RemoveRow(grdEmail, memailSources); };
    cmdAddPhone.Click = [this] { AddRow(grdPhone, mphoneSources); };
    cmdRemovePhone.Click = [this] { RemoveRow(grdPhone, mphoneSources); };
    cmdAddAddress.Click = [this] { AddRow(grdAddress, maddressSources); };
    cmdRemoveAddress.Click = [this] { RemoveRow(grdAddress, maddressSources); };
    cmdAddWeb.Click = [this] { AddRow(grdWeb, mwebSources); };
    cmdRemoveWeb.Click = [this] { RemoveRow(grdWeb, mwebSources); };
    // Ctrl+Enter saves and Escape cancels, while editing.
    Shortcut("Ctrl+Return", [this] { if (mblnEditing) cmdSave_Click(); });
    Shortcut("Ctrl+Enter", [this] { if (mblnEditing) cmdSave_Click(); });
    Shortcut("Escape", [this] { if (mblnEditing) cmdCancel_Click(); });
}

frmCard& frmCard::Instance() { return Forms::Get<frmCard>(); }

// Once per run, as the other windows: later showings leave it where it is.
void frmCard::Form_Initialize() { Functions::CentreOnScreen(*this); }

void frmCard::BuildLayout() {
    int tab = 0;
    fraPhoto.Create(*this, "Photo", 120, 0, 2055, 2415, tab++);
    picPhoto.Create(fraPhoto, 120, 240, 1815, 1335, tab++);
    cmdChangePhoto.Create(fraPhoto, "Change Photo…", 120, 1620, 1815, 330, tab++);
    cmdRemovePhoto.Create(fraPhoto, "Remove Photo", 120, 1980, 1815, 330, tab++);

    fraName.Create(*this, "Name", 2280, 0, 4440, 2415, tab++);
    const std::pair<Label*, TextBox*> names[] = {{&lblPrefix, &txtPrefix}, {&lblFirst, &txtFirst},
                                                 {&lblMiddle, &txtMiddle}, {&lblLast, &txtLast},
                                                 {&lblSuffix, &txtSuffix}, {&lblNickname, &txtNickname}};
    const char* nameCaptions[] = {"Prefix", "First name", "Middle name", "Last name", "Suffix", "Nickname"};
    for (int i = 0; i < 6; ++i) {
        names[i].first->Create(fraName, nameCaptions[i], 120, 270 + i * 360, 1215, 285, tab++);
        names[i].second->Create(fraName, 1380, 240 + i * 360, 2940, 285, tab++);
        names[i].first->LabelFor(*names[i].second);
    }

    fraWork.Create(*this, "Work", 6840, 0, 3240, 2415, tab++);
    lblOrganisation.Create(fraWork, "Organisation", 120, 270, 3000, 255, tab++);
    txtOrganisation.Create(fraWork, 120, 525, 3000, 285, tab++);
    lblJobTitle.Create(fraWork, "Job title", 120, 930, 3000, 255, tab++);
    txtJobTitle.Create(fraWork, 120, 1185, 3000, 285, tab++);
    lblOrganisation.LabelFor(txtOrganisation);
    lblJobTitle.LabelFor(txtJobTitle);

    struct Section {
        Frame& frame;
        const char* caption;
        EntryGrid& grid;
        CommandButton& add;
        const char* addCaption;
        CommandButton& remove;
        const char* removeCaption;
        int left, top, width;
        std::vector<std::string> headers;
        std::vector<std::int32_t> widths;
    };
    Section sections[] = {
        {fraEmail, "E-mail addresses", grdEmail, cmdAddEmail, "Add E-mail Address", cmdRemoveEmail,
         "Remove E-mail Address", 120, 2520, 4920, {"Kind", "E-mail address"}, {1200, 2400}},
        {fraPhone, "Phone numbers", grdPhone, cmdAddPhone, "Add Phone Number", cmdRemovePhone, "Remove Phone Number",
         5160, 2520, 4920, {"Kind", "Phone number"}, {1200, 2400}},
        {fraAddress, "Postal addresses", grdAddress, cmdAddAddress, "Add Postal Address", cmdRemoveAddress,
         "Remove Postal Address", 120, 4470, 9960,
         {"Kind", "Street", "Extended address", "City", "Region", "Postal code", "Country"},
         {1050, 1800, 1500, 1350, 1050, 1050, 1050}},
        {fraWeb, "Web sites", grdWeb, cmdAddWeb, "Add Web Site", cmdRemoveWeb, "Remove Web Site", 120, 6420, 4920,
         {"Kind", "Web site"}, {1200, 2400}},
    };
    for (Section& s : sections) {
        s.frame.Create(*this, s.caption, s.left, s.top, s.width, 1845, tab++);
        s.grid.Create(s.frame, 120, 240, s.width - 240, 1170, tab++);
        s.grid.Columns(s.headers, s.widths, kKinds);
        s.grid.AccessibleName(s.caption);
        s.add.Create(s.frame, s.addCaption, 120, 1440, 2175, 330, tab++);
        s.remove.Create(s.frame, s.removeCaption, 2400, 1440, 2175, 330, tab++);
    }

    fraDates.Create(*this, "Dates", 5160, 6420, 4920, 1845, tab++);
    lblBirthday.Create(fraDates, "Birthday", 120, 270, 1215, 255, tab++);
    txtBirthday.Create(fraDates, 1380, 240, 1800, 285, tab++);
    lblAnniversary.Create(fraDates, "Anniversary", 120, 630, 1215, 255, tab++);
    txtAnniversary.Create(fraDates, 1380, 600, 1800, 285, tab++);
    lblDateHint.Create(fraDates, "As 1980-05-21, or 05-21 when the year is not known.", 120, 1020, 4680, 510, tab++);
    lblBirthday.LabelFor(txtBirthday);
    lblAnniversary.LabelFor(txtAnniversary);

    fraNotes.Create(*this, "Groups and notes", 120, 8370, 4920, 1695, tab++);
    lblGroups.Create(fraNotes, "Groups", 120, 270, 900, 255, tab++);
    txtGroups.Create(fraNotes, 1080, 240, 3720, 285, tab++);
    lblNotes.Create(fraNotes, "Notes", 120, 630, 900, 255, tab++);
    txtNotes.Create(fraNotes, 1080, 600, 3720, 975, tab++);
    lblGroups.LabelFor(txtGroups);
    lblNotes.LabelFor(txtNotes);
    txtGroups.AccessibleDescription("Groups separated by commas");

    fraMore.Create(*this, "More", 5160, 8370, 4920, 1695, tab++);
    lstMore.Create(fraMore, 120, 240, 4680, 1335, tab++);
    lstMore.AccessibleName("More");
    picPhoto.AccessibleName("Photo");

    cmdEdit.Create(*this, "Edit", 5520, 10170, 1095, 375, tab++);
    cmdSave.Create(*this, "Save", 6660, 10170, 1095, 375, tab++);
    cmdCancel.Create(*this, "Cancel", 7800, 10170, 1095, 375, tab++);
    cmdClose.Create(*this, "Close", 8940, 10170, 1095, 375, tab++);
}

void frmCard::Form_Load() {
    mblnEditing = false;
    EditMode(false);
}

void frmCard::ShowAddress(std::int32_t lngAddressID) {
    Load();
    // An edit under way keeps its address until it is saved or cancelled.
    if (!mblnEditing) {
        mlngAddressID = lngAddressID;
        ShowCard();
    }
    Show();
}

void frmCard::AddressSelected(std::int32_t lngAddressID) {
    if (!IsLoaded() || mblnEditing || lngAddressID == mlngAddressID) return;
    mlngAddressID = lngAddressID;
    ShowCard();
}

// The card as stored now, into the fields.
void frmCard::ShowCard() {
    mobjCard = orvane::card::CardService().Load(mlngAddressID);
    const CardModel& card = mobjCard;
    Caption("Card – " + card.first + (card.first.empty() || card.last.empty() ? "" : " ") + card.last);
    mstrPhoto = card.photo;
    mstrPhotoType = card.photoMediaType;
    try {
        picPhoto.PictureData(mstrPhoto);
    } catch (const orvane::Error&) {
        picPhoto.PictureData({});  // a photo this program cannot draw is kept, only not shown
    }
    txtPrefix.Text(card.prefix);
    txtFirst.Text(card.first);
    txtMiddle.Text(card.middle);
    txtLast.Text(card.last);
    txtSuffix.Text(card.suffix);
    txtNickname.Text(card.nickname);
    txtOrganisation.Text(card.organisation);
    txtJobTitle.Text(card.jobTitle);
    grdEmail.Rows(RowsOf(card.emails));
    grdPhone.Rows(RowsOf(card.phones));
    grdWeb.Rows(RowsOf(card.webSites));
    std::vector<GridRow> addresses;
    for (const PostalAddress& a : card.addresses)
        addresses.push_back({{a.kind.Text(), a.street, a.extended, a.city, a.region, a.postalCode, a.country}, a.preferred});
    grdAddress.Rows(addresses);
    memailSources = SourcesOf(card.emails);
    mphoneSources = SourcesOf(card.phones);
    mwebSources = SourcesOf(card.webSites);
    maddressSources = SourcesOf(card.addresses);
    txtBirthday.Text(card.birthday ? card.birthday->Text() : "");
    txtAnniversary.Text(card.anniversary ? card.anniversary->Text() : "");
    txtGroups.Text(JoinGroups(card.groups));
    txtNotes.Text(card.notes);
    lstMore.Clear();
    for (const orvane::card::OtherProperty& other : card.more) lstMore.AddItem(other.name + ": " + other.value);
}

// Fields and the photo buttons take input only while editing; the More list
// can always be read.
void frmCard::EditMode(bool editing) {
    mblnEditing = editing;
    for (Control* field : std::initializer_list<Control*>{
             &cmdChangePhoto, &cmdRemovePhoto, &txtPrefix, &txtFirst, &txtMiddle, &txtLast, &txtSuffix, &txtNickname,
             &txtOrganisation, &txtJobTitle, &grdEmail, &cmdAddEmail, &cmdRemoveEmail, &grdPhone, &cmdAddPhone,
             &cmdRemovePhone, &grdAddress, &cmdAddAddress, &cmdRemoveAddress, &grdWeb, &cmdAddWeb, &cmdRemoveWeb,
             &txtBirthday, &txtAnniversary, &txtGroups, &txtNotes, &cmdSave, &cmdCancel})
        field->Enabled(editing);
    cmdEdit.Enabled(!editing);
}

CardModel frmCard::ModelFromFields() const {
    CardModel card = mobjCard;
    card.photo = mstrPhoto;
    card.photoMediaType = mstrPhotoType;
    card.prefix = txtPrefix.Text();
    card.first = txtFirst.Text();
    card.middle = txtMiddle.Text();
    card.last = txtLast.Text();
    card.suffix = txtSuffix.Text();
    card.nickname = txtNickname.Text();
    card.organisation = txtOrganisation.Text();
    card.jobTitle = txtJobTitle.Text();
    card.emails = EntriesOf(grdEmail, memailSources);
    card.phones = EntriesOf(grdPhone, mphoneSources);
    card.webSites = EntriesOf(grdWeb, mwebSources);
    card.addresses.clear();
    const std::vector<GridRow> rows = grdAddress.Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        PostalAddress a;
        // The post office box has no column: it stays as the card had it.
        if (i < maddressSources.size() && maddressSources[i])
            for (const PostalAddress& was : mobjCard.addresses)
                if (was.source == maddressSources[i]) a.poBox = was.poBox;
        a.kind = EntryLabel::FromText(rows[i].cells.at(0));
        a.street = rows[i].cells.at(1);
        a.extended = rows[i].cells.at(2);
        a.city = rows[i].cells.at(3);
        a.region = rows[i].cells.at(4);
        a.postalCode = rows[i].cells.at(5);
        a.country = rows[i].cells.at(6);
        a.preferred = rows[i].preferred;
        a.source = i < maddressSources.size() ? maddressSources[i] : Source();
        card.addresses.push_back(std::move(a));
    }
    card.birthday = orvane::card::ParseCardDate("Birthday", txtBirthday.Text());
    card.anniversary = orvane::card::ParseCardDate("Anniversary", txtAnniversary.Text());
    card.groups = SplitGroups(txtGroups.Text());
    card.notes = txtNotes.Text();
    return card;
}

void frmCard::cmdEdit_Click() {
    EditMode(true);
    txtFirst.SetFocus();
}

// Stores the card and its seven fields; the address-book window then runs
// its load sequence with the same address selected. A refusal leaves every
// field as typed.
void frmCard::cmdSave_Click() {
    frmOrvane& book = frmOrvane::Instance();
    // Its load sequence would throw away the address being edited there.
    if (book.IsLoaded() && book.EditingAddress()) {
        MsgBox("Please save or cancel the address being edited in the address book first.", vbInformation,
               Functions::gstrAppTitle);
        return;
    }
    orvane::card::CardService().Save(mlngAddressID, ModelFromFields());
    EditMode(false);
    ShowCard();
    if (book.IsLoaded()) book.ReloadSelecting(mlngAddressID);
}

void frmCard::cmdCancel_Click() {
    EditMode(false);
    ShowCard();
}

void frmCard::cmdClose_Click() { Unload(); }

void frmCard::cmdChangePhoto_Click() {
    const std::vector<std::string> files = ShowOpenFiles("Change Photo", kPictureFilter);
    if (files.empty()) return;
    orvane::card::PhotoFile photo = orvane::card::ReadPhotoFile(files.front());
    picPhoto.PictureData(photo.bytes);  // refuses what it cannot draw before anything changes
    mstrPhoto = std::move(photo.bytes);
    mstrPhotoType = std::move(photo.mediaType);
}

void frmCard::cmdRemovePhoto_Click() {
    mstrPhoto.clear();
    mstrPhotoType.clear();
    picPhoto.PictureData({});
}
