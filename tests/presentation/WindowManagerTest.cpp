#include <cstdlib>

#include "AddressBookFixture.h"
#include "RadicaleServer.h"
#include "SyncSession.h"
#include "sync/SyncAccountService.h"
#include "toolkit/Screen.h"
#include "toolkit/Testing.h"
#include "toolkit/TestingDialogs.h"
#include "toolkit/TestingKeys.h"

using namespace orvane::toolkit;

// Run under a real window manager (under-openbox.sh): the frame it puts
// around a window is what the centring must count, and keys come through
// the X server as from a keyboard.
namespace {

using WindowManagerTest = AddressBookTest;

// Where the outer top-left corner of a window of that outer size belongs.
std::pair<int, int> Middle(const sim::PixelRect& outer) {
    return {Screen::TwipsToPixelsX((Screen::Width() - Screen::PixelsToTwipsX(outer.width)) / 2),
            Screen::TwipsToPixelsY((Screen::Height() - Screen::PixelsToTwipsY(outer.height)) / 2)};
}

TEST_F(WindowManagerTest, EachWindowFirstAppearsInTheMiddleByItsRealOuterSize) {
    // The address-book window is centred when it is created, before any of
    // the program's windows has been on the screen.
    const std::int32_t width = frm().Width();
    const std::int32_t height = frm().Height();
    frm().Show();
    ASSERT_TRUE(sim::WaitForFrame(frm()));
    const sim::PixelRect outer = sim::OuterGeometry(frm());
    ASSERT_GT(outer.height, Screen::TwipsToPixelsY(frm().ScaleHeight()));  // a title bar is there
    EXPECT_EQ(Screen::PixelsToTwipsX(outer.width), width);
    EXPECT_EQ(Screen::PixelsToTwipsY(outer.height), height);
    EXPECT_EQ(std::make_pair(outer.x, outer.y), Middle(outer));
    EXPECT_EQ(std::make_pair(frm().Left(), frm().Top()),
              std::make_pair(Screen::PixelsToTwipsX(outer.x), Screen::PixelsToTwipsY(outer.y)));

    for (Form* other : {static_cast<Form*>(&frmDiagram::Instance()), static_cast<Form*>(&frmDescription::Instance())}) {
        other->Show();
        ASSERT_TRUE(sim::WaitForFrame(*other)) << other->Caption();
        const sim::PixelRect otherOuter = sim::OuterGeometry(*other);
        EXPECT_EQ(std::make_pair(otherOuter.x, otherOuter.y), Middle(otherOuter)) << other->Caption();
    }
}

// Keys pressed on the keyboard reach sync: the Menu key and Shift+F10 open
// the name list's menu at the selected name, F5 synchronizes.
TEST_F(WindowManagerTest, RealKeysOpenTheMenuAtTheSelectedNameAndF5Synchronizes) {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");  // no keychain: the password is asked for
    orvane::test::RadicaleServer server;
    server.SeedBook("alice", "contacts", "Contacts");
    for (int i = 0; i < 8; ++i) folder.InsertAddress("Person", "N" + std::to_string(i));
    orvane::sync::SyncAccountService(WindowDatabase()).Setup({server.BaseUrl(), "alice", "alice-secret", {}, {}, {}, false});
    frm().Show();
    ASSERT_TRUE(sim::WaitForFrame(frm()));

    for (const char* key : {"Menu", "Shift+F10"}) {
        SCOPED_TRACE(key);
        std::vector<int> tops;
        for (const std::int32_t row : {0, 6}) {
            sim::MouseClickRow(frm().lstAddress, row);
            const auto menu = sim::MenuOpenedBy([&] { sim::PressKey(frm(), key); }, frm().lstAddress);
            ASSERT_TRUE(menu);
            ASSERT_FALSE(menu->entries.empty());
            const auto synchronize = std::find_if(menu->entries.begin(), menu->entries.end(),
                                                  [](const auto& entry) { return entry.caption == "Synchronize"; });
            ASSERT_NE(synchronize, menu->entries.end());
            EXPECT_EQ(synchronize->shortcut, "F5");
            tops.push_back(menu->y);
        }
        EXPECT_GE(tops[0], 0);
        EXPECT_LT(tops[0], tops[1]);
    }

    server.SeedCard("alice", "contacts", "zed.vcf",
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:uid-zed\r\nFN:Zed Zulu\r\nN:Zulu;Zed;;;\r\nEND:VCARD\r\n");
    sim::DialogScript script;
    script.Then([](sim::OpenDialog& dialog) {
        dialog.Type("Password", "alice-secret");
        dialog.Click("OK");
        return true;
    });
    sim::PressKey(frm(), "F5");
    EXPECT_TRUE(sim::ProcessEventsUntil([&] { return script.Remaining() == 0; }));
    EXPECT_TRUE(sim::ProcessEventsUntil([] { return Names().size() == 9 && !frmOrvane::Instance().SyncRunning(); }));
}

}  // namespace
