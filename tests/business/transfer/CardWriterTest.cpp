#include <gtest/gtest.h>

#include "CardMeaning.h"
#include "RealWorldCards.h"
#include "transfer/CardWriter.h"
#include "transfer/VCardReader.h"

namespace orvane::transfer {
namespace {
using test::RealWorldCards;

AddressFields FieldsOf(const std::string& card) {
    ImportedCard read;
    VCardReader reader(card);
    EXPECT_TRUE(reader.Next(read));
    return read.fields;
}

const char* Name(VCardVersion version) { return version == VCardVersion::V40 ? "4.0" : "3.0"; }

// Every card written as 3.0 and as 4.0, and each of those again as 3.0 and
// 4.0: valid cards of that version with the content of the card read.
TEST(CardWriterTest, EveryCardIsWrittenValidInEachVersionWithItsMeaning) {
    for (const auto& card : RealWorldCards()) {
        const AddressFields fields = FieldsOf(card.text);
        for (const VCardVersion first : {VCardVersion::V30, VCardVersion::V40}) {
            for (const VCardVersion second : {VCardVersion::V30, VCardVersion::V40}) {
                SCOPED_TRACE(std::string(card.name) + " as " + Name(first) + " then " + Name(second));
                const std::string once = WriteKeptCard(card.text, first, fields, "uid-1");
                const std::string twice = WriteKeptCard(once, second, fields, "uid-2");
                EXPECT_EQ(test::FormatProblems(once, first), std::vector<std::string>{}) << once;
                EXPECT_EQ(test::FormatProblems(twice, second), std::vector<std::string>{}) << twice;
                EXPECT_EQ(test::MeaningChanges(card.text, once), std::vector<std::string>{}) << once;
                EXPECT_EQ(test::MeaningChanges(card.text, twice), std::vector<std::string>{}) << twice;
                // What the address book reads of the card stays what it was.
                EXPECT_EQ(FieldsOf(twice), fields);
                // The UID made for a card without one is kept from then on.
                EXPECT_EQ(twice.find("uid-2"), std::string::npos);
            }
        }
    }
}

std::string Unfolded(const std::string& card) {
    std::string out;
    for (const auto& line : sync::SplitCardLines(card)) out += line.unfolded + "\n";
    return out;
}

// How each version writes what the other has not.
TEST(CardWriterTest, PropertiesOneVersionLacksAreWrittenInTheFormTheOtherHas) {
    const auto card = [](const char* name) {
        for (const auto& c : RealWorldCards())
            if (std::string_view(c.name) == name) return c.text;
        return std::string();
    };
    struct Case {
        const char* card;
        VCardVersion version;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    };
    const Case cases[] = {
        {"phone21", VCardVersion::V30,
         {"N:Müller;Jürgen;;;", "TEL;TYPE=CELL,PREF:+49 170 1234567", "ADR;TYPE=HOME:;;Hauptstraße 5;Berlin;;10115;Deutschland",
          "NOTE:Erste Zeile\\nZweite Zeile\\, mit Komma\\; und einem längeren Text\\, der umbrochen wird",
          "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ", "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Jogi;1;;"},
         {"CHARSET", "\n\n"}},
        {"phone21", VCardVersion::V40,
         {"TEL;TYPE=CELL;VALUE=text;PREF=1:+49 170 1234567", "TEL;TYPE=HOME,VOICE;VALUE=uri:tel:030-123456", "PHOTO:data:image/jpeg;base64,/9j/4AAQ",
          "NOTE:Erste Zeile\\nZweite Zeile\\, mit Komma; und"},
         {"ENCODING"}},
        {"apple30", VCardVersion::V40,
         {"BDAY:--0521", "item1.EMAIL;TYPE=INTERNET;PREF=1:johnny@example.com", "item1.X-ABLABEL:_$!<Other>!$_",
          "TEL;TYPE=CELL,VOICE;VALUE=text;PREF=1:(408) 555-1234"},
         {"X-APPLE-OMIT-YEAR"}},
        {"profile30", VCardVersion::V40,
         {"ADR;TYPE=WORK,POSTAL;LABEL=\"Suite 100^n12 Elm Street^nSpringfield, IL 62701\":;Suite 100;",
          "N;SORT-AS=Jensen:Jensen;Barbara;Ann;Dr.;Jr.", "X-CLASS:PUBLIC", "CATEGORIES:Work,Friends"},
         {"PROFILE", "MAILER", "\nNAME", "\nLABEL", "SORT-STRING"}},
        {"profile30", VCardVersion::V30, {"VERSION:3.0\nPROFILE:VCARD\n", "LABEL;TYPE=WORK,POSTAL:Suite 100\\n"}, {}},
        {"card40", VCardVersion::V30,
         {"TEL;TYPE=work,voice,pref:+1-555-0100 ext. 12", "BDAY;X-APPLE-OMIT-YEAR=1604:1604-05-21",
          "X-ADDRESSBOOKSERVER-KIND:individual", "X-GENDER:F;she/her", "X-ANNIVERSARY:20090808",
          "PHOTO;ENCODING=b;TYPE=PNG:iVBOR", "X-LANG;TYPE=pref:es",
          "LABEL;TYPE=home:Casa \"Azul\"\\nCoyoacán", "X-CLIENTPIDMAP:1;urn:uuid:", "X-RELATED;TYPE=spouse:urn:uuid:"},
         {"\nKIND", "\nGENDER", "data:", "^"}},
        {"card40", VCardVersion::V40,
         {"ADR;TYPE=home;LABEL=Casa ^'Azul^'^nCoyoacán;GEO=\"geo:19.35,-99.16\":", "TEL;TYPE=cell;VALUE=text:+1 555 0199"},
         {}},
        {"onlyFn", VCardVersion::V30, {"N:Fullname;Only;;;", "FN:Only Fullname", "UID:made-here"}, {}},
        {"onlyN", VCardVersion::V40, {"FN:Nora Nameonly", "N:Nameonly;Nora;;;"}, {}},
        {"lower30", VCardVersion::V30, {"VERSION:3.0\nFN:Lower Case\n", "TEL;TYPE=work:+1 555 0100"}, {"version"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.card) + " as " + Name(c.version));
        const std::string text = card(c.card);
        const std::string written = Unfolded(WriteKeptCard(text, c.version, FieldsOf(text), "made-here"));
        for (const char* line : c.present) EXPECT_NE(written.find(line), std::string::npos) << line << "\n" << written;
        for (const char* line : c.absent) EXPECT_EQ(written.find(line), std::string::npos) << line << "\n" << written;
    }
}

}  // namespace
}  // namespace orvane::transfer
