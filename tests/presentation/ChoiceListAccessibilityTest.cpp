#include "AddressBookFixture.h"
#include "Functions.h"
#include "toolkit/Testing.h"
#include "toolkit/TestingAccessibility.h"

using namespace orvane::toolkit;

namespace {

using Lines = std::vector<std::string>;

class ChoiceListAccessibilityTest : public AddressBookTest {};

// A screen reader finds the entries of the state and country lists inside
// the combo boxes, as in any other program's combo box, while the box keeps
// its label as name and the text as value.
TEST_F(ChoiceListAccessibilityTest, TheStateAndCountryListsShowTheirEntries) {
    folder.WriteFile("Lists/StateProvince.txt", "Alberta\r\nManitoba\r\nOntario\r\nQuebec\r\nTexas\r\nYukon\r\n");
    folder.InsertAddress("Ann", "Lee", "1 Main St", "K1A", "Ontario", "Canada", "555-1");
    frm().Show();
    frm().lstAddress.Selected(0, true);

    const sim::AccessibleChildren state = sim::AccessibleChildrenOf(frm().cboStateProv);
    EXPECT_EQ(state.roles, (Lines{"List", "EditableText"}));
    EXPECT_TRUE(state.childrenKnowTheirPlace);
    EXPECT_EQ(state.listItemCount, 6);
    EXPECT_EQ(state.listItems, (Lines{"Alberta", "Manitoba", "Ontario", "Quebec", "Texas", "Yukon"}));

    const sim::AccessibleChildren country = sim::AccessibleChildrenOf(frm().cboCountry);
    EXPECT_EQ(country.roles, (Lines{"List", "EditableText"}));
    EXPECT_TRUE(country.childrenKnowTheirPlace);
    EXPECT_EQ(country.listItemCount, 3);
    ASSERT_EQ(country.listItems.size(), 3u);
    EXPECT_EQ(country.listItems.front(), "Canada");
    EXPECT_EQ(country.listItems.back(), "United States");

    const sim::AccessibleControl box = sim::Accessible(frm().cboStateProv);
    EXPECT_EQ(box.role, "ComboBox");
    EXPECT_EQ(box.name, "State/Province");
    EXPECT_EQ(box.value, "Ontario");
    EXPECT_EQ(sim::Accessible(frm().cboCountry).name, "Country");
    EXPECT_EQ(sim::Accessible(frm().cboCountry).value, "Canada");
}

// The list a screen reader reads is the one the user picks from: after the
// reference list is read again it holds the new entries, and a typed value
// that is not in the list is the box's value without becoming an entry.
TEST_F(ChoiceListAccessibilityTest, TheEntriesFollowTheListAndNotTheTypedText) {
    frm().Show();
    folder.WriteFile("Lists/Country.txt", "Chile\r\nPeru\r\n");
    Functions::FillCountryList();
    frm().cboCountry.Text("Atlantis");

    const sim::AccessibleChildren country = sim::AccessibleChildrenOf(frm().cboCountry);
    EXPECT_EQ(country.listItems, (Lines{"Chile", "Peru"}));
    EXPECT_EQ(sim::Accessible(frm().cboCountry).value, "Atlantis");
    EXPECT_EQ(sim::Accessible(frm().cboCountry).name, "Country");
}

}  // namespace
