#pragma once

#include <string>
#include <vector>

// Cards as the programs that make them write them, typed by hand: one
// place for every test that needs cards from the world outside.
namespace orvane::test {

struct RealWorldCard {
    const char* name;
    std::string text;
};

inline std::string CrLfCard(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* line : lines) out += std::string(line) + "\r\n";
    return out;
}

inline std::string LfCard(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* line : lines) out += std::string(line) + "\n";
    return out;
}

inline const std::vector<RealWorldCard>& RealWorldCards() {
    static const std::vector<RealWorldCard> cards = {
        // A phone's 2.1 export: quoted-printable with soft breaks, a
        // Windows-1252 and a UTF-8 charset, bare parameters, a photo over
        // several lines closed by a blank line, no UID.
        {"phone21",
         CrLfCard({"BEGIN:VCARD", "VERSION:2.1", "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;;",
               "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BCller", "TEL;CELL;PREF:+49 170 1234567",
               "TEL;HOME;VOICE:030-123456", "EMAIL;INTERNET;HOME:juergen@example.de",
               "ADR;HOME;CHARSET=windows-1252;ENCODING=QUOTED-PRINTABLE:;;Hauptstra=DFe 5;Berlin;;10115;Deutschland",
               "TITLE;CHARSET=windows-1252:Bäckermeister",
               "NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Erste Zeile=0D=0AZweite Zeile, mit Komma; und einem l=",
               "=C3=A4ngeren Text, der umbrochen wird",
               "PHOTO;JPEG;ENCODING=BASE64:",
               " /9j/4AAQSkZJRgABAQEASABIAAD/2wBDAP//////////////////////////////////////////",
               " ////////////////////////////////////////////wAALCAABAAEBAREA/8QAFAABAAAAAAAA",
               " AAAAAAAAAAAAA//EABQQAQAAAAAAAAAAAAAAAAAAAAD/2gAIAQEAAD8AN//Z", "",
               "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Jogi;1;;;;;;;;;;;;;", "END:VCARD"})},
        // Apple Contacts 3.0: grouped properties with labels, a birthday
        // without a year, a photo in base64.
        {"apple30",
         CrLfCard({"BEGIN:VCARD", "VERSION:3.0", "PRODID:-//Apple Inc.//iPhone OS 17.0//EN", "N:Appleseed;Johnny;;;",
               "FN:Johnny Appleseed", "ORG:Apple Inc.;", "item1.EMAIL;type=INTERNET;type=pref:johnny@example.com",
               "item1.X-ABLabel:_$!<Other>!$_", "TEL;type=CELL;type=VOICE;type=pref:(408) 555-1234",
               "item2.ADR;type=HOME;type=pref:;;1 Infinite Loop;Cupertino;CA;95014;United States",
               "item2.X-ABADR:us", "BDAY;X-APPLE-OMIT-YEAR=1604:1604-05-21",
               "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAP////////////////////",
               " //////////////////////////////////////////////////////////wAALCAABAAEBAREA/8QAF",
               " AABAAAAAAAAAAAAAAAAAAAAA//EABQQAQAAAAAAAAAAAAAAAAAAAAD/2gAIAQEAAD8AN//Z",
               "UID:8F3A0C3C-1234-4F6E-9A1B-0C7D2E3F4A5B", "END:VCARD"})},
        // A 3.0 card in lower case, its version line in the middle, LF line
        // ends, a note of 200 characters on one line, no UID.
        {"lower30",
         LfCard({"begin:vcard", "fn:Lower Case", "n:Case;Lower;;;", "version:3.0", "tel;type=work:+1 555 0100",
             "email;type=internet:lower@example.org",
             "note:Lorem ipsum dolor sit amet\\, consectetur adipiscing elit\\; sed do eiusmod tempor incididunt ut "
             "labore et dolore magna aliqua.\\nUt enim ad minim veniam\\, quis nostrud exercitation ullamco laboris "
             "nisi ut aliquip ex ea commodo",
             "end:vcard"})},
        // An LDAP or Evolution 3.0 export: PROFILE before VERSION, NAME,
        // MAILER, SOURCE, a LABEL beside its ADR, CLASS and SORT-STRING.
        {"profile30",
         CrLfCard({"BEGIN:VCARD", "PROFILE:VCARD", "VERSION:3.0", "NAME:Evolution export",
               "SOURCE:ldap://ldap.example.com/cn=Babs%20Jensen", "MAILER:Evolution 3.46",
               "N:Jensen;Barbara;Ann;Dr.;Jr.", "FN:Dr. Barbara Ann Jensen Jr.",
               "ADR;TYPE=WORK,POSTAL:;Suite 100;12 Elm Street;Springfield;IL;62701;USA",
               "LABEL;TYPE=WORK,POSTAL:Suite 100\\n12 Elm Street\\nSpringfield\\, IL 62701",
               "CATEGORIES:Work,Friends", "NICKNAME:Babs", "CLASS:PUBLIC", "SORT-STRING:Jensen",
               "UID:evolution-1234", "END:VCARD"})},
        // A 4.0 card with what only 4.0 has.
        {"card40",
         CrLfCard({"BEGIN:VCARD", "VERSION:4.0", "FN:Dr. Rosa Peña", "N:Peña;Rosa;;Dr.;", "KIND:individual",
               "GENDER:F;she/her", "ANNIVERSARY:20090808", "BDAY:--0521",
               "TEL;VALUE=uri;TYPE=work,voice;PREF=1:tel:+1-555-0100;ext=12", "TEL;TYPE=cell:+1 555 0199",
               "EMAIL;TYPE=work:rosa@example.com",
               "ADR;TYPE=work;LABEL=\"12 Elm St.^nSpringfield, IL\":;;12 Elm St.;Springfield;IL;62701;USA",
               "ADR;TYPE=home;LABEL=\"Casa ^'Azul^'^nCoyoacán\";GEO=\"geo:19.35,-99.16\":;;Calle 5;Coyoacán;;04100;México",
               "PHOTO:data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==",
               "LANG;PREF=1:es", "RELATED;TYPE=spouse:urn:uuid:03a0e51f-d1aa-4385-8a53-e29025acd8af",
               "CLIENTPIDMAP:1;urn:uuid:3df403f4-5924-4bb7-b077-3c711d9eb34b",
               "UID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1", "END:VCARD"})},
        {"onlyFn", CrLfCard({"BEGIN:VCARD", "VERSION:3.0", "FN:Only Fullname", "TEL:555-0111", "END:VCARD"})},
        {"onlyN", CrLfCard({"BEGIN:VCARD", "VERSION:3.0", "N:Nameonly;Nora;;;", "TEL:555-0123", "END:VCARD"})},
        {"noUid", CrLfCard({"BEGIN:VCARD", "VERSION:3.0", "N:Nouid;Nick;;;", "FN:Nick Nouid", "EMAIL:nick@example.net",
                        "END:VCARD"})},
    };
    return cards;
}

}  // namespace orvane::test
