#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "CardMeaning.h"
#include "AddressBookFixture.h"
#include "VCardProperties.h"
#include "toolkit/Testing.h"

using namespace orvane::toolkit;
using orvane::test::ReadVCards;
using orvane::test::VProperty;
using orvane::test::Without;

namespace {

// A phone's contact with far more than the seven fields: two e-mails,
// three phones, two addresses (one in a group with its label), a folded
// photo, a note, a birthday and a property of another program.
const char* const kCard =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "PRODID:-//Phone//Contacts//EN\r\n"
    "UID:3d1e6c1e-4b8f-4e0a-9c55-phone-card-1\r\n"
    "N:Lee;Ann;;Dr.;\r\n"
    "FN:Dr. Ann Lee\r\n"
    "EMAIL;TYPE=INTERNET,HOME:ann@home.example\r\n"
    "EMAIL;TYPE=INTERNET,WORK:ann.lee@work.example\r\n"
    "TEL;TYPE=CELL,pref:555-0101\r\n"
    "TEL;TYPE=HOME:555-0102\r\n"
    "TEL;TYPE=WORK,FAX:555-0103\r\n"
    "item1.ADR;TYPE=HOME,pref:;;1 Main St;;Ontario;K1A;Canada\r\n"
    "item1.X-ABLabel:Cottage\r\n"
    "ADR;TYPE=WORK:;;9 Office Rd;;Texas;73301;United States\r\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAP//////////////\r\n"
    " ////////////////////////////////////////////////////////////////////////\r\n"
    " //////////////wAALCAABAAEBAREA/8QAFAABAAAAAAAAAAAAAAAAAAAAA//EABQQAQAAAAAA\r\n"
    " AAAAAAAAAAAAAAD/2gAIAQEAAD8AN//Z\r\n"
    "NOTE:Met at the fair\\, brought the book\\nCall after six\r\n"
    "BDAY:1980-04-01\r\n"
    "URL:https://ann.example/about\r\n"
    "X-PHONE-RINGTONE;X-KIND=custom:bells\r\n"
    "END:VCARD\r\n";

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class KeptCardRoundTripTest : public AddressBookTest {
protected:
    // Runs orvane-transfer on the window's database; its exit status.
    int Transfer(std::vector<std::string> arguments) {
        arguments.push_back("--database");
        arguments.push_back(folder.DatabaseFile().string());
        std::string command = Quote(ORVANE_TRANSFER);
        for (const std::string& argument : arguments) command += " " + Quote(argument);
        const std::filesystem::path log = folder.Root() / "transfer.log";
        command += " </dev/null >" + Quote(log.string()) + " 2>&1";
        const int status = std::system(command.c_str());
        lastOutput = orvane::test::ReadFileBytes(log);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Export(const std::string& format) {
        const std::filesystem::path out = folder.Root() / ("out-" + format + ".vcf");
        EXPECT_EQ(Transfer({"export", out.string(), "--format", format}), 0) << lastOutput;
        return orvane::test::ReadFileBytes(out);
    }

    std::string lastOutput;
};

// The card's properties as the test compares them: N and FN checked on
// their own, VERSION differs by design.
std::vector<VProperty> Others(const std::vector<VProperty>& card) { return Without(card, {"N", "FN", "VERSION"}); }

const VProperty* Find(const std::vector<VProperty>& card, const std::string& name) {
    for (const VProperty& p : card)
        if (p.name == name) return &p;
    return nullptr;
}

TEST_F(KeptCardRoundTripTest, AnImportedCardEditedInTheWindowIsExportedWholeWithTheNewLastName) {
    folder.WriteFile("phone.vcf", kCard);
    ASSERT_EQ(Transfer({"import", (folder.Root() / "phone.vcf").string()}), 0) << lastOutput;
    EXPECT_EQ(lastOutput, "imported 1 address from 1 file, skipped 0 duplicates, 0 cards with problems\n");

    // The last name changed in the window: select, Edit, type, Save.
    frm().Show();
    ASSERT_EQ(Names(), std::vector<std::string>{"Ann, Lee"});
    sim::MouseClickRow(frm().lstAddress, 0);
    EXPECT_EQ(Fields(), (std::vector<std::string>{"Ann", "Lee", "1 Main St", "K1A", "Ontario", "Canada", "555-0101"}));
    sim::MouseClick(frm().cmdEdit);
    frm().txtLastname.Text("");
    sim::TypeText(frm().txtLastname, "Rivers");
    sim::MouseClick(frm().cmdSave);
    ASSERT_EQ(Names(), std::vector<std::string>{"Ann, Rivers"});

    const std::vector<VProperty> original = ReadVCards(kCard).at(0);
    for (const std::string format : {"vcard3", "vcard4"}) {
        SCOPED_TRACE(format);
        const std::string text = Export(format);
        const auto cards = ReadVCards(text);
        ASSERT_EQ(cards.size(), 1u) << text;
        const std::vector<VProperty>& card = cards[0];
        ASSERT_NE(Find(card, "VERSION"), nullptr);
        EXPECT_EQ(Find(card, "VERSION")->value, format == "vcard3" ? "3.0" : "4.0");
        ASSERT_NE(Find(card, "N"), nullptr);
        EXPECT_EQ(Find(card, "N")->value, "Rivers;Ann;;Dr.;");
        ASSERT_NE(Find(card, "FN"), nullptr);
        EXPECT_NE(Find(card, "FN")->value.find("Rivers"), std::string::npos);
        // Every other property as it came in, by meaning (4.0 writes the
        // phones as tel: URIs and pref as PREF=1).
        if (format == "vcard3") {
            EXPECT_EQ(Others(card), Others(original)) << text;
        }
        EXPECT_EQ(orvane::test::MeaningChanges(kCard, text),
                  (std::vector<std::string>{"lost: .FN:Dr. Ann Lee", "lost: .N:Lee;Ann;;Dr.;"}))
            << text;
    }
}

// An address typed in the window has no card: it is written as a plain
// new card, as before.
TEST_F(KeptCardRoundTripTest, AnAddressTypedInTheWindowIsExportedAsAPlainCard) {
    folder.InsertAddress("Bob", "Ray", "2 Elm", "73301", "Texas", "United States", "555-2");
    frm().Show();
    const std::string text = Export("vcard3");
    EXPECT_EQ(text,
              "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Orvane//Address Book//EN\r\nN:Ray;Bob;;;\r\nFN:Bob Ray\r\n"
              "ADR:;;2 Elm;;Texas;73301;United States\r\nTEL:555-2\r\nUID:urn:uuid:6f72766e-6164-8472-8000-000000000001\r\n"
              "END:VCARD\r\n");
}

}  // namespace
