#include <fstream>
#include <iterator>

#include "AddressBookFixture.h"
#include "toolkit/Clipboard.h"
#include "toolkit/FileDialog.h"
#include "toolkit/Testing.h"
#include "toolkit/TestingExtras.h"

using namespace orvane::toolkit;

namespace {

const std::vector<std::string> kMenu{"Import Addresses…", "Export Addresses…", "Copy Address",
                                     "Synchronize",       "Sync Account…",     "Sync Conflicts…",
                                     "Show Card…",        "Find…"};

class TransferTest : public AddressBookTest {
protected:
    void SetUp() override {
        folder.InsertAddress("Ann", "Lee", "1 Main St\nRear", "K1A", "Ontario", "Canada", "555-1");
        folder.InsertAddress("Bob", "Ray", "", "73301", "Texas", "", "555-2");
        frm().Show();
        sim::ProcessEvents();
    }

    std::string File(const std::string& name, const std::string& bytes) {
        folder.WriteFile(name, bytes);
        return (folder.Root() / name).string();
    }
    std::string Read(const std::string& name) {
        std::ifstream in(folder.Root() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    FileDialogTester dialogs;
};

TEST_F(TransferTest, TheNameListsMenuAndCtrlCCopyTheSelectedAddressOneFieldALine) {
    Clipboard::SetText("before");
    // Nothing selected: copying leaves the clipboard alone.
    EXPECT_EQ(sim::ChooseFromContextMenu(frm().lstAddress, -1, "Copy Address"), kMenu);
    EXPECT_EQ(Clipboard::GetText(), "before");

    EXPECT_EQ(sim::ChooseFromContextMenu(frm().lstAddress, 1, "Copy Address"), kMenu);
    EXPECT_EQ(frm().lstAddress.ListIndex(), 1);
    EXPECT_EQ(Clipboard::GetText(), "Bob\nRay\n73301\nTexas\n555-2");

    frm().lstAddress.ListIndex(0);
    frm().lstAddress.SetFocus();
    sim::KeyCopy(frm().lstAddress);
    EXPECT_EQ(Clipboard::GetText(), "Ann\nLee\n1 Main St\nRear\nK1A\nOntario\nCanada\n555-1");
    // Dismissing the menu does nothing; the window stays as it was.
    EXPECT_EQ(sim::ChooseFromContextMenu(frm().lstAddress, 0, ""), kMenu);
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(Mode(), kBrowseMode);
}

TEST_F(TransferTest, ImportThroughTheMenuReloadsTheListAndReportsInAMessageBox) {
    frm().cmdEdit.Value(true);
    dialogs.QueueOpen({File("new.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Young;Cy\r\nEMAIL:cy@example.com\r\n"
                                       "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann\r\n"
                                       "ADR:;;1 Main St\\nRear;;Ontario;K1A;Canada\r\nTEL:555-1\r\nEND:VCARD\r\n"),
                       File("more.csv", "Name,Phone\nDee Dunn,555-4\n")});
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Import Addresses…");
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_FALSE(dialogs.Shown()[0].save);
    EXPECT_EQ(dialogs.Shown()[0].title, "Import Addresses");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Bob, Ray", "Cy, Young", "Dee, Dunn"}));
    EXPECT_EQ(frm().lstAddress.ListIndex(), 0);
    EXPECT_EQ(Fields()[0], "Ann");
    EXPECT_EQ(Mode(), kBrowseMode);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    EXPECT_EQ(messages.Shown()[0].style, vbInformation);
    EXPECT_EQ(messages.Shown()[0].prompt,
              "Imported 2 addresses from 2 files, skipped 1 duplicate, 0 cards with problems.");

    // A cancelled dialog imports nothing and says nothing.
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Import Addresses…");
    EXPECT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(Names().size(), 4u);
}

TEST_F(TransferTest, DroppedContactFilesAreImportedAndProblemsShown) {
    const std::string damaged = File("damaged.VCF", "BEGIN:VCARD\r\nN:Gone;Never\r\n");
    const std::string good = File("good.csv", "First Name,Last Name\nEve,Ott\n");
    const std::string other = File("notes.txt", "First Name\nNot Imported\n");
    EXPECT_FALSE(sim::DropFiles(frm().lstAddress, {other}));
    EXPECT_TRUE(messages.Shown().empty());

    EXPECT_TRUE(sim::DropFiles(frm().lstAddress, {damaged, other, good}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Bob, Ray", "Eve, Ott"}));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].style, vbExclamation);
    EXPECT_EQ(messages.Shown()[0].prompt,
              "Imported 1 address from 1 file, skipped 0 duplicates, 0 cards with problems, 1 file refused.\n\n"
              "damaged.VCF:1: the card that begins here has no END:VCARD; nothing from this file was stored");
}

TEST_F(TransferTest, ExportThroughTheMenuWritesTheChosenFormat) {
    dialogs.QueueSave({(folder.Root() / "all.csv").string(), 0});
    dialogs.QueueSave({(folder.Root() / "cards").string(), 1});
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Export Addresses…");
    sim::ChooseFromContextMenu(frm().lstAddress, -1, "Export Addresses…");
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_TRUE(dialogs.Shown()[0].save);
    EXPECT_EQ(dialogs.Shown()[0].title, "Export Addresses");
    EXPECT_EQ(Read("all.csv"), "Firstname,Lastname,Address,Zip/PostalCode,State/Province,Country,PhoneNumber\r\n"
                               "Ann,Lee,\"1 Main St\nRear\",K1A,Ontario,Canada,555-1\r\n"
                               "Bob,Ray,,73301,Texas,,555-2\r\n");
    const std::string cards = Read("cards.vcf");
    EXPECT_NE(cards.find("VERSION:3.0\r\nPRODID:-//Orvane//Address Book//EN\r\nN:Lee;Ann;;;\r\n"), std::string::npos);
    EXPECT_NE(cards.find("ADR:;;1 Main St\\nRear;;Ontario;K1A;Canada\r\n"), std::string::npos);
    ASSERT_EQ(messages.Shown().size(), 2u);
    EXPECT_EQ(messages.Shown()[0].prompt, "Exported 2 addresses to all.csv.");
    EXPECT_EQ(messages.Shown()[1].prompt, "Exported 2 addresses to cards.vcf.");
    EXPECT_EQ(messages.Shown()[1].title, "Address Book");
}

}  // namespace
