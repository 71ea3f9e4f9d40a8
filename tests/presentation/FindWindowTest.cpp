#include <string>
#include <vector>

#include "AddressBookFixture.h"
#include "frmFind.h"
#include "toolkit/Testing.h"
#include "toolkit/TestingExtras.h"
#include "toolkit/TestingKeys.h"

using namespace orvane::toolkit;

namespace {

constexpr const char* kEmptyHint = "No addresses yet. Click Add, or right-click to import or sync.";

std::vector<std::string> Results() {
    std::vector<std::string> texts;
    ListBox& list = frmFind::Instance().lstResults;
    for (std::int32_t i = 0; i < list.ListCount(); ++i) texts.push_back(list.List(i));
    return texts;
}

}  // namespace

using FindWindowTest = AddressBookTest;

TEST_F(FindWindowTest, TypingFindsEnterSelectsInTheNameListEscapeCloses) {
    folder.InsertAddress("Anna", "Müller", "", "", "", "", "+49 30 4711 22");
    const int zoe = folder.InsertAddress("Zoë", "Zimmer");
    folder.InsertAddress("Zora", "Abel");
    frm().Show();
    sim::PressKey(frm(), "Ctrl+F");
    frmFind& find = frmFind::Instance();
    ASSERT_TRUE(find.IsLoaded());
    EXPECT_EQ(sim::WindowTitle(find), "Find Address");
    EXPECT_EQ(sim::Accessible(find.txtFind).name, "Find");
    EXPECT_EQ(sim::Accessible(find.lstResults).name, "Results");

    sim::TypeText(find.txtFind, "z");
    sim::ProcessEvents();
    EXPECT_EQ(Results(), (std::vector<std::string>{"Zoë, Zimmer  —  first name: Zoë", "Zora, Abel  —  first name: Zora"}));
    sim::TypeText(find.txtFind, "oe");
    sim::ProcessEvents();
    EXPECT_EQ(Results(), std::vector<std::string>{"Zoë, Zimmer  —  first name: Zoë"});

    sim::PressKey(find, "Return");
    EXPECT_EQ(frm().lstAddress.ItemData(frm().lstAddress.ListIndex()), zoe);
    EXPECT_EQ(frm().txtFirstname.Text(), "Zoë");
    EXPECT_EQ(frm().txtLastname.Text(), "Zimmer");

    sim::PressKey(find, "Escape");
    EXPECT_FALSE(find.IsLoaded());
    EXPECT_TRUE(frm().IsLoaded());

    // The name list's context menu opens it again.
    const std::vector<std::string> entries = sim::ChooseFromContextMenu(frm().lstAddress, 0, "Find…");
    EXPECT_NE(std::find(entries.begin(), entries.end(), "Find…"), entries.end());
    EXPECT_TRUE(find.IsLoaded());
}

TEST_F(FindWindowTest, AnEmptyNameListShowsItsHintUntilTheFirstAddress) {
    frm().Show();
    sim::ProcessEvents();
    EXPECT_EQ(sim::Accessible(frm().lstAddress).description, kEmptyHint);
    const std::string withHint = sim::DarkestColour(frm().lstAddress);
    EXPECT_EQ(Mode(), kBrowseMode);

    frm().cmdAdd.Click();
    sim::TypeText(frm().txtFirstname, "Ada");
    frm().cmdSave.Click();
    sim::ProcessEvents();
    ASSERT_EQ(Names(), std::vector<std::string>{"Ada, "});
    EXPECT_EQ(sim::Accessible(frm().lstAddress).description, "");
    // The hint was drawn in grey; the name that replaced it is drawn darker.
    EXPECT_NE(withHint, sim::DarkestColour(frm().lstAddress));
}
