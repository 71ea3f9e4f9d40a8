#include <gtest/gtest.h>

#include <QListView>

#include "SampleForm.h"
#include "core/Error.h"
#include "toolkit/Testing.h"

using namespace orvane;
using namespace orvane::toolkit;

namespace {

class ListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        form().Show();
        form().clicks.clear();
    }
    void TearDown() override {
        Forms::UnloadAll();
        sim::ProcessEvents();
    }
    static SampleForm& form() { return SampleForm::Instance(); }
    static ListBox& list() { return form().lstItems; }
    static void Fill(std::initializer_list<const char*> items) {
        for (const char* item : items) {
            list().AddItem(item);
            list().ItemData(list().NewIndex(), 100 + list().NewIndex());
        }
    }
};

TEST_F(ListBoxTest, EntriesStayInTheOrderAddedWithTheirItemData) {
    EXPECT_EQ(list().NewIndex(), -1);
    Fill({"Zed", "Adam", "", "Mia"});
    EXPECT_EQ(list().ListCount(), 4);
    EXPECT_EQ(list().NewIndex(), 3);
    EXPECT_EQ(list().List(0), "Zed");
    EXPECT_EQ(list().List(1), "Adam");
    EXPECT_EQ(list().List(2), "");
    EXPECT_EQ(list().ItemData(0), 100);
    EXPECT_EQ(list().ItemData(3), 103);
    list().ItemData(1, -7);
    EXPECT_EQ(list().ItemData(1), -7);
    // Nothing is selected by adding.
    EXPECT_EQ(list().ListIndex(), -1);
    EXPECT_EQ(list().Text(), "");
    EXPECT_TRUE(form().clicks.empty());
    // The view shows them in that order once the batch reaches it.
    sim::ProcessEvents();
    auto* view = static_cast<QListView*>(list().Widget());
    EXPECT_EQ(view->model()->rowCount(), 4);
    EXPECT_EQ(view->model()->index(1, 0).data().toString(), "Adam");
}

TEST_F(ListBoxTest, BadIndexesAreErrors) {
    Fill({"a", "b"});
    EXPECT_THROW((void)list().ItemData(2), Error);
    EXPECT_THROW((void)list().ItemData(-1), Error);
    EXPECT_THROW(list().ItemData(5, 1), Error);
    EXPECT_THROW(list().ListIndex(2), Error);
    EXPECT_THROW(list().Selected(-1, true), Error);
    EXPECT_EQ(list().ListIndex(), -1);
}

TEST_F(ListBoxTest, SelectingByCodeRaisesClick) {
    Fill({"a", "b", "c"});
    list().ListIndex(1);
    EXPECT_EQ(list().ListIndex(), 1);
    EXPECT_EQ(list().Text(), "b");
    EXPECT_TRUE(list().Selected(1));
    EXPECT_FALSE(list().Selected(0));
    list().Selected(0, true);
    EXPECT_EQ(list().ListIndex(), 0);
    EXPECT_EQ(list().Text(), "a");
    // Setting the selected entry again is a click again.
    list().Selected(0, true);
    EXPECT_EQ(form().clicks, (std::vector<std::string>{"lstItems 1", "lstItems 0", "lstItems 0"}));
    list().ListIndex(-1);
    EXPECT_EQ(list().ListIndex(), -1);
    EXPECT_EQ(list().Text(), "");
    EXPECT_EQ(form().clicks.size(), 3u);
}

TEST_F(ListBoxTest, SelectingByMouseOrKeyboardRaisesClick) {
    Fill({"a", "b", "c"});
    sim::MouseClickRow(list(), 2);
    EXPECT_EQ(list().ListIndex(), 2);
    list().SetFocus();
    list().ListIndex(0);
    form().clicks.clear();
    sim::KeyDown(list());
    EXPECT_EQ(list().ListIndex(), 1);
    EXPECT_EQ(form().clicks, (std::vector<std::string>{"lstItems 1"}));
}

TEST_F(ListBoxTest, ClearEmptiesEntriesAndSelectionWithoutAClick) {
    Fill({"a", "b"});
    list().ListIndex(1);
    form().clicks.clear();
    list().Clear();
    EXPECT_EQ(list().ListCount(), 0);
    EXPECT_EQ(list().ListIndex(), -1);
    EXPECT_EQ(list().NewIndex(), -1);
    EXPECT_EQ(list().Text(), "");
    EXPECT_TRUE(form().clicks.empty());
    Fill({"c"});
    list().Selected(0, true);
    EXPECT_EQ(list().Text(), "c");
}

TEST_F(ListBoxTest, AMillionEntries) {
    const std::int32_t count = 1'000'000;
    for (std::int32_t i = 0; i < count; ++i) {
        list().AddItem("Person " + std::to_string(i) + ", Family");
        list().ItemData(list().NewIndex(), i * 2);
    }
    EXPECT_EQ(list().ListCount(), count);
    EXPECT_EQ(list().NewIndex(), count - 1);
    list().ListIndex(count - 1);
    EXPECT_EQ(list().Text(), "Person 999999, Family");
    EXPECT_EQ(list().ItemData(list().ListIndex()), 1'999'998);
    sim::ProcessEvents();
    EXPECT_EQ(static_cast<QListView*>(list().Widget())->model()->rowCount(), count);
    list().Clear();
    EXPECT_EQ(list().ListCount(), 0);
}

}  // namespace
