#include <algorithm>

#include "AddressBookFixture.h"
#include "CDataCardTier.h"
#include "card/Base64.h"
#include "card/CardModel.h"
#include "frmCard.h"
#include "toolkit/FileDialog.h"
#include "toolkit/Testing.h"
#include "toolkit/TestingExtras.h"
#include "toolkit/TestingKeys.h"
#include "transfer/AddressImporter.h"

using namespace orvane::toolkit;

namespace {

const std::string kCard =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "N:Lindqvist;Maja;Elin;Dr.;\r\n"
    "FN:Dr. Maja Elin Lindqvist\r\n"
    "NICKNAME:Mimi\r\n"
    "ORG:Nordvik AB\r\n"
    "TITLE:Chief Chemist\r\n"
    "EMAIL;TYPE=INTERNET,HOME,pref:maja@example.se\r\n"
    "item1.TEL:+46 8 555 01 99\r\n"
    "item1.X-ABLabel:Lab\r\n"
    "TEL;TYPE=CELL:+46 70 123 45 67\r\n"
    "ADR;TYPE=HOME,pref:;Apt 4;Storgatan 1;Uppsala;;753 20;Sweden\r\n"
    "URL:https://maja.example.se\r\n"
    "BDAY;X-APPLE-OMIT-YEAR=1604:1604-03-14\r\n"
    "CATEGORIES:Friends,Chemists\r\n"
    "NOTE:Met at the conference.\\nLikes tea.\r\n"
    "X-SOCIALPROFILE;type=twitter:https://twitter.com/maja\r\n"
    "PHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgoAAAANSUhEUgAAAAYAAAAIAQMAAADgCBx7AAAAA1BMVEUzZpk7I4HSAAAAC0lEQVQI12NgQAUAABAAAaHFIcEAAAAASUVORK5CYII=\r\n"
    "END:VCARD\r\n";

class CardWindowTest : public AddressBookTest {
protected:
    void SetUp() override {
        folder.InsertAddress("Ann", "Lee", "1 Main St", "K1A", "Ontario", "Canada", "555-1");
        orvane::transfer::AddressImporter importer;
        importer.ImportBytes(kCard, "maja.vcf");
        frm().Show();
        sim::ProcessEvents();
    }
    static frmCard& card() { return frmCard::Instance(); }
    FileDialogTester dialogs;
    static std::vector<std::string> Column(const EntryGrid& grid, int column) {
        std::vector<std::string> cells;
        for (const GridRow& row : grid.Rows()) cells.push_back(row.cells.at(static_cast<std::size_t>(column)));
        return cells;
    }
};

// Ctrl+I and the menu open one window, which shows each kind of value of
// the card and follows the name list's selection.
TEST_F(CardWindowTest, OpensFromTheMenuAndCtrlIShowsEveryKindOfValueAndFollowsTheSelection) {
    frm().lstAddress.ListIndex(1);
    frm().lstAddress.SetFocus();
    sim::PressKey(frm(), "Ctrl+I");
    sim::ProcessEvents();
    ASSERT_TRUE(card().IsLoaded());
    EXPECT_EQ(sim::WindowTitle(card()), "Card – Maja Lindqvist");
    EXPECT_EQ(card().txtPrefix.Text() + "|" + card().txtFirst.Text() + "|" + card().txtMiddle.Text() + "|" +
                  card().txtLast.Text() + "|" + card().txtNickname.Text(),
              "Dr.|Maja|Elin|Lindqvist|Mimi");
    EXPECT_EQ(card().txtOrganisation.Text() + "|" + card().txtJobTitle.Text(), "Nordvik AB|Chief Chemist");
    EXPECT_EQ(card().grdEmail.Rows(), (std::vector<GridRow>{{{"Home", "maja@example.se"}, true}}));
    EXPECT_EQ(card().grdPhone.Rows(),
              (std::vector<GridRow>{{{"Lab", "+46 8 555 01 99"}, false}, {{"Mobile", "+46 70 123 45 67"}, false}}));
    EXPECT_EQ(card().grdAddress.Rows(),
              (std::vector<GridRow>{{{"Home", "Storgatan 1", "Apt 4", "Uppsala", "", "753 20", "Sweden"}, true}}));
    EXPECT_EQ(Column(card().grdWeb, 1), std::vector<std::string>{"https://maja.example.se"});
    EXPECT_EQ(card().txtBirthday.Text() + "|" + card().txtAnniversary.Text(), "03-14|");
    EXPECT_EQ(card().txtGroups.Text(), "Friends, Chemists");
    EXPECT_EQ(card().txtNotes.Text(), "Met at the conference.\nLikes tea.");
    std::vector<std::string> more;
    for (int i = 0; i < card().lstMore.ListCount(); ++i) more.push_back(card().lstMore.List(i));
    EXPECT_NE(std::find(more.begin(), more.end(), "Social profile: https://twitter.com/maja"), more.end());
    EXPECT_FALSE(card().txtFirst.Enabled());
    EXPECT_FALSE(card().grdEmail.Enabled());
    EXPECT_TRUE(card().lstMore.Enabled());

    // The selection moves: the window goes along; the menu reaches the same one window.
    frm().lstAddress.ListIndex(0);
    EXPECT_EQ(sim::WindowTitle(card()), "Card – Ann Lee");
    EXPECT_EQ(Column(card().grdPhone, 1), std::vector<std::string>{"555-1"});
    sim::ChooseFromContextMenu(frm().lstAddress, 1, "Show Card…");
    EXPECT_EQ(sim::WindowTitle(card()), "Card – Maja Lindqvist");
    EXPECT_EQ(Forms::LoadedCount(), 2);

    // Every field and button is named for a screen reader by its caption.
    EXPECT_EQ(sim::Accessible(card().txtJobTitle).name, "Job title");
    EXPECT_EQ(sim::Accessible(card().grdAddress).name, "Postal addresses");
    EXPECT_EQ(sim::Accessible(card().cmdRemovePhone).name, "Remove Phone Number");
}

// Edit, a row added and one removed, Ctrl+Enter: the card and the seven
// fields are stored, and the name list is loaded again with the address
// still selected.
TEST_F(CardWindowTest, AnEditIsSavedWithCtrlEnterAndTheNameListIsReloadedWithTheSameAddress) {
    sim::ChooseFromContextMenu(frm().lstAddress, 1, "Show Card…");
    const std::int32_t id = card().AddressID();
    EXPECT_FALSE(card().cmdSave.Enabled());
    sim::MouseClick(card().cmdEdit);
    EXPECT_TRUE(card().txtFirst.Enabled());
    EXPECT_FALSE(card().cmdEdit.Enabled());
    card().txtFirst.Text("");
    sim::TypeText(card().txtFirst, "Majken");
    card().grdPhone.Cell(0, 0, "Work");
    card().grdEmail.Cell(0, 1, "maja@nordvik.example");
    card().txtNotes.SetFocus();
    sim::PressKey(card(), "Return");  // a new line in the notes, no save
    EXPECT_TRUE(card().Editing());
    sim::MouseClick(card().cmdAddPhone);
    card().grdPhone.Preferred(2, true);
    // Saved while the new number is still being typed in its cell.
    sim::TypeText(card().grdPhone, "+46 8 555 77 77");
    sim::PressKey(card(), "Ctrl+Return");
    sim::ProcessEvents();

    EXPECT_FALSE(card().Editing());
    EXPECT_FALSE(card().txtFirst.Enabled());
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Majken Elin, Lindqvist"}));
    EXPECT_EQ(frm().lstAddress.ListIndex(), 1);
    EXPECT_EQ(Fields()[0], "Majken Elin");
    EXPECT_EQ(Fields()[6], "+46 8 555 77 77");
    EXPECT_EQ(sim::WindowTitle(card()), "Card – Majken Lindqvist");
    const orvane::card::CardModel stored = orvane::card::ReadCardModel(*CDataCardTier().ReadCard(id));
    EXPECT_EQ(stored.emails.at(0).value, "maja@nordvik.example");
    EXPECT_EQ(stored.phones.at(0).kind.Text(), "Work");
    EXPECT_EQ(stored.phones.size(), 3u);
    EXPECT_EQ(std::count(stored.notes.begin(), stored.notes.end(), '\n'), 2) << stored.notes;

    // A row removed goes from the card.
    sim::MouseClick(card().cmdEdit);
    card().grdPhone.CurrentRow(1);
    sim::MouseClick(card().cmdRemovePhone);
    EXPECT_EQ(card().grdPhone.RowCount(), 2);
    sim::MouseClick(card().cmdSave);
    EXPECT_EQ(orvane::card::ReadCardModel(*CDataCardTier().ReadCard(id)).phones.size(), 2u);
}

// While editing, Tab walks the sections top to bottom, left to right; every
// caption fits, also under a 14 pt desktop font.
TEST_F(CardWindowTest, TabFollowsTheSectionsAndEveryCaptionFitsUnderALargeThemeFont) {
    const sim::ThemeFont theme("DejaVu Sans", 14);
    sim::ChooseFromContextMenu(frm().lstAddress, 1, "Show Card…");
    sim::MouseClick(card().cmdEdit);
    card().cmdClose.SetFocus();
    EXPECT_EQ(TabCycle(card(), 31),
              (std::vector<std::string>{"picPhoto", "cmdChangePhoto", "cmdRemovePhoto", "txtPrefix", "txtFirst", "txtMiddle",
                                        "txtLast", "txtSuffix", "txtNickname", "txtOrganisation", "txtJobTitle",
                                        "grdEmail", "cmdAddEmail", "cmdRemoveEmail", "grdPhone", "cmdAddPhone",
                                        "cmdRemovePhone", "grdAddress", "cmdAddAddress", "cmdRemoveAddress", "grdWeb",
                                        "cmdAddWeb", "cmdRemoveWeb", "txtBirthday", "txtAnniversary", "txtGroups",
                                        "txtNotes", "lstMore", "cmdSave", "cmdCancel", "cmdClose"}));
    std::vector<std::string> clipped;
    for (Control* control : card().Controls())
        if ((control->Kind() == ControlKind::Label || control->Kind() == ControlKind::CommandButton ||
             control->Kind() == ControlKind::Frame) &&
            !sim::CaptionFits(*control))
            clipped.push_back(control->Name());
    EXPECT_EQ(clipped, std::vector<std::string>{});
}

// The photo is shown; Change Photo takes a picture file, Remove Photo drops it.
TEST_F(CardWindowTest, ThePhotoIsShownAndChangedFromAPictureFile) {
    sim::ChooseFromContextMenu(frm().lstAddress, 1, "Show Card…");
    const std::int32_t id = card().AddressID();
    EXPECT_EQ(card().picPhoto.PictureWidth() * 100 + card().picPhoto.PictureHeight(), 608);
    EXPECT_FALSE(card().cmdChangePhoto.Enabled());
    sim::MouseClick(card().cmdEdit);
    folder.WriteFile("wide.png", orvane::card::DecodeBase64("iVBORw0KGgoAAAANSUhEUgAAAAoAAAAFAQMAAABGqu8rAAAAA1BMVEWZM2YFAh/4"
                                                            "AAAAC0lEQVQI12NgQAEAAA8AAS0uh5oAAAAASUVORK5CYII="));
    dialogs.QueueOpen({(folder.Root() / "wide.png").string()});
    sim::MouseClick(card().cmdChangePhoto);
    EXPECT_EQ(card().picPhoto.PictureWidth(), 10);
    sim::MouseClick(card().cmdSave);
    const orvane::card::CardModel stored = orvane::card::ReadCardModel(*CDataCardTier().ReadCard(id));
    EXPECT_EQ(stored.photoMediaType, "image/png");
    EXPECT_EQ(stored.photo.size(), 83u);  // the file's bytes

    sim::MouseClick(card().cmdEdit);
    sim::MouseClick(card().cmdRemovePhoto);
    EXPECT_EQ(card().picPhoto.PictureWidth(), 0);
    sim::MouseClick(card().cmdSave);
    EXPECT_TRUE(orvane::card::ReadCardModel(*CDataCardTier().ReadCard(id)).photo.empty());
}

// Escape cancels an edit: the stored card comes back into the fields.
TEST_F(CardWindowTest, EscapeCancelsTheEdit) {
    sim::ChooseFromContextMenu(frm().lstAddress, 1, "Show Card…");
    sim::MouseClick(card().cmdEdit);
    sim::TypeText(card().txtNickname, "s");
    sim::MouseClick(card().cmdAddEmail);
    sim::PressKey(card(), "Escape");
    EXPECT_FALSE(card().Editing());
    EXPECT_EQ(card().txtNickname.Text(), "Mimi");
    EXPECT_EQ(card().grdEmail.RowCount(), 1);
    EXPECT_TRUE(messages.Shown().empty());
}

// A wrong value is reported in the real message box titled "Address Book";
// the typed text stays for the user to correct.
TEST_F(CardWindowTest, AWrongValueIsReportedInAMessageBoxAndTheTypedTextStays) {
    sim::ChooseFromContextMenu(frm().lstAddress, 1, "Show Card…");
    sim::MouseClick(card().cmdEdit);
    card().txtBirthday.Text("1999-02-30");
    sim::TypeText(card().txtNickname, "x");
    messages.RealDialogs(true);
    const sim::ShownMessage shown = sim::AnswerMessageBox(vbOK, [] { sim::MouseClick(card().cmdSave); });
    EXPECT_EQ(shown.title, "Address Book");
    EXPECT_NE(shown.text.find("Birthday: there is no date 1999-02-30."), std::string::npos) << shown.text;
    EXPECT_TRUE(card().Editing());
    EXPECT_EQ(card().txtBirthday.Text(), "1999-02-30");
    EXPECT_EQ(card().txtNickname.Text(), "Mimix");
}

}  // namespace
