#include <filesystem>

#include "AddressBookFixture.h"
#include "toolkit/Application.h"
#include "toolkit/Screen.h"
#include "toolkit/Testing.h"

using namespace orvane::toolkit;

namespace {

class NavigationTest : public AddressBookTest {
protected:
    void SetUp() override {
        folder.InsertAddress("Ann", "Lee");
        folder.InsertAddress("Bob", "Ray");
        frm().Show();
    }
    static frmDiagram& diagram() { return frmDiagram::Instance(); }
    static frmDescription& description() { return frmDescription::Instance(); }

    // Where centring puts a window on the current screen.
    static std::pair<std::int32_t, std::int32_t> Centre(const Form& form) {
        return {(Screen::Width() - form.Width()) / 2, (Screen::Height() - form.Height()) / 2};
    }
    static std::pair<std::int32_t, std::int32_t> Place(const Form& form) { return {form.Left(), form.Top()}; }
};

TEST_F(NavigationTest, TheDiagramWindowShowsThePictureWithItsTitleFocusAndTabOrder) {
    sim::MouseClick(frm().Command2);
    ASSERT_TRUE(diagram().Visible());
    EXPECT_EQ(sim::WindowTitle(diagram()), "Diagram");
    EXPECT_EQ(diagram().ScaleWidth(), 8145);
    EXPECT_EQ(diagram().ScaleHeight(), 6465);
    EXPECT_EQ(diagram().Picture1.PictureWidth(), 508);
    EXPECT_EQ(diagram().Picture1.PictureHeight(), 361);
    ASSERT_NE(diagram().ActiveControl(), nullptr);
    EXPECT_EQ(diagram().ActiveControl()->Name(), "Command1");
    EXPECT_EQ(TabCycle(diagram(), 4), (std::vector<std::string>{"Picture1", "Command2", "Command3", "Command1"}));
    EXPECT_EQ(Place(diagram()), Centre(diagram()));
}

TEST_F(NavigationTest, TheDescriptionWindowShowsTheDocumentWithItsTitleFocusAndTabOrder) {
    sim::MouseClick(frm().Command1);
    ASSERT_TRUE(description().Visible());
    EXPECT_EQ(sim::WindowTitle(description()), "Description");
    EXPECT_EQ(description().ScaleWidth(), 11055);
    EXPECT_EQ(description().ScaleHeight(), 7065);
    EXPECT_NE(description().rtfDescription.Text().find("About Orvane"), std::string::npos);
    EXPECT_EQ(description().rtfDescription.FontName(), "MS Sans Serif");
    EXPECT_DOUBLE_EQ(description().rtfDescription.FontSize(), 12.0);
    ASSERT_NE(description().ActiveControl(), nullptr);
    EXPECT_EQ(description().ActiveControl()->Name(), "rtfDescription");
    EXPECT_EQ(TabCycle(description(), 4),
              (std::vector<std::string>{"Command1", "Command2", "Command3", "rtfDescription"}));
    EXPECT_EQ(Place(description()), Centre(description()));
}

TEST_F(NavigationTest, ShowingAgainKeepsOneWindowWhereItWasAndReopeningCentres) {
    frm().Command2.Value(true);
    diagram().Move(1500, 1200);  // as if the user dragged it
    frm().Command2.Value(true);
    EXPECT_EQ(Forms::LoadedCount(), 2);
    EXPECT_EQ(Place(diagram()), std::make_pair(1500, 1200));
    diagram().Command1.Value(true);  // Close
    EXPECT_FALSE(diagram().IsLoaded());
    frm().Command2.Value(true);
    EXPECT_EQ(Place(diagram()), Centre(diagram()));

    frm().Command1.Value(true);
    description().Move(300, 450);
    frm().Command1.Value(true);
    EXPECT_EQ(Forms::LoadedCount(), 3);
    EXPECT_EQ(Place(description()), std::make_pair(300, 450));
    sim::CloseBox(description());  // the title bar's close box unloads too
    EXPECT_FALSE(description().IsLoaded());
    frm().Command1.Value(true);
    EXPECT_EQ(Place(description()), Centre(description()));
}

TEST_F(NavigationTest, EachWindowLeadsToTheOthersLeavingTheAddressBookAsItIs) {
    frm().lstAddress.ListIndex(1);
    frm().cmdEdit.Value(true);
    frm().txtFirstname.Text("Typing");
    CBusinessTier* tier = frm().mobjBusinessTier.get();
    frm().Command1.Value(true);
    description().Command2.Value(true);  // View Diagram
    EXPECT_TRUE(description().Visible());  // still open behind the diagram
    EXPECT_TRUE(diagram().Visible());
    diagram().Command1.Value(true);  // Close
    description().Command2.Value(true);
    diagram().Command2.Value(true);  // View Description: already open
    EXPECT_TRUE(diagram().Visible());
    EXPECT_TRUE(description().Visible());
    EXPECT_EQ(Forms::LoadedCount(), 3);

    diagram().Command3.Value(true);  // View Program
    description().Command3.Value(true);
    EXPECT_EQ(frm().lstAddress.ListIndex(), 1);
    EXPECT_EQ(Fields()[0], "Typing");
    EXPECT_EQ(Mode(), kEditMode);
    EXPECT_EQ(frm().mobjBusinessTier.get(), tier);  // not reloaded
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(NavigationTest, ClosingTheAddressBookFirstKeepsTheProgramRunningUntilTheLastWindow) {
    frm().Command1.Value(true);
    frm().Command2.Value(true);
    frm().cmdClose.Value(true);
    EXPECT_FALSE(frm().IsLoaded());
    EXPECT_FALSE(Program::Ended());
    folder.InsertAddress("Cy", "Vale");
    const std::pair<std::int32_t, std::int32_t> place = Place(frm());
    description().Command3.Value(true);  // View Program loads it afresh
    EXPECT_TRUE(frm().Visible());
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Bob, Ray", "Cy, Vale"}));
    EXPECT_EQ(frm().lstAddress.ListIndex(), -1);
    EXPECT_EQ(Mode(), kBrowseMode);
    EXPECT_EQ(Place(frm()), place);  // not centred again

    frm().cmdClose.Value(true);
    diagram().Command1.Value(true);
    EXPECT_FALSE(Program::Ended());
    sim::CloseBox(description());
    EXPECT_TRUE(Program::Ended());
    EXPECT_EQ(Forms::LoadedCount(), 0);
}

TEST_F(NavigationTest, AMissingDocumentIsReportedAndTheRestGoesOn) {
    std::filesystem::remove(folder.Root() / "Documents" / "Orvane.rtf");
    frm().Command2.Value(true);
    diagram().Command2.Value(true);  // View Description
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    EXPECT_NE(messages.Shown()[0].prompt.find("Orvane.rtf"), std::string::npos);
    EXPECT_FALSE(description().IsLoaded());
    EXPECT_TRUE(diagram().Visible());
    EXPECT_TRUE(frm().Visible());
    EXPECT_FALSE(Program::Ended());
    // Once the document is back, the window opens.
    folder.WriteFile("Documents/Orvane.rtf", "{\\rtf1 Back again.}");
    frm().Command1.Value(true);
    EXPECT_TRUE(description().Visible());
    EXPECT_NE(description().rtfDescription.Text().find("Back again."), std::string::npos);
}

TEST_F(NavigationTest, AChangedDocumentShowsOnlyAfterCloseAndReopen) {
    frm().Command1.Value(true);
    folder.WriteFile("Documents/Orvane.rtf", "{\\rtf1 Second edition.}");
    frm().Command1.Value(true);
    EXPECT_NE(description().rtfDescription.Text().find("About Orvane"), std::string::npos);
    description().Command1.Value(true);
    frm().Command1.Value(true);
    EXPECT_NE(description().rtfDescription.Text().find("Second edition."), std::string::npos);
}

}  // namespace
