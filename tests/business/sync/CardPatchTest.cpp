#include <gtest/gtest.h>

#include <random>
#include <set>

#include "SyncCards.h"
#include "sync/CardPatch.h"
#include "sync/NewCard.h"
#include "transfer/FileFormatError.h"

namespace orvane::sync {
namespace {
using testing::AllTestCards;
using testing::ReadFields;
using testing::TestCard;
using transfer::AddressFields;

// Every way the seven fields can change: one at a time, all at once,
// emptied, and values that need escaping, folding or non-ASCII bytes.
std::vector<AddressFields> ChangedFields(const AddressFields& now) {
    std::vector<AddressFields> variants;
    const std::vector<std::string> values = {
        "Changed", "Ünïcødé Straße", "with, comma; semicolon \\ backslash", "",
        "a very long value that goes on and on well past the seventy-five octets of one content line, with é and ü"};
    for (std::size_t field = 0; field < 7; ++field)
        for (const std::string& value : values) {
            AddressFields changed = now;
            changed[field] = value;
            if (changed != now) variants.push_back(changed);
        }
    variants.push_back({"Neue", "Person", "Weg 9", "12345", "Bayern", "Deutschland", "+49 89 555 0000"});
    variants.push_back({});
    variants.push_back({"", "Solo", "", "", "", "", ""});
    variants.push_back({"Only first", "", "", "", "", "", "555"});
    return variants;
}

bool Changed(testing::Maps maps, const AddressFields& before, const AddressFields& after) {
    using testing::Maps;
    auto differs = [&](std::initializer_list<std::size_t> fields) {
        for (const std::size_t field : fields)
            if (before[field] != after[field]) return true;
        return false;
    };
    switch (maps) {
        case Maps::Nothing: return false;
        case Maps::Names: return differs({transfer::kFirstName, transfer::kLastName});
        case Maps::Address:
            return differs({transfer::kStreet, transfer::kPostalCode, transfer::kState, transfer::kCountry});
        case Maps::Phone: return differs({transfer::kPhone});
    }
    return true;
}

// Each block that holds none of the changed fields appears in the patched
// text byte for byte, in its original order.
void ExpectUnmappedBlocksKept(const TestCard& card, const std::string& patched, const AddressFields& fields) {
    const AddressFields before = ReadFields(card.Text());
    std::size_t from = 0;
    for (const auto& block : card.blocks) {
        if (Changed(block.maps, before, fields)) continue;
        const std::size_t at = patched.find(block.bytes, from);
        ASSERT_NE(at, std::string::npos) << card.name << ": lost or changed line " << block.bytes << "for fields "
                                         << ::testing::PrintToString(fields) << "\n" << patched;
        from = at + block.bytes.size();
    }
}

TEST(CardPatchProperty, ReadingThePatchedCardGivesTheNewFieldsAndKeepsEveryOtherLine) {
    for (const TestCard& card : AllTestCards()) {
        const std::string text = card.Text();
        const AddressFields before = ReadFields(text);
        for (const AddressFields& fields : ChangedFields(before)) {
            const std::string patched = PatchCard(text, fields);
            EXPECT_EQ(ReadFields(patched), fields) << card.name << "\n" << patched;
            ExpectUnmappedBlocksKept(card, patched, fields);
            // Patching again with the same fields changes nothing.
            EXPECT_EQ(PatchCard(patched, fields), patched) << card.name;
        }
    }
}

// The text with folded lines joined again (CRLF or LF, then one blank) and
// quoted-printable soft breaks undone.
std::string Unfolded(std::string text) {
    for (const std::string fold : {"\r\n ", "\n ", "=\r\n", "=\n"})
        for (std::size_t at; (at = text.find(fold)) != std::string::npos;) text.erase(at, fold.size());
    return text;
}

// Random values built from the characters that need care in a card: the
// separators, escapes, blanks, line breaks, '=' and non-ASCII letters, and
// pieces of the values the cards hold (so kept components are tried).
TEST(CardPatchProperty, RandomFieldsReadBackAndKeepEveryOtherLine) {
    std::mt19937 random(19);
    const std::vector<std::string> pieces = {"a",  "Z",  " ",     ",",      ";",      "\\", "\n", ":",   "=",     "é",
                                             "ß",  "0",  "+41",   ", ",     "tel:",   " ext. ", "Köln", "Postfach 12",
                                             "Ikeja", "Flat 4", "\"", "\t", ""};
    auto value = [&] {
        std::string v;
        const int length = static_cast<int>(random() % 6);
        for (int i = 0; i < length; ++i) v += pieces[random() % pieces.size()];
        return v;
    };
    for (const TestCard& card : AllTestCards()) {
        const std::string text = card.Text();
        const AddressFields before = ReadFields(text);
        for (int round = 0; round < 300; ++round) {
            AddressFields fields = before;
            for (std::string& field : fields)
                if (random() % 3 == 0) field = value();
            // Street texts that keep some of the components around a new street.
            if (random() % 4 == 0) fields[transfer::kStreet] = value() + ", " + before[transfer::kStreet];
            const std::string patched = PatchCard(text, fields);
            ASSERT_EQ(ReadFields(patched), fields) << card.name << "\n" << patched;
            ExpectUnmappedBlocksKept(card, patched, fields);
        }
    }
}

TEST(CardPatchProperty, UnchangedFieldsGiveTheTextBackByteForByte) {
    for (const TestCard& card : AllTestCards()) {
        const std::string text = card.Text();
        EXPECT_EQ(PatchCard(text, ReadFields(text)), text) << card.name;
    }
}

TEST(CardPatchProperty, ChangedLinesAreFoldedAndEndLikeTheCardsOwnLines) {
    for (const TestCard& card : AllTestCards()) {
        const std::string text = card.Text();
        AddressFields fields = ReadFields(text);
        fields[transfer::kStreet] = std::string(200, 'x') + " é ü ß";
        fields[transfer::kLastName] = std::string(120, 'y');
        const std::string patched = PatchCard(text, fields);
        const bool crlf = text.find("\r\n") != std::string::npos;
        std::size_t start = 0;
        while (start < patched.size()) {
            const std::size_t end = patched.find('\n', start);
            ASSERT_NE(end, std::string::npos);
            const bool hasCr = end > start && patched[end - 1] == '\r';
            EXPECT_EQ(hasCr, crlf) << card.name;
            // Lines kept from the card keep their own length.
            const bool kept = text.find(patched.substr(start, end + 1 - start)) != std::string::npos;
            if (!kept) {
                EXPECT_LE(end - start - (hasCr ? 1 : 0), 75u) << card.name << ": " << patched.substr(start, end - start);
            }
            start = end + 1;
        }
        EXPECT_EQ(ReadFields(patched), fields) << card.name;
    }
}

// What each mapped property keeps beside the changed values.
TEST(CardPatchMappedProperties, NameKeepsPrefixSuffixAndAdditionalNamesAndFnFollows) {
    const std::string text = testing::PhoneCard().Text();
    AddressFields fields = ReadFields(text);
    ASSERT_EQ(fields[transfer::kFirstName], "Adaeze Ngozi");
    fields[transfer::kLastName] = "Okafor-Bello";
    const std::string patched = PatchCard(text, fields);
    EXPECT_NE(patched.find("\r\nN:Okafor-Bello;Adaeze;Ngozi;Dr.;PhD\r\n"), std::string::npos) << patched;
    EXPECT_NE(patched.find("\r\nFN:Dr. Adaeze Ngozi Okafor-Bello PhD\r\n"), std::string::npos) << patched;

    fields[transfer::kFirstName] = "Ada Ngozi";
    const std::string again = PatchCard(text, fields);
    EXPECT_NE(again.find("\r\nN:Okafor-Bello;Ada;Ngozi;Dr.;PhD\r\n"), std::string::npos) << again;
}

TEST(CardPatchMappedProperties, AddressKeepsParametersGroupAndTheBoxAndLocalityStillShown) {
    const std::string text = testing::Version4Card().Text();
    AddressFields fields = ReadFields(text);
    ASSERT_EQ(fields[transfer::kStreet], "Postfach 12, Am Ring 5, Köln");
    fields[transfer::kStreet] = "Postfach 12, Am Ring 7, Köln";
    fields[transfer::kPostalCode] = "50668";
    const std::string patched = Unfolded(PatchCard(text, fields));
    EXPECT_NE(patched.find("\nADR;TYPE=home;PREF=1;LABEL=\"Postfach 12, Am Ring 5\\nKöln\":Postfach 12;;Am Ring 7;Köln;"
                           "NRW;50668;Deutschland\n"),
              std::string::npos)
        << patched;
}

TEST(CardPatchMappedProperties, PhoneKeepsItsParametersAndStaysAUriWhenItCan) {
    const std::string text = testing::Version4Card().Text();
    AddressFields fields = ReadFields(text);
    fields[transfer::kPhone] = "+49-170-555-0111 ext. 3";
    std::string patched = PatchCard(text, fields);
    EXPECT_NE(patched.find("\nTEL;VALUE=uri;TYPE=\"voice,cell\";PREF=1:tel:+49-170-555-0111;ext=3\n"), std::string::npos)
        << patched;
    fields[transfer::kPhone] = "0170 555 0111 (mobile)";
    patched = PatchCard(text, fields);
    EXPECT_NE(patched.find("\nTEL;TYPE=\"voice,cell\";PREF=1;VALUE=text:0170 555 0111 (mobile)\n"), std::string::npos)
        << patched;
    EXPECT_EQ(ReadFields(patched), fields);
}

TEST(CardPatchMappedProperties, EmptiedPhoneDropsTheOnlyTelAndBlanksOneOfSeveral) {
    const std::string sparse =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Kim;;;\r\nTEL;TYPE=cell:555 0100\r\nEND:VCARD\r\n";
    AddressFields fields = ReadFields(sparse);
    fields[transfer::kPhone].clear();
    EXPECT_EQ(PatchCard(sparse, fields), "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Kim;;;\r\nEND:VCARD\r\n");

    const std::string text = testing::PhoneCard().Text();
    fields = ReadFields(text);
    fields[transfer::kPhone].clear();
    const std::string patched = PatchCard(text, fields);
    EXPECT_NE(patched.find("\r\nTEL;type=HOME;type=VOICE;type=pref:\r\n"), std::string::npos) << patched;
    EXPECT_EQ(ReadFields(patched)[transfer::kPhone], "");
}

TEST(CardPatchMappedProperties, QuotedPrintableLinesAreWrittenPlainlyOrQuotedWhenTheyHoldALineBreak) {
    const std::string text = testing::Version21Card().Text();
    AddressFields fields = ReadFields(text);
    ASSERT_EQ(fields[transfer::kLastName], "Müller");
    fields[transfer::kLastName] = "Müller-Lüdenscheidt";
    std::string patched = PatchCard(text, fields);
    EXPECT_NE(patched.find("\r\nN:Müller-Lüdenscheidt;Zoë;;;\r\n"), std::string::npos) << patched;
    fields[transfer::kStreet] = "Bahnhofstraße 3\nHinterhaus";
    patched = PatchCard(text, fields);
    EXPECT_NE(Unfolded(patched).find("\r\nADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Bahnhofstra=C3=9Fe 3=0AHinterhaus;"),
              std::string::npos)
        << patched;
    EXPECT_EQ(ReadFields(patched), fields);
}

TEST(CardPatchMappedProperties, QuotedPrintableValuesFoldBetweenTriplesAndEncodeTheirEqualsSigns) {
    const std::string text = testing::Version21Card().Text();
    for (std::size_t shift = 0; shift < 6; ++shift) {
        AddressFields fields = ReadFields(text);
        // Enough two-byte letters that every cut lands near an =XX triple,
        // and an '=' that would read as one if it were left as it is.
        fields[transfer::kStreet] = std::string(shift, 'x') + "Straße =0A Nr. 3\n" + [] {
            std::string letters;
            for (int i = 0; i < 40; ++i) letters += "éü";
            return letters;
        }();
        const std::string patched = PatchCard(text, fields);
        EXPECT_EQ(ReadFields(patched), fields) << patched;
        std::size_t start = 0;
        while (start < patched.size()) {
            const std::size_t end = patched.find("\r\n", start);
            const std::string line = patched.substr(start, end - start);
            if (text.find(line) == std::string::npos) {
                EXPECT_LE(line.size(), 76u) << line;
                // A soft break never cuts an =XX triple, which other readers would not put together.
                const std::string body = line.ends_with('=') ? line.substr(0, line.size() - 1) : line;
                EXPECT_FALSE(body.ends_with('=')) << line;
                EXPECT_FALSE(body.size() >= 2 && body[body.size() - 2] == '=') << line;
            }
            start = end + 2;
        }
    }
}

TEST(CardPatchMappedProperties, MissingPropertiesAreAddedBeforeTheEnd) {
    const std::string text = testing::SparseCard().Text();
    const AddressFields fields{"Kim", "Lee-Park", "1 Main St", "02134", "MA", "USA", "+1 617 555 0100"};
    const std::string patched = PatchCard(text, fields);
    EXPECT_EQ(patched,
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kim Lee-Park\r\nEMAIL:kim@example.com\r\nCATEGORIES:friends,climbing\r\n"
              "N:Lee-Park;Kim;;;\r\nADR:;;1 Main St;;MA;02134;USA\r\nTEL:+1 617 555 0100\r\nEND:VCARD\r\n");
}

TEST(CardPatchMappedProperties, TextWithoutACardIsRefused) {
    EXPECT_THROW(PatchCard("", AddressFields{"a"}), transfer::FileFormatError);
    EXPECT_THROW(PatchCard("BEGIN:VCARD\r\nN:a;b\r\n", AddressFields{"a"}), transfer::FileFormatError);
}

TEST(NewCard, IsAPlainVersion3CardWithTheUidAndTheFields) {
    const AddressFields fields{"Mary", "O'Neil", "5 High St, Flat 2", "D02", "Dublin", "Ireland", "+353 1 555 0100"};
    const std::string uid = RandomUuid();
    const std::string card = NewCardText(fields, uid);
    EXPECT_EQ(ReadFields(card), fields);
    EXPECT_NE(card.find("\r\nVERSION:3.0\r\n"), std::string::npos);
    EXPECT_NE(card.find("\r\nUID:" + uid + "\r\n"), std::string::npos) << card;
}

TEST(NewCard, UidsAreVersion4UuidsAndDiffer) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string uid = RandomUuid();
        ASSERT_EQ(uid.size(), 36u);
        EXPECT_EQ(uid[8], '-');
        EXPECT_EQ(uid[14], '4');
        EXPECT_NE(std::string("89ab").find(uid[19]), std::string::npos) << uid;
        EXPECT_EQ(uid.find_first_not_of("0123456789abcdef-"), std::string::npos) << uid;
        seen.insert(uid);
    }
    EXPECT_EQ(seen.size(), 200u);
}

}  // namespace
}  // namespace orvane::sync
