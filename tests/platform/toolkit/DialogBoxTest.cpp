#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>

#include "toolkit/DialogBox.h"
#include "toolkit/TestingDialogs.h"

using orvane::toolkit::DialogBox;

namespace {

// What a value shows once the dialog has laid it out again.
struct ShownValue {
    bool wraps = false;
    int dialogWidth = 0;
    int height = 0;
    int heightNeeded = 0;
    int widthNeeded = 0;
    int width = 0;
};

ShownValue ShowValue(DialogBox& dialog, const std::string& value) {
    ShownValue shown;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!window) return;
        dialog.Value("Address book", value);
        QApplication::processEvents();
        auto* label = window->findChild<QLabel*>("Address book");
        shown.wraps = label->wordWrap();
        shown.dialogWidth = window->width();
        shown.width = label->width();
        shown.widthNeeded = label->sizeHint().width();
        shown.height = label->height();
        shown.heightNeeded = label->heightForWidth(label->width());
        dialog.Close(0);
    });
    dialog.Show();
    return shown;
}

}  // namespace

TEST(DialogBoxTest, ALongMessageWrapsWithinTheDialogAndAnAddressKeepsToOneLineInFull) {
    DialogBox dialog("Sync Account");
    dialog.AddText("Keep these addresses in step with an address book on a server.");
    dialog.AddTextField("Server address", "");
    dialog.AddValue("Address book", "(not checked yet)");
    dialog.CloseButtons({"OK", "Cancel"});

    std::string message = "The server cannot be reached:";
    for (int i = 0; i < 12; ++i) message += " the request to the server failed";
    const ShownValue error = ShowValue(dialog, message);
    EXPECT_TRUE(error.wraps);
    EXPECT_LT(error.dialogWidth, 800);
    // Every line of it is shown.
    EXPECT_GT(error.heightNeeded, 0);
    EXPECT_GE(error.height, error.heightNeeded);

    const std::string address = "https://dav.example.org/addressbooks/alice/family-contacts/";
    const ShownValue book = ShowValue(dialog, address);
    EXPECT_FALSE(book.wraps);
    EXPECT_GE(book.width, book.widthNeeded) << "dialog " << book.dialogWidth;
}

namespace {

// A screen reader reads each cell of a table with its column's header.
TEST(DialogBoxTest, ATableIsReadCellByCellWithItsColumnHeaders) {
    DialogBox dialog("Sync Conflict");
    dialog.AddTable({"Field", "On this computer", "On the server"}, {{"Last name", "Here", "There"}, {"Phone", "1", "2"}});
    dialog.CloseButtons({"OK"});
    orvane::toolkit::sim::DialogScript script;
    std::vector<std::vector<std::string>> read;
    script.Then([&](orvane::toolkit::sim::OpenDialog& open) {
        read = open.TableAsRead();
        open.Click("OK");
        return true;
    });
    EXPECT_EQ(dialog.Show(), 0);
    const std::vector<std::vector<std::string>> expected{
        {"Field: Last name", "On this computer: Here", "On the server: There"},
        {"Field: Phone", "On this computer: 1", "On the server: 2"}};
    EXPECT_EQ(read, expected);
}

}  // namespace
