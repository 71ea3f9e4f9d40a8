#include <algorithm>
#include <filesystem>

#include "AddressBookFixture.h"
#include "Functions.h"
#include "toolkit/Application.h"
#include "toolkit/Screen.h"
#include "toolkit/Testing.h"

using namespace orvane::toolkit;

namespace {

using StartUpTest = AddressBookTest;

const std::vector<std::string> kEmptyFields(7, "");

TEST_F(StartUpTest, EmptyTableGivesAnEmptyListInBrowseModeInTheTitledWindow) {
    frm().Show();
    EXPECT_TRUE(frm().Visible());
    EXPECT_EQ(frm().lstAddress.ListCount(), 0);
    EXPECT_EQ(Fields(), kEmptyFields);
    EXPECT_EQ(Mode(), kBrowseMode);
    EXPECT_TRUE(frm().lstAddress.Enabled());
    EXPECT_TRUE(frm().cmdClose.Enabled());
    EXPECT_TRUE(frm().Command1.Enabled());
    EXPECT_TRUE(frm().Command2.Enabled());
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_EQ(sim::WindowTitle(frm()), "Form1");
    EXPECT_EQ(frm().ScaleWidth(), 8880);
    EXPECT_EQ(frm().ScaleHeight(), 4905);
    ASSERT_NE(frm().ActiveControl(), nullptr);
    EXPECT_EQ(frm().ActiveControl()->Name(), "lstAddress");
    EXPECT_EQ(frm().cmdDelete.Caption(), "delete");
}

TEST_F(StartUpTest, ThreeAddressesListedInRowOrderWithTheirIds) {
    const int ann = folder.InsertAddress("Ann", "Lee");
    const int bob = folder.InsertAddress("Bob", "Ray");
    folder.ExecSql("DELETE FROM tblAddress WHERE ID = " + std::to_string(bob));
    const int cid = folder.InsertAddress("Cid", "Zed");
    const int solo = folder.InsertAddress("Solo", "", "", "", "", "", "555");
    folder.ExecSql("UPDATE tblAddress SET LastName = NULL WHERE ID = " + std::to_string(solo));
    frm().Show();
    // Not sorted; without a last name the entry shows the first name and the comma.
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Cid, Zed", "Solo, "}));
    EXPECT_EQ(Ids(), (std::vector<std::int32_t>{ann, cid, solo}));
    EXPECT_EQ(frm().lstAddress.ListIndex(), -1);
    EXPECT_EQ(Fields(), kEmptyFields);
    EXPECT_EQ(Mode(), kBrowseMode);
    EXPECT_EQ(Entries(frm().cboStateProv), (std::vector<std::string>{"Alberta", "Ontario", "Texas"}));
    EXPECT_EQ(Entries(frm().cboCountry), (std::vector<std::string>{"Canada", "Mexico", "United States"}));
    frm().lstAddress.Selected(2, true);
    EXPECT_EQ(Fields(), (std::vector<std::string>{"Solo", "", "", "", "", "", "555"}));
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(StartUpTest, MoreRowsThanA16BitCounterHolds) {
    folder.ExecSql(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
        "INSERT INTO tblAddress (FirstName, LastName) SELECT 'P' || i, 'Q' FROM n");
    frm().Show();
    ASSERT_TRUE(messages.Shown().empty());
    ASSERT_EQ(frm().lstAddress.ListCount(), 40000);
    EXPECT_EQ(frm().lstAddress.List(39999), "P40000, Q");
    EXPECT_EQ(frm().lstAddress.ItemData(39999), 40000);
    frm().lstAddress.ListIndex(32767);
    EXPECT_EQ(frm().txtFirstname.Text(), "P32768");
}

TEST_F(StartUpTest, SelectingShowsTheAddressInBrowseAndEditModeAlike) {
    folder.InsertAddress("Ann", "Lee", "1 Main St", "K1A", "Ontario", "Canada", "555-1");
    folder.InsertAddress("Bob", "Ray", "2 Elm", "80331", "Bavaria", "Germany", "555-2");
    const std::vector<std::string> bob{"Bob", "Ray", "2 Elm", "80331", "Bavaria", "Germany", "555-2"};
    frm().Show();
    sim::MouseClickRow(frm().lstAddress, 1);
    EXPECT_EQ(Fields(), bob);  // a state and country not in the lists shown all the same
    EXPECT_EQ(frm().cboCountry.ListIndex(), -1);
    EXPECT_EQ(frm().cboCountry.ListCount(), 3);
    EXPECT_EQ(Mode(), kBrowseMode);
    frm().lstAddress.ListIndex(0);
    EXPECT_EQ(frm().txtFirstname.Text(), "Ann");
    EXPECT_EQ(frm().cboCountry.ListIndex(), 0);

    // In edit mode a selection overwrites the fields and the mode stays.
    frm().cmdAdd.Value(true);
    sim::TypeText(frm().txtFirstname, "Typed");
    sim::MouseClickRow(frm().lstAddress, 1);
    EXPECT_EQ(Fields(), bob);
    EXPECT_EQ(Mode(), kEditMode);
    EXPECT_TRUE(frm().mblnAdding);
}

// ------------------------------------------------------------ reference lists

struct ListCase {
    const char* name;
    const char* bytes;
    std::vector<std::string> entries;
};

void PrintTo(const ListCase& listCase, std::ostream* os) { *os << listCase.name; }

class ReferenceListTest : public AddressBookTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ReferenceListTest, OneEntryPerLine) {
    frm().Show();
    frm().cboCountry.Text("kept");
    folder.WriteFile("Lists/Country.txt", GetParam().bytes);
    folder.WriteFile("Lists/StateProvince.txt", GetParam().bytes);
    Functions::FillCountryList();
    Functions::FillStateProvinceList();
    EXPECT_EQ(Entries(frm().cboCountry), GetParam().entries);
    EXPECT_EQ(Entries(frm().cboStateProv), GetParam().entries);
    EXPECT_EQ(frm().cboCountry.Text(), "kept");
}

INSTANTIATE_TEST_SUITE_P(
    LineRules, ReferenceListTest,
    ::testing::Values(ListCase{"CrLf", "One\r\nTwo\r\nThree\r\n", {"One", "Two", "Three"}},
                      ListCase{"LoneCr", "One\rTwo\rThree\r", {"One", "Two", "Three"}},
                      ListCase{"LoneLf", "One\nTwo\nThree\n", {"One", "Two", "Three"}},
                      ListCase{"BlankLine", "One\r\n\r\nThree\r\n", {"One", "", "Three"}},
                      ListCase{"BlanksKept", "  One \r\n\tTwo\r\n", {"  One ", "\tTwo"}},
                      ListCase{"Empty", "", {}}),
    [](const ::testing::TestParamInfo<ListCase>& param) { return std::string(param.param.name); });

TEST_F(StartUpTest, TheShippedListsLoad) {
    namespace fs = std::filesystem;
    for (const char* name : {"StateProvince.txt", "Country.txt"})
        fs::copy_file(fs::path(ORVANE_SOURCE_DIR) / "app" / "Lists" / name, folder.Root() / "Lists" / name,
                      fs::copy_options::overwrite_existing);
    frm().Show();
    const std::vector<std::string> states = Entries(frm().cboStateProv);
    const std::vector<std::string> countries = Entries(frm().cboCountry);
    EXPECT_GE(states.size(), 64u);
    EXPECT_EQ(states.front(), "Alabama");
    EXPECT_EQ(states.back(), "Yukon");
    EXPECT_GE(countries.size(), 240u);
    EXPECT_EQ(countries.front(), "Afghanistan");
    EXPECT_NE(std::find(countries.begin(), countries.end(), "Canada"), countries.end());
    for (const std::string& entry : states) EXPECT_FALSE(entry.empty());
}

TEST_F(StartUpTest, MissingCountryListEndsTheStartBeforeTheDatabaseIsRead) {
    std::filesystem::remove(folder.Root() / "Lists" / "Country.txt");
    std::filesystem::remove(folder.DatabaseFile());  // would fail differently if it were read
    EXPECT_FALSE(Program::Start([]() -> Form& { return frmOrvane::Instance(); }));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_NE(messages.Shown()[0].prompt.find("Country.txt"), std::string::npos);
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    EXPECT_FALSE(frm().IsLoaded());
    EXPECT_EQ(Program::Run([]() -> Form& { return frmOrvane::Instance(); }), 1);
}

TEST_F(StartUpTest, TabVisitsTheEnabledControlsInTabOrder) {
    frm().Show();
    EXPECT_EQ(TabCycle(frm(), 7), (std::vector<std::string>{"cmdAdd", "cmdEdit", "cmdDelete", "cmdClose", "Command1",
                                                             "Command2", "lstAddress"}));
    frm().cmdEdit.Value(true);
    frm().lstAddress.SetFocus();
    EXPECT_EQ(TabCycle(frm(), 13),
              (std::vector<std::string>{"txtFirstname", "txtLastname", "txtAddress", "txtZip", "cboStateProv",
                                        "cboCountry", "txtPhoneNumber", "cmdSave", "cmdCancel", "cmdClose",
                                        "Command1", "Command2", "lstAddress"}));
}

TEST_F(StartUpTest, CentringUsesTheOuterSizeAndHalvesTowardZero) {
    const std::int32_t width = frm().Width();
    const std::int32_t height = frm().Height();
    ASSERT_GT(width, frm().ScaleWidth());
    ASSERT_GT(height, frm().ScaleHeight());
    Screen::SetSizeForTesting(width + 1001, height + 400);
    frm().Form_Initialize();
    EXPECT_EQ(frm().Left(), 500);
    EXPECT_EQ(frm().Top(), 200);
    // Larger than the screen: negative offsets, half the excess each side.
    Screen::SetSizeForTesting(width - 1001, height - 3000);
    frm().Form_Initialize();
    EXPECT_EQ(frm().Left(), -500);
    EXPECT_EQ(frm().Top(), -1500);
    EXPECT_EQ(frm().Width(), width);
    // Loading does not centre the address-book window again.
    Screen::SetSizeForTesting(std::nullopt, std::nullopt);
    frm().Show();
    EXPECT_EQ(frm().Left(), -500);
    EXPECT_EQ(frm().Top(), -1500);
}

}  // namespace
