#include <string>
#include <vector>

#include "AddressBookFixture.h"
#include "toolkit/TestingTypeAhead.h"

using namespace orvane::toolkit;

namespace {

// Typing a letter in the name list selects the next name that begins with
// it, and the window shows that address.
class NameListTypeAheadTest : public AddressBookTest {
protected:
    // One first name for each letter, stored from Z to A (the list keeps the
    // order they were stored in).
    void StoreOneNamePerLetter() {
        for (char letter = 'Z'; letter >= 'A'; --letter) folder.InsertAddress(std::string(1, letter) + "ella", "Stone");
    }
};

TEST_F(NameListTypeAheadTest, ALowerCaseLetterFindsTheNameThatBeginsWithItForEveryLetter) {
    StoreOneNamePerLetter();
    frm().Show();
    // From a to z: every search but the first starts after the name found
    // before it, so z is found by going round past the end of the list.
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        SCOPED_TRACE(std::string("typed ") + letter);
        sim::TypeAhead(frm().lstAddress, std::string(1, letter));
        const std::string first = std::string(1, static_cast<char>(letter - 'a' + 'A')) + "ella";
        EXPECT_EQ(frm().lstAddress.Text(), first + ", Stone");
        EXPECT_EQ(frm().txtFirstname.Text(), first);
    }
}

TEST_F(NameListTypeAheadTest, AnUpperCaseLetterFindsTheSameNamesFromZToA) {
    StoreOneNamePerLetter();
    frm().Show();
    for (char letter = 'Z'; letter >= 'A'; --letter) {
        SCOPED_TRACE(std::string("typed ") + letter);
        sim::TypeAhead(frm().lstAddress, std::string(1, letter));
        EXPECT_EQ(frm().lstAddress.Text(), std::string(1, letter) + "ella, Stone");
    }
}

TEST_F(NameListTypeAheadTest, LettersTypedTogetherNarrowTheSearchAndANameWithoutAMatchStays) {
    folder.InsertAddress("Zoe", "Adams");
    folder.InsertAddress("Zack", "Brown");
    folder.InsertAddress("Zed", "Cole");
    frm().Show();
    sim::TypeAhead(frm().lstAddress, "zed");
    EXPECT_EQ(frm().lstAddress.Text(), "Zed, Cole");
    sim::TypeAhead(frm().lstAddress, "zq");  // z finds Zoe after Zed; zq finds nothing and Zoe stays
    EXPECT_EQ(frm().lstAddress.Text(), "Zoe, Adams");
    EXPECT_EQ(frm().txtLastname.Text(), "Adams");
}

}  // namespace
