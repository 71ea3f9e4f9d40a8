#include "AddressBookFixture.h"
#include "toolkit/Screen.h"
#include "toolkit/Testing.h"

using namespace orvane::toolkit;

// Run under a real window manager (under-openbox.sh): the frame it puts
// around a window is what the centring must count.
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

}  // namespace
