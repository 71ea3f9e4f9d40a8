#include <gtest/gtest.h>

#include <algorithm>

#include "TransferTestSupport.h"
#include "transfer/VCardReader.h"

using orvane::test::CrLf;
using orvane::test::Fields;
using orvane::transfer::ImportedCard;
using orvane::transfer::VCardReader;

namespace {

std::vector<ImportedCard> Read(const std::string& bytes) { return orvane::test::ReadAll<VCardReader>(bytes); }

// The line and message of a file the reader refuses.
// The line and message of a file the reader refuses.
std::pair<std::size_t, std::string> Refusal(const std::string& bytes) { return orvane::test::RefusalOf<VCardReader>(bytes); }

// A phone's export in vCard 2.1: quoted-printable UTF-8 with soft line
// breaks, bare type parameters, a preferred second phone, a folded photo.
TEST(VCardReaderTest, Version21FromAPhoneWithQuotedPrintableAndBareTypes) {
    const auto cards = Read(CrLf({
        "BEGIN:VCARD",
        "VERSION:2.1",
        "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=B6rg;;Dr.;",
        "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Dr. J=C3=B6rg M=C3=BCller",
        "TEL;HOME;VOICE:+49 30 1234",
        "TEL;CELL;PREF:+49 170 5555",
        "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Hauptstra=C3=9Fe 5=0D=0AHinterhaus;Berl=",
        "in;;10115;Deutschland",
        "EMAIL;INTERNET:joerg@example.de",
        "PHOTO;ENCODING=BASE64;JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD",
        " /2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8U",
        "",
        "END:VCARD",
        "BEGIN:VCARD",
        "VERSION:2.1",
        "N:Smith;John;;;",
        "TEL;WORK:555-0100",
        "END:VCARD",
    }));
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].fields, Fields("Jörg", "Müller", "Hauptstraße 5\r\nHinterhaus, Berlin", "10115", "",
                                      "Deutschland", "+49 170 5555"));
    EXPECT_EQ(cards[0].line, 1u);
    EXPECT_TRUE(cards[0].problems.empty());
    EXPECT_TRUE(cards[0].notStored.empty());  // every value stays in the kept card
    EXPECT_EQ(cards[1].fields, Fields("John", "Smith", "", "", "", "", "555-0100"));
    EXPECT_EQ(cards[1].line, 14u);
}

TEST(VCardReaderTest, Version21LatinOneQuotedPrintableAndEightBitFiles) {
    const auto qp = Read(CrLf({"BEGIN:VCARD", "VERSION:2.1",
                               "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Garc=EDa;Jos=E9", "END:VCARD"}));
    ASSERT_EQ(qp.size(), 1u);
    EXPECT_EQ(qp[0].fields[0], "José");
    EXPECT_EQ(qp[0].fields[1], "García");
    // A whole file in the single-byte code page, no encoding named.
    const auto raw = Read("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Fran\xE7ois;Andr\xE9\r\nEND:VCARD\r\n");
    ASSERT_EQ(raw.size(), 1u);
    EXPECT_EQ(raw[0].fields[0], "André");
    EXPECT_EQ(raw[0].fields[1], "François");
}

// A desktop contact manager's 3.0: grouped properties, TYPE lists, the
// preferred address second, folded lines and escapes.
TEST(VCardReaderTest, Version30WithGroupsTypeParametersAndFolding) {
    const auto cards = Read(CrLf({
        "BEGIN:VCARD",
        "VERSION:3.0",
        "PRODID:-//Apple Inc.//Mac OS X 10.15//EN",
        "N:O'Brien;Mary Ann;Louise;;",
        "FN:Mary Ann Louise O'Brien",
        "ORG:Acme\\, Inc.;",
        "item1.ADR;type=WORK:;;1 Work Way;Dublin;;D02;Ireland",
        "item1.X-ABADR:ie",
        "item2.ADR;type=HOME;type=pref:;Apt 4;12 Elm Street\\, Rear;Spring",
        " field;IL;62704;USA",
        "item2.X-ABLabel:_$!<Home>!$_",
        "TEL;type=WORK;type=VOICE:(555) 111-2222",
        "TEL;type=CELL;type=VOICE;type=pref:(555) 333-4444",
        "NOTE:Met at the fair\\nTalk again\\; soon",
        "END:VCARD",
    }));
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].fields, Fields("Mary Ann Louise", "O'Brien", "12 Elm Street, Rear, Apt 4, Springfield", "62704",
                                      "IL", "USA", "(555) 333-4444"));
    EXPECT_TRUE(cards[0].notStored.empty());  // every value stays in the kept card
}

// RFC 6350's own forms: TEL as a tel: URI with an extension, quoted
// parameter lists, PREF numbers, LABEL with a colon inside quotes.
TEST(VCardReaderTest, Version40WithUriPhonesAndPreferenceNumbers) {
    const auto cards = Read(CrLf({
        "BEGIN:VCARD",
        "VERSION:4.0",
        "FN:Simon Perreault",
        "N:Perreault;Simon;;;ing. jr,M.Sc.",
        "BDAY:--0203",
        "GENDER:M",
        "LANG;PREF=1:fr",
        "ADR;TYPE=home;PREF=2:;;1 Home Rd;Montreal;QC;H1H 1H1;Canada",
        "ADR;TYPE=work;PREF=1;LABEL=\"Suite D2-630: 2875 Laurier\":;Suite D2-630;2875 Laurier;Quebec;QC;G1V 2M2;"
        "Canada",
        "TEL;VALUE=uri;TYPE=\"work,voice\";PREF=2:tel:+1-418-656-9254;ext=102",
        "TEL;VALUE=uri;TYPE=\"work,cell,voice,video,text\";PREF=1:tel:+1-418-262-6501",
        "EMAIL;TYPE=work:simon.perreault@viagenie.ca",
        "END:VCARD",
    }));
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].fields, Fields("Simon", "Perreault", "2875 Laurier, Suite D2-630, Quebec", "G1V 2M2", "QC",
                                      "Canada", "+1-418-262-6501"));
    EXPECT_TRUE(cards[0].notStored.empty());  // every value stays in the kept card

    const auto ext = Read(CrLf({"BEGIN:VCARD", "VERSION:4.0", "FN:A B",
                                "TEL;VALUE=uri:tel:+1-555-0100;ext=7", "END:VCARD"}));
    EXPECT_EQ(ext[0].fields[6], "+1-555-0100 ext. 7");
}

TEST(VCardReaderTest, NamesFromFnAloneAndEncodingsOfTheWholeFile) {
    const std::string card = CrLf({"BEGIN:VCARD", "VERSION:3.0", "FN:Jean Claude Van Damme", "END:VCARD"});
    for (const std::string& bytes : {card, "\xEF\xBB\xBF" + card, orvane::test::Utf16LeFromAscii(card),
                                     card.substr(0, card.size() - 2) /* no line end at the end */}) {
        const auto cards = Read(bytes);
        ASSERT_EQ(cards.size(), 1u);
        EXPECT_EQ(cards[0].fields[0], "Jean Claude Van");
        EXPECT_EQ(cards[0].fields[1], "Damme");
    }
    const auto single = Read(CrLf({"BEGIN:VCARD", "VERSION:3.0", "FN:Cher", "END:VCARD"}));
    EXPECT_EQ(single[0].fields[0], "Cher");
    EXPECT_EQ(single[0].fields[1], "");
    // Lower-case names, LF line ends, tab folding, blank lines between cards.
    const auto loose = Read("begin:vcard\nversion:3.0\nn:Doe;Jane\n\ttte\nend:vcard\n\n\nBEGIN:VCARD\nN:X;Y\nEND:VCARD");
    ASSERT_EQ(loose.size(), 2u);
    // An end-of-file mark after the last card is no damage.
    EXPECT_EQ(Read(CrLf({"BEGIN:VCARD", "N:A;B", "END:VCARD"}) + "\x1A").size(), 1u);
    EXPECT_EQ(loose[0].fields[0], "Janette");
    EXPECT_EQ(loose[1].fields[1], "X");
}

TEST(VCardReaderTest, ProblemsInACardAreReportedWithTheirLines) {
    const auto cards = Read(CrLf({
        "BEGIN:VCARD",
        "VERSION:2.1",
        "N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:Tanaka;Taro",
        "TEL;ENCODING=QUOTED-PRINTABLE:555=ZZ01",
        "END:VCARD",
        "BEGIN:VCARD",
        "VERSION:9.9",
        "EMAIL:only@example.com",
        "END:VCARD",
    }));
    ASSERT_EQ(cards.size(), 2u);
    ASSERT_EQ(cards[0].problems.size(), 2u);
    EXPECT_EQ(cards[0].problems[0].line, 3u);
    EXPECT_NE(cards[0].problems[0].message.find("SHIFT_JIS"), std::string::npos);
    EXPECT_EQ(cards[0].problems[1].line, 4u);
    EXPECT_EQ(cards[0].fields[6], "555=ZZ01");
    EXPECT_EQ(cards[0].fields[1], "Tanaka");
    ASSERT_EQ(cards[1].problems.size(), 1u);
    EXPECT_EQ(cards[1].problems[0].line, 7u);
    EXPECT_TRUE(cards[1].IsBlank());
}

TEST(VCardReaderTest, DamagedFilesAreRefusedAtTheLineWhereReadingStopped) {
    EXPECT_EQ(Refusal(CrLf({"BEGIN:VCARD", "N:A;B", "END:VCARD", "BEGIN:VCARD", "N:C;D"})).first, 4u);
    EXPECT_EQ(Refusal(CrLf({"BEGIN:VCARD", "N:A;B", "this line has no colon", "END:VCARD"})).first, 3u);
    EXPECT_EQ(Refusal(CrLf({"BEGIN:VCARD", "N:A;B", "END:VCARD", "trailing words"})).first, 4u);
    EXPECT_EQ(Refusal(CrLf({"BEGIN:VCARD", "N:A;B", "BEGIN:VCARD", "END:VCARD"})).first, 3u);
    EXPECT_EQ(Refusal(CrLf({"BEGIN:VCALENDAR", "END:VCALENDAR"})).first, 1u);
    const auto [line, message] = Refusal(CrLf({"", "BEGIN:VCARD", "N:A;B"}));
    EXPECT_EQ(line, 2u);
    EXPECT_NE(message.find("END:VCARD"), std::string::npos);
}

}  // namespace
