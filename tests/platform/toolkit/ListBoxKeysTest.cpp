// A list box's context menu from the keyboard and its entries' shortcuts.

#include <gtest/gtest.h>

#include "toolkit/Form.h"
#include "toolkit/Testing.h"
#include "toolkit/TestingKeys.h"

using namespace orvane::toolkit;

namespace {

class MenuForm : public Form {
public:
    MenuForm() : Form("Menu", 4000, 3000) {
        lstItems.Extras.contextMenu = {{"Open", [] {}},
                                       {"Synchronize", [this] { ++synced; }, [this] { return allowed; }, "F5"}};
    }
    static MenuForm& Instance() { return Forms::Get<MenuForm>(); }

    ListBox lstItems{*this, "lstItems"};
    CommandButton cmdOther{*this, "cmdOther"};
    int synced = 0;
    bool allowed = true;

protected:
    void BuildLayout() override {
        lstItems.Create(*this, 120, 120, 2200, 2600, 0);
        cmdOther.Create(*this, "Other", 2500, 120, 1200, 375, 1);
    }
};

class ListBoxKeysTest : public ::testing::Test {
protected:
    ListBoxKeysTest() {
        form.Show();
        for (int i = 0; i < 12; ++i) form.lstItems.AddItem("Entry " + std::to_string(i));
        form.lstItems.Refresh();
    }
    ~ListBoxKeysTest() override { Forms::UnloadAll(); }
    MenuForm& form = MenuForm::Instance();
};

TEST_F(ListBoxKeysTest, TheMenuKeyAndShiftF10OpenTheMenuAtTheSelectedEntry) {
    for (const char* key : {"Menu", "Shift+F10"}) {
        SCOPED_TRACE(key);
        std::vector<int> tops;
        for (const std::int32_t row : {0, 6}) {
            sim::MouseClickRow(form.lstItems, row);
            const auto menu = sim::MenuOpenedBy([&] { sim::PressKey(form, key); }, form.lstItems);
            ASSERT_TRUE(menu);
            ASSERT_EQ(menu->entries.size(), 2u);
            EXPECT_EQ(menu->entries[1].caption, "Synchronize");
            EXPECT_EQ(menu->entries[1].shortcut, "F5");
            EXPECT_EQ(menu->entries[0].shortcut, "");
            tops.push_back(menu->y);
        }
        EXPECT_GE(tops[0], 0);
        EXPECT_LT(tops[0], tops[1]);
    }
}

TEST_F(ListBoxKeysTest, AnEntrysShortcutWorksAnywhereInTheWindowOnlyWhileTheEntryIsEnabled) {
    form.cmdOther.SetFocus();
    sim::PressKey(form, "F5");
    sim::ProcessEvents();
    EXPECT_EQ(form.synced, 1);
    form.allowed = false;
    sim::PressKey(form, "F5");
    sim::ProcessEvents();
    EXPECT_EQ(form.synced, 1);
}

}  // namespace
