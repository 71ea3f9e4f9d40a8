#include <gtest/gtest.h>

#include <QApplication>
#include <QListView>
#include <QTest>

#include "SampleForm.h"

using namespace orvane;
using namespace orvane::toolkit;

namespace {

class ListBoxTest : public SampleFormTest {
protected:
    void Fill(std::initializer_list<const char*> items) {
        for (const char* item : items) {
            list.AddItem(item);
            list.ItemData(list.NewIndex(), 100 + list.NewIndex());
        }
    }
    std::int32_t ViewRows() {
        sim::ProcessEvents();  // entries reach the view in batches
        return static_cast<QListView*>(list.Widget())->model()->rowCount();
    }
    ListBox& list = form.lstItems;
};

// Typing into the list finds the next entry that starts with what was typed.
// The keys of one test count as one search however slowly they arrive.
class TypeAheadTest : public ListBoxTest {
protected:
    void SetUp() override {
        ListBoxTest::SetUp();
        savedInterval_ = QApplication::keyboardInputInterval();
        QApplication::setKeyboardInputInterval(3'600'000);
        Fill({"Zed", "adam", "\xC3\x89mile", "Ada Lovelace", "Bob"});
        list.Refresh();
    }
    void TearDown() override {
        QApplication::setKeyboardInputInterval(savedInterval_);
        ListBoxTest::TearDown();
    }
    // One key press per character, carrying that character as its text.
    void Type(const char* utf8) {
        for (const QChar c : QString::fromUtf8(utf8))
            QTest::sendKeyEvent(QTest::Click, list.Widget(), static_cast<Qt::Key>(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    }

private:
    int savedInterval_ = 0;
};

TEST_F(ListBoxTest, EntriesStayInTheOrderAddedWithTheirItemData) {
    EXPECT_EQ(list.NewIndex(), -1);
    Fill({"Zed", "Adam", "", "Mia"});
    EXPECT_EQ(list.ListCount(), 4);
    EXPECT_EQ(list.NewIndex(), 3);
    EXPECT_EQ(list.List(0), "Zed");
    EXPECT_EQ(list.List(1), "Adam");
    EXPECT_EQ(list.List(2), "");
    EXPECT_EQ(list.ItemData(0), 100);
    EXPECT_EQ(list.ItemData(3), 103);
    // Nothing is selected by adding.
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.Text(), "");
    EXPECT_TRUE(form.clicks.empty());
    EXPECT_EQ(ViewRows(), 4);
    EXPECT_EQ(static_cast<QListView*>(list.Widget())->model()->index(1, 0).data().toString(), "Adam");

    // Indexes past either end are errors and change nothing.
    constexpr std::int32_t kInvalidPropertyValue = 380, kInvalidPropertyArrayIndex = 381;
    EXPECT_EQ(ErrorOf([&] { (void)list.ItemData(-1); }).Number(), kInvalidPropertyArrayIndex);
    EXPECT_EQ(ErrorOf([&] { list.ItemData(4, 1); }).Number(), kInvalidPropertyArrayIndex);
    EXPECT_EQ(ErrorOf([&] { list.ListIndex(4); }).Number(), kInvalidPropertyValue);
    EXPECT_EQ(ErrorOf([&] { list.Selected(-1, true); }).Number(), kInvalidPropertyArrayIndex);
    EXPECT_EQ(list.ListIndex(), -1);
}

TEST_F(ListBoxTest, SelectingByCodeRaisesClickAndClearDoesNot) {
    Fill({"a", "b", "c"});
    list.ListIndex(1);
    EXPECT_EQ(list.Text(), "b");
    EXPECT_TRUE(list.Selected(1));
    EXPECT_FALSE(list.Selected(0));
    list.Selected(0, true);
    EXPECT_EQ(list.Text(), "a");
    // Setting the selected entry again is a click again.
    list.Selected(0, true);
    EXPECT_EQ(form.clicks, (std::vector<std::string>{"lstItems 1", "lstItems 0", "lstItems 0"}));
    list.ListIndex(-1);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.Text(), "");
    EXPECT_EQ(form.clicks.size(), 3u);

    list.ListIndex(2);
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.NewIndex(), -1);
    EXPECT_EQ(list.Text(), "");
    EXPECT_EQ(form.clicks.size(), 4u);
}

TEST_F(ListBoxTest, SelectingByMouseOrKeyboardRaisesClick) {
    Fill({"a", "b", "c"});
    sim::MouseClickRow(list, 2);
    EXPECT_EQ(form.clicks, (std::vector<std::string>{"lstItems 2"}));
    list.SetFocus();
    list.ListIndex(0);
    form.clicks.clear();
    sim::KeyDown(list);
    EXPECT_EQ(form.clicks, (std::vector<std::string>{"lstItems 1"}));
}

TEST_F(TypeAheadTest, ANewSearchStartsAfterTheSelectedEntryAndWrapsIgnoringCase) {
    list.ListIndex(3);
    form.clicks.clear();
    Type("a");
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(form.clicks, (std::vector<std::string>{"lstItems 1"}));
}

TEST_F(TypeAheadTest, TheTypedTextGrowsAcrossLettersOutsideAsciiAndAMissStaysPut) {
    Type("\xC3\xA9M");  // "éM" finds "Émile"
    EXPECT_EQ(list.Text(), "\xC3\x89mile");
    Type("z");
    EXPECT_EQ(list.ListIndex(), 2);
    EXPECT_EQ(form.clicks, (std::vector<std::string>{"lstItems 2"}));
}

TEST_F(ListBoxTest, AMillionEntries) {
    const std::int32_t count = 1'000'000;
    for (std::int32_t i = 0; i < count; ++i) {
        list.AddItem("Person " + std::to_string(i) + ", Family");
        list.ItemData(list.NewIndex(), i * 2);
    }
    EXPECT_EQ(list.ListCount(), count);
    EXPECT_EQ(list.NewIndex(), count - 1);
    // Entries from before the list outgrew its first, small buffer are kept.
    EXPECT_EQ(list.List(0), "Person 0, Family");
    EXPECT_EQ(list.ItemData(1), 2);
    EXPECT_EQ(list.List(123'456), "Person 123456, Family");
    EXPECT_EQ(list.ItemData(654'321), 1'308'642);
    list.ListIndex(count - 1);
    EXPECT_EQ(list.Text(), "Person 999999, Family");
    EXPECT_EQ(list.ItemData(list.ListIndex()), 1'999'998);
    EXPECT_EQ(ViewRows(), count);
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(ViewRows(), 0);
}

}  // namespace
