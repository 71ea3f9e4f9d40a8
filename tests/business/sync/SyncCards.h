#pragma once

#include <string>
#include <vector>

#include "transfer/ImportedCard.h"
#include "transfer/VCardReader.h"

// Card texts for the sync tests, built from blocks so a test knows the exact
// bytes of every property line (folding and line ends included).
namespace orvane::sync::testing {

// Which of the seven fields a property line holds, if any.
enum class Maps { Nothing, Names, Address, Phone };

struct CardBlock {
    std::string bytes;  // one property: its physical lines with their line ends
    Maps maps = Maps::Nothing;  // N and FN, or the ADR/TEL the reader takes
};

struct TestCard {
    std::string name;
    std::vector<CardBlock> blocks;

    std::string Text() const {
        std::string text;
        for (const CardBlock& block : blocks) text += block.bytes;
        return text;
    }
};

inline transfer::AddressFields ReadFields(const std::string& text) {
    transfer::VCardReader reader(text);
    transfer::ImportedCard card;
    if (!reader.Next(card)) return {};
    return card.fields;
}

// A phone's card: two e-mails, three phones, two addresses, a folded photo,
// a note, a birthday, a labelled URL and X- properties; CRLF.
inline TestCard PhoneCard() {
    return {"phone 3.0",
            {{"BEGIN:VCARD\r\n"},
             {"VERSION:3.0\r\n"},
             {"PRODID:-//Apple Inc.//iPhone OS 17.0//EN\r\n"},
             {"N:Okafor;Adaeze;Ngozi;Dr.;PhD\r\n", Maps::Names},
             {"FN:Dr. Adaeze Ngozi Okafor PhD\r\n", Maps::Names},
             {"ORG:Lagos Water Works;Planning\r\n"},
             {"EMAIL;type=INTERNET;type=HOME;type=pref:ada@example.org\r\n"},
             {"EMAIL;type=INTERNET;type=WORK:a.okafor@water.example\r\n"},
             {"TEL;type=CELL;type=VOICE:+234 803 555 0101\r\n"},
             {"TEL;type=HOME;type=VOICE;type=pref:+234 1 555 0102\r\n", Maps::Phone},
             {"TEL;type=WORK;type=VOICE:+234 1 555 0103\r\n"},
             {"item2.ADR;type=WORK:;;12 Marina Road;Lagos Island;Lagos;101001;Nigeria\r\n"},
             {"item2.X-ABADR:ng\r\n"},
             {"ADR;type=HOME;type=pref:;Flat 4;7 Allen Avenue;Ikeja;Lagos;100271;Nigeria\r\n", Maps::Address},
             {"NOTE:Met at the water conference\\, 2024.\\nPrefers e-mail.\r\n"},
             {"BDAY:1984-03-11\r\n"},
             {"item1.URL;type=pref:https://ada.example.org\r\n"},
             {"item1.X-ABLABEL:_$!<HomePage>!$_\r\n"},
             {"X-SOCIALPROFILE;type=twitter:x-apple:adaokafor\r\n"},
             {"PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8UHRof\r\n"
              " Hh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/2wBDAQkJCQwLDBgNDRgyIRwhMjIy\r\n"
              " MjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjL/wAARCAABAAEDASIA\r\n"
              " AhEBAxEB/8QAFQABAQAAAAAAAAAAAAAAAAAAAAf/xAAUEAEAAAAAAAAAAAAAAAAAAAAA/9oADAMBAAIR\r\n"
              " AxEAPwCdABmX/9k=\r\n"},
             {"X-ANNIVERSARY:2010-06-05\r\n"},
             {"UID:5E2A0C1B-7F4D-4A8E-9C3B-2D1E0F9A8B7C\r\n"},
             {"REV:2024-11-02T10:15:00Z\r\n"},
             {"END:VCARD\r\n"}}};
}

// vCard 4.0 with LF line ends: a tel: URI, the second address preferred,
// a post office box and a locality in the taken address, a folded note.
inline TestCard Version4Card() {
    return {"4.0 LF",
            {{"BEGIN:VCARD\n"},
             {"VERSION:4.0\n"},
             {"UID:urn:uuid:0a7c6b1e-3f0e-4b8f-9d1a-6f6f1b2c3d4e\n"},
             {"FN:Jürgen Weiß\n", Maps::Names},
             {"N:Weiß;Jürgen;;;\n", Maps::Names},
             {"ADR;TYPE=work:;;Hauptstr. 1;Berlin;;10115;Deutschland\n"},
             {"ADR;TYPE=home;PREF=1;LABEL=\"Postfach 12, Am Ring 5\\nKöln\":Postfach 12;;Am Ring 5;Köln;NRW;50667;Deutschland\n", Maps::Address},
             {"TEL;VALUE=uri;TYPE=\"voice,cell\";PREF=1:tel:+49-170-555-0100\n", Maps::Phone},
             {"TEL;VALUE=uri;TYPE=work:tel:+49-30-555-0199;ext=7\n"},
             {"EMAIL;TYPE=work:juergen@example.de\n"},
             {"NOTE:Lange Notiz über viele Dinge\\, die hier stehen\\; mit Komma und Semikolon u\n"
              " nd einem Umbruch.\n"},
             {"X-CUSTOM;X-PARAM=\"a;b:c\":value with : colon\n"},
             {"END:VCARD\n"}}};
}

// vCard 2.1 with quoted-printable names, address and a soft-broken note.
inline TestCard Version21Card() {
    return {"2.1 quoted-printable",
            {{"BEGIN:VCARD\r\n"},
             {"VERSION:2.1\r\n"},
             {"N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;Zo=C3=AB;;;\r\n", Maps::Names},
             {"FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Zo=C3=AB M=C3=BCller\r\n", Maps::Names},
             {"TEL;CELL;PREF:+41 79 555 01 01\r\n", Maps::Phone},
             {"TEL;HOME:+41 44 555 01 02\r\n"},
             {"ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Bahnhofstra=C3=9Fe 3;Z=C3=BCrich;ZH;8001;Schweiz\r\n",
              Maps::Address},
             {"NOTE;ENCODING=QUOTED-PRINTABLE:Erste Zeile=0D=0AZweite Zeile, die lang genug ist um umzubrechen und=\r\n"
              " weiterzugehen\r\n"},
             {"EMAIL;INTERNET:zoe@example.ch\r\n"},
             {"X-IRMC-LUID:000123\r\n"},
             {"END:VCARD\r\n"}}};
}

// A card with only FN for a name, no address and no phone.
inline TestCard SparseCard() {
    return {"sparse",
            {{"BEGIN:VCARD\r\n"},
             {"VERSION:3.0\r\n"},
             {"FN:Kim Lee\r\n", Maps::Names},
             {"EMAIL:kim@example.com\r\n"},
             {"CATEGORIES:friends,climbing\r\n"},
             {"END:VCARD\r\n"}}};
}

// Two phones and two addresses of equal preference: the reader takes the
// first of each. Grouped lines, as a webmail writes them.
inline TestCard TiedCard() {
    return {"ties 3.0",
            {{"BEGIN:VCARD\r\n"},
             {"VERSION:3.0\r\n"},
             {"N:Ito;Hana\r\n", Maps::Names},
             {"FN:Hana Ito\r\n", Maps::Names},
             {"item1.TEL;TYPE=CELL:090-5555\r\n -0101\r\n", Maps::Phone},
             {"item2.TEL;TYPE=WORK:03-5555-0102\r\n"},
             {"item3.ADR;TYPE=HOME:;;1-2-3 Shibuya;Shibuya-ku;Tokyo;150-0002\r\n", Maps::Address},
             {"item3.X-ABLABEL:home\r\n"},
             {"item4.ADR;TYPE=WORK:;;4-5-6 Minato;Minato-ku;Tokyo;105-0001;Japan\r\n"},
             {"END:VCARD\r\n"}}};
}

inline std::vector<TestCard> AllTestCards() {
    return {PhoneCard(), Version4Card(), Version21Card(), SparseCard(), TiedCard()};
}

}  // namespace orvane::sync::testing
