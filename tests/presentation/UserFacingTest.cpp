#include <algorithm>

#include "AddressBookFixture.h"
#include "toolkit/Testing.h"

using namespace orvane::toolkit;

namespace {

using Lines = std::vector<std::string>;

class UserFacingTest : public AddressBookTest {
protected:
    static frmDiagram& diagram() { return frmDiagram::Instance(); }
    static frmDescription& description() { return frmDescription::Instance(); }

    static void ShowAllThree() {
        frm().Show();
        diagram().Show();
        description().Show();
    }

    // Each control as a screen reader gets it: role, name, the value of a
    // field, the label relations and the states that matter.
    static Lines Announced(const Form& form) {
        Lines lines;
        for (const Control* control : form.Controls()) {
            const sim::AccessibleControl a = sim::Accessible(*control);
            std::string line = control->Name() + ": " + a.role + " '" + a.name + "'";
            if (control->IsTextBox() || control->IsComboBox()) line += " = '" + a.value + "'";
            for (const std::string& label : a.labelledBy) line += " by " + label;
            for (const std::string& field : a.labels) line += " for " + field;
            if (a.disabled) line += " disabled";
            if (a.readOnly && control->Kind() != ControlKind::Label) line += " read-only";
            if (!a.focusable && control->TabStop()) line += " unfocusable";
            lines.push_back(line);
        }
        return lines;
    }

    // Controls whose caption does not fit, in all three windows.
    static Lines ClippedCaptions() {
        Lines clipped;
        for (const Form* form : {static_cast<const Form*>(&frm()), static_cast<const Form*>(&diagram()),
                                 static_cast<const Form*>(&description())})
            for (const Control* control : form->Controls()) {
                const ControlKind kind = control->Kind();
                if (kind != ControlKind::Label && kind != ControlKind::CommandButton && kind != ControlKind::Frame)
                    continue;
                if (!sim::CaptionFits(*control)) clipped.push_back(form->Caption() + "." + control->Name());
            }
        return clipped;
    }
};

TEST_F(UserFacingTest, TheDeleteConfirmationShowsTheNameAsStored) {
    const std::string last = "O'Brien \"Q\" <b>x</b> & Co";
    folder.InsertAddress("Ann", last);
    frm().Show();
    sim::MouseClickRow(frm().lstAddress, 0);
    messages.RealDialogs(true);
    const sim::ShownMessage shown = sim::AnswerMessageBox(vbNo, [] { sim::MouseClick(frm().cmdDelete); });
    EXPECT_EQ(shown.text, "Are you sure you want to delete \"Ann, " + last + "\"");
    EXPECT_EQ(shown.title, "Address Book");
    EXPECT_EQ(Names(), Lines{"Ann, " + last});  // answered No
}

TEST_F(UserFacingTest, AScreenReaderHearsEveryControlByItsCaptionOrLabel) {
    folder.InsertAddress("Ann", "Lee", "1 Main St", "K1A", "Ontario", "Canada", "555-1");
    ShowAllThree();
    frm().lstAddress.Selected(0, true);
    EXPECT_EQ(Announced(frm()), (Lines{
                                    "Command2: Button 'View Diagram'",
                                    "Command1: Button 'View Description'",
                                    "cmdClose: Button 'Close'",
                                    "Frame2: Grouping ''",
                                    "cboStateProv: ComboBox 'State/Province' = 'Ontario' by Label5 disabled",
                                    "cboCountry: ComboBox 'Country' = 'Canada' by Label4 disabled",
                                    "Frame3: Grouping 'Controls'",
                                    "cmdCancel: Button 'Cancel' disabled",
                                    "cmdSave: Button 'Save' disabled",
                                    "cmdDelete: Button 'delete'",
                                    "cmdEdit: Button 'Edit'",
                                    "cmdAdd: Button 'Add'",
                                    "txtPhoneNumber: EditableText 'PhoneNumber' = '555-1' by Label7 disabled",
                                    "txtZip: EditableText 'Zip/PostalCode' = 'K1A' by Label6 disabled",
                                    "txtAddress: EditableText 'Address' = '1 Main St' by Label3 disabled",
                                    "txtLastname: EditableText 'Lastname' = 'Lee' by Label2 disabled",
                                    "txtFirstname: EditableText 'Firstname' = 'Ann' by Label1 disabled",
                                    "Label7: StaticText 'PhoneNumber' for txtPhoneNumber",
                                    "Label6: StaticText 'Zip/PostalCode' for txtZip",
                                    "Label5: StaticText 'State/Province' for cboStateProv",
                                    "Label4: StaticText 'Country' for cboCountry",
                                    "Label3: StaticText 'Address' for txtAddress",
                                    "Label2: StaticText 'Lastname' for txtLastname",
                                    "Label1: StaticText 'Firstname' for txtFirstname",
                                    "Frame1: Grouping ''",
                                    "lstAddress: List 'Addresses'",
                                }));
    sim::MouseClick(frm().cmdEdit);
    EXPECT_FALSE(sim::Accessible(frm().cboCountry).disabled);
    EXPECT_EQ(sim::Accessible(frm().cboCountry).name, "Country");

    EXPECT_EQ(Announced(diagram()), (Lines{
                                        "Command3: Button 'View Program'",
                                        "Command2: Button 'View Description'",
                                        "Frame1: Grouping ''",
                                        "Picture1: Graphic 'Three-tier application diagram'",
                                        "Command1: Button 'Close'",
                                    }));
    const std::string picture = sim::Accessible(diagram().Picture1).description;
    for (const char* part : {"client tier", "business tier", "data tier", "database"})
        EXPECT_NE(picture.find(part), std::string::npos) << part;

    EXPECT_EQ(Announced(description()), (Lines{
                                            "Command3: Button 'View Program'",
                                            "Command2: Button 'View Diagram'",
                                            "Command1: Button 'Close'",
                                            "Frame1: Grouping ''",
                                            "rtfDescription: EditableText 'Description' read-only",
                                        }));
}

TEST_F(UserFacingTest, EveryCaptionFitsWithTheDefaultFontAndUnderALargeThemeFont) {
    ShowAllThree();
    EXPECT_EQ(ClippedCaptions(), Lines{});
    Forms::UnloadAll();
    const sim::ThemeFont theme("DejaVu Sans", 14);
    ShowAllThree();
    EXPECT_EQ(ClippedCaptions(), Lines{});
}

TEST_F(UserFacingTest, UnderADarkPaletteTheDescriptionStaysAWhitePageAndTheWindowsFollow) {
    const sim::DarkPalette dark;
    ShowAllThree();
    Control& page = description().rtfDescription;
    EXPECT_EQ(sim::ColourAt(page, 300, 300), "#ffffff");  // below the text
    EXPECT_EQ(sim::DarkestColour(page), "#000000");  // the document's text in its default colour
    for (const Form* form : {static_cast<const Form*>(&frm()), static_cast<const Form*>(&diagram()),
                             static_cast<const Form*>(&description())})
        EXPECT_EQ(sim::ColourAt(*form, 2, 2), "#353535") << form->Caption();
}

TEST_F(UserFacingTest, EveryWindowCarriesTheProgramsIcon) {
    ShowAllThree();
    for (const Form* form : {static_cast<const Form*>(&frm()), static_cast<const Form*>(&diagram()),
                             static_cast<const Form*>(&description())}) {
        const std::vector<int> sizes = sim::IconSizes(*form);
        for (const int size : {16, 32, 48}) EXPECT_NE(std::find(sizes.begin(), sizes.end(), size), sizes.end());
    }
}

}  // namespace
