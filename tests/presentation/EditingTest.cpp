#include "AddressBookFixture.h"
#include "CBusinessTier.h"
#include "core/Variant.h"
#include "toolkit/Application.h"
#include "toolkit/Testing.h"

using namespace orvane::toolkit;

namespace {

class EditingTest : public AddressBookTest {
protected:
    void SetUp() override {
        ann = folder.InsertAddress("Ann", "Lee", "1 Main St", "K1A", "Ontario", "Canada", "555-1");
        bob = folder.InsertAddress("Bob", "Ray", "2 Elm", "73301", "Texas", "United States", "555-2");
        frm().Show();
    }

    // What the database holds for one ID, read through a business tier of our own.
    static std::vector<std::string> Stored(std::int32_t id) {
        CBusinessTier tier;
        tier.GetAddressDetails(id);
        return {tier.FirstName(), tier.LastName(), tier.Addresss(), tier.PostalCode(),
                tier.State(),     tier.Country(),  tier.Phone()};
    }
    static std::int32_t StoredCount() {
        CBusinessTier tier;
        const orvane::Variant list = tier.FillList();
        return list.IsEmpty() ? 0 : list.Array().UBound(2) - list.Array().LBound(2) + 1;
    }

    void TypeFields(const std::vector<std::string>& texts) {
        frmOrvane& f = frm();
        Control* fields[] = {&f.txtFirstname, &f.txtLastname, &f.txtAddress,   &f.txtZip,
                             &f.cboStateProv, &f.cboCountry,  &f.txtPhoneNumber};
        for (std::size_t i = 0; i < texts.size(); ++i) {
            fields[i]->Text("");
            sim::TypeText(*fields[i], texts[i]);
        }
    }

    int ann = 0;
    int bob = 0;
};

TEST_F(EditingTest, AddEmptiesTheFieldsKeepingTheSelectionEditKeepsThemAndClearsAdding) {
    frm().lstAddress.ListIndex(1);
    sim::MouseClick(frm().cmdAdd);
    EXPECT_EQ(Fields(), std::vector<std::string>(7, ""));
    EXPECT_EQ(Mode(), kEditMode);
    EXPECT_TRUE(frm().mblnAdding);
    EXPECT_EQ(frm().lstAddress.ListIndex(), 1);
    EXPECT_EQ(frm().cboCountry.ListCount(), 3);
    ASSERT_NE(frm().ActiveControl(), nullptr);
    EXPECT_EQ(frm().ActiveControl()->Name(), "txtFirstname");

    frm().cmdCancel.Value(true);
    frm().lstAddress.ListIndex(0);
    sim::MouseClick(frm().cmdEdit);
    EXPECT_EQ(Fields()[0], "Ann");
    EXPECT_EQ(Mode(), kEditMode);
    EXPECT_FALSE(frm().mblnAdding);
    EXPECT_EQ(frm().ActiveControl()->Name(), "txtFirstname");
    // Disabled buttons ignore clicks.
    sim::MouseClick(frm().cmdAdd);
    EXPECT_FALSE(frm().mblnAdding);
}

TEST_F(EditingTest, SaveRefusesOnlyAnEmptyFirstName) {
    frm().cmdAdd.Value(true);
    TypeFields({"", "Nobody", "Somewhere"});
    frm().cmdSave.Value(true);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].prompt, "please enter a first name");
    EXPECT_EQ(messages.Shown()[0].style, 64);
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    EXPECT_EQ(Mode(), kEditMode);
    EXPECT_TRUE(frm().mblnAdding);
    EXPECT_EQ(Fields()[1], "Nobody");
    EXPECT_EQ(StoredCount(), 2);

    frm().txtFirstname.Text("  ");  // blanks are a name
    frm().cmdSave.Value(true);
    EXPECT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(StoredCount(), 3);
    EXPECT_EQ(Mode(), kBrowseMode);
}

TEST_F(EditingTest, SaveAfterAddStoresANewAddressAndShowsRowZero) {
    CBusinessTier* before = frm().mobjBusinessTier.get();
    frm().lstAddress.ListIndex(1);
    frm().cmdAdd.Value(true);
    TypeFields({"Cy", "Vale", "3 Oak", "V5K", "British Columbia", "Canada", "555-3"});
    frm().cmdSave.Value(true);
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Bob, Ray", "Cy, Vale"}));
    const std::int32_t cy = frm().lstAddress.ItemData(2);
    EXPECT_GT(cy, bob);
    EXPECT_EQ(Stored(cy), (std::vector<std::string>{"Cy", "Vale", "3 Oak", "V5K", "British Columbia", "Canada",
                                                    "555-3"}));
    // Back in browse mode with row 0 selected and shown, whichever was saved.
    EXPECT_EQ(Mode(), kBrowseMode);
    EXPECT_FALSE(frm().mblnAdding);
    EXPECT_EQ(frm().lstAddress.ListIndex(), 0);
    EXPECT_EQ(Fields()[0], "Ann");
    EXPECT_NE(frm().mobjBusinessTier.get(), before);
    // The reload fills each choice list once.
    EXPECT_EQ(frm().cboStateProv.ListCount(), 3);
    EXPECT_EQ(frm().cboCountry.ListCount(), 3);
}

TEST_F(EditingTest, SaveAfterEditUpdatesTheRowSelectedAtTheSave) {
    frm().lstAddress.ListIndex(0);
    frm().cmdEdit.Value(true);
    frm().lstAddress.ListIndex(1);  // overwrites the fields, stays in edit mode
    TypeFields({"Robert", "Ray", "2 Elm Street"});
    frm().cboCountry.Text("USA");  // typed, not from the list
    frm().cmdSave.Value(true);
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_EQ(Ids(), (std::vector<std::int32_t>{ann, bob}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Robert, Ray"}));
    EXPECT_EQ(Stored(bob), (std::vector<std::string>{"Robert", "Ray", "2 Elm Street", "73301", "Texas", "USA", "555-2"}));
    EXPECT_EQ(Stored(ann)[0], "Ann");
    EXPECT_EQ(frm().lstAddress.ListIndex(), 0);
}

TEST_F(EditingTest, SaveAfterEditWithNothingSelectedStoresANewAddress) {
    frm().cmdEdit.Value(true);
    TypeFields({"Dee", "Fox"});
    frm().cmdSave.Value(true);
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Bob, Ray", "Dee, Fox"}));
    EXPECT_EQ(Stored(ann)[0], "Ann");
    EXPECT_EQ(Stored(bob)[0], "Bob");
}

TEST_F(EditingTest, CancelKeepsTheChangedTextInTheDisabledFields) {
    frm().lstAddress.ListIndex(0);
    frm().cmdEdit.Value(true);
    TypeFields({"Changed"});
    frm().mblnAdding = true;
    frm().cmdCancel.Value(true);
    EXPECT_EQ(Mode(), kBrowseMode);
    EXPECT_EQ(Fields()[0], "Changed");
    EXPECT_TRUE(frm().mblnAdding);
    EXPECT_EQ(frm().lstAddress.ListIndex(), 0);
    EXPECT_EQ(Stored(ann)[0], "Ann");
    frm().lstAddress.ListIndex(0);  // shown again from the database
    EXPECT_EQ(Fields()[0], "Ann");
}

TEST_F(EditingTest, DeleteWithoutSelectionWarnsThenShowsRowZeroOrEmptiesTheFields) {
    frm().cmdDelete.Value(true);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].prompt, "Please select a item in the list to delete.");
    EXPECT_EQ(messages.Shown()[0].style, 64);
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    EXPECT_EQ(StoredCount(), 2);
    EXPECT_EQ(frm().lstAddress.ListIndex(), 0);
    EXPECT_EQ(Fields()[0], "Ann");

    folder.ExecSql("DELETE FROM tblAddress");
    frm().Unload();
    frm().Show();
    frm().txtFirstname.Text("left over");
    frm().cboCountry.Text("left over");
    frm().cmdDelete.Value(true);
    EXPECT_EQ(Prompts(), std::vector<std::string>(2, "Please select a item in the list to delete."));
    EXPECT_EQ(Fields(), std::vector<std::string>(7, ""));
}

TEST_F(EditingTest, DeleteAnsweredNoChangesNothing) {
    frm().lstAddress.ListIndex(1);
    messages.QueueAnswer(vbNo);
    frm().cmdDelete.Value(true);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].prompt, "Are you sure you want to delete \"Bob, Ray\"");
    EXPECT_EQ(messages.Shown()[0].style, 68);
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    EXPECT_EQ(StoredCount(), 2);
    EXPECT_EQ(frm().lstAddress.ListIndex(), 1);
    EXPECT_EQ(Fields()[0], "Bob");
}

TEST_F(EditingTest, AnAddressWithoutAFirstNameShowsItsLastNameInTheListAndTheConfirmation) {
    const int smith = folder.InsertAddress("", "Smith");
    folder.ExecSql("UPDATE tblAddress SET FirstName = NULL WHERE ID = " + std::to_string(smith));
    const int john = folder.InsertAddress("John", "");
    folder.ExecSql("UPDATE tblAddress SET LastName = NULL WHERE ID = " + std::to_string(john));
    frm().Form_Load();
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Bob, Ray", ", Smith", "John, "}));
    EXPECT_EQ(Ids(), (std::vector<std::int32_t>{ann, bob, smith, john}));

    sim::MouseClickRow(frm().lstAddress, 2);
    EXPECT_EQ(Fields()[1], "Smith");
    messages.QueueAnswer(vbNo);
    frm().cmdDelete.Value(true);
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Are you sure you want to delete \", Smith\""}));
    EXPECT_EQ(StoredCount(), 4);
}

TEST_F(EditingTest, DeleteAnsweredYesRemovesTheAddressAndShowsRowZeroUntilNoneIsLeft) {
    frm().lstAddress.ListIndex(0);
    CBusinessTier* before = frm().mobjBusinessTier.get();
    messages.QueueAnswer(vbYes);
    frm().cmdDelete.Value(true);
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Are you sure you want to delete \"Ann, Lee\""}));
    EXPECT_EQ(Ids(), (std::vector<std::int32_t>{bob}));
    EXPECT_EQ(frm().lstAddress.ListIndex(), 0);
    EXPECT_EQ(Fields()[0], "Bob");
    EXPECT_EQ(Mode(), kBrowseMode);
    EXPECT_NE(frm().mobjBusinessTier.get(), before);

    // The only address left.
    messages.QueueAnswer(vbYes);
    frm().cmdDelete.Value(true);
    EXPECT_EQ(frm().lstAddress.ListCount(), 0);
    EXPECT_EQ(Fields(), std::vector<std::string>(7, ""));
    EXPECT_EQ(Mode(), kBrowseMode);
    EXPECT_EQ(StoredCount(), 0);
}

TEST_F(EditingTest, CloseInEditModeSavesNothingAndAsksNothing) {
    frm().lstAddress.ListIndex(0);
    frm().cmdEdit.Value(true);
    TypeFields({"Unsaved"});
    sim::MouseClick(frm().cmdClose);
    EXPECT_FALSE(frm().IsLoaded());
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_EQ(Stored(ann)[0], "Ann");
    EXPECT_TRUE(Program::Ended());
}

TEST_F(EditingTest, ADatabaseErrorDuringSaveKeepsTheWindowAsItWas) {
    frm().lstAddress.ListIndex(1);
    frm().cmdAdd.Value(true);
    TypeFields({"Eve", "Moss", "4 Pine"});
    folder.ExecSql("DELETE FROM SavedQueries WHERE Name = 'SaveAddress'");
    frm().cmdSave.Value(true);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].title, "Address Book");
    EXPECT_FALSE(messages.Shown()[0].prompt.empty());
    // Still editing the new address, nothing lost, nothing reloaded.
    EXPECT_TRUE(frm().IsLoaded());
    EXPECT_EQ(Mode(), kEditMode);
    EXPECT_TRUE(frm().mblnAdding);
    EXPECT_EQ(Fields(), (std::vector<std::string>{"Eve", "Moss", "4 Pine", "", "", "", ""}));
    EXPECT_EQ(frm().lstAddress.ListIndex(), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann, Lee", "Bob, Ray"}));
    EXPECT_FALSE(Program::Ended());
    // The program goes on: Cancel still works.
    frm().cmdCancel.Value(true);
    EXPECT_EQ(Mode(), kBrowseMode);
}

}  // namespace
