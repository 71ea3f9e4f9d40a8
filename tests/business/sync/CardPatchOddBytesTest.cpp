#include <gtest/gtest.h>

#include <string>

#include "SyncCards.h"
#include "sync/CardPatch.h"
#include "transfer/VCardWriter.h"

namespace orvane::sync {
namespace {
using transfer::AddressFields;

// Bytes that are not UTF-8 (a long run of continuation bytes, as a broken
// server or file may hold) in the line a patch rewrites: the line is still
// folded into lines of at most 75 octets and the patch ends.
TEST(CardPatchOddBytes, ARunOfContinuationBytesLongerThanALineIsFolded) {
    const std::string line = "N;X-JUNK=" + std::string(120, '\xB3') + ":Lee;Ann";
    const std::string folded = transfer::FoldContentLine(line);
    std::string unfolded;
    std::size_t from = 0;
    for (std::size_t end; (end = folded.find("\r\n", from)) != std::string::npos; from = end + 2) {
        const std::string part = folded.substr(from, end - from);
        EXPECT_LE(part.size(), 75u);
        unfolded += from == 0 ? part : part.substr(1);
    }
    EXPECT_EQ(unfolded, line);
}

TEST(CardPatchOddBytes, PatchingANameWithBrokenBytesInItsParametersReadsBack) {
    const std::string card = "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=" + std::string(90, '\xB3') +
                             ":M\xC3\xBCller;J\xC3\xB6rg\nTEL;CELL;PREF:555\nEND:VCARD\n";
    const AddressFields fields{"Neue", "Person", "Weg 8", "12345", "Bayern", "Deutschland", "+49 89 555 0000"};
    const std::string patched = PatchCard(card, fields);
    EXPECT_EQ(testing::ReadFields(patched), fields) << patched;
}

// A 2.1 value with a line break goes out quoted-printable as UTF-8 together
// with the components kept from the card; a kept component with bytes that
// are not UTF-8 must not make the reader take the whole value for another
// character set and change the fields written.
TEST(CardPatchOddBytes, KeptBytesThatAreNotUtf8DoNotChangeANewLineBrokenValue) {
    const std::string card = "BEGIN:VCARD\nVERSION:2.1\nN:Family;Given;;Dr\xDF;Jr\xB3\nADR:Box\xE9 1;;Street 1;City;;;\n"
                             "END:VCARD\n";
    AddressFields fields = testing::ReadFields(card);
    fields[transfer::kLastName] = "Two\nlines \xE2\x82\xAC";
    fields[transfer::kStreet] = "Weg\n9 \xC3\xA9";
    const std::string patched = PatchCard(card, fields);
    EXPECT_EQ(testing::ReadFields(patched), fields) << patched;
}

// A parameter whose quote is never closed (the reader then ends the head at
// the first colon): the rewritten line closes it, so that the parameters the
// patch adds and a value holding quotes and colons read back as written.
TEST(CardPatchOddBytes, AnUnclosedQuoteInTheParametersDoesNotSwallowTheNewValue) {
    for (const std::string version : {"2.1", "3.0"}) {
        const std::string card = "BEGIN:VCARD\r\nVERSION:" + version +
                                 "\r\nN;X-LABEL=\"open;TYPE=x:Family;Given;;;\r\nEND:VCARD\r\n";
        AddressFields fields = testing::ReadFields(card);
        for (const std::string last : {"\\\nnext line", "say \"hi\": there"}) {
            fields[transfer::kLastName] = last;
            const std::string patched = PatchCard(card, fields);
            EXPECT_EQ(testing::ReadFields(patched), fields) << patched;
        }
    }
}

// A parameter with an unclosed quote on the address the reader takes: the
// line keeps its head as it was, so the reader takes the same address from
// the patched card and the new fields come back.
TEST(CardPatchOddBytes, AnUnclosedQuoteOnTheTakenAddressKeepsItTaken) {
    const std::string card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
        "item1.ADR;TYPE=HOME:;Flat 4;Main St 1;Koeln;NRW;50667;Germany\r\n"
        "ADR;TY\"E=WORK,PREF:;;Weg 1;;Bayern;80000;Deutschland\r\nEND:VCARD\r\n";
    AddressFields fields = testing::ReadFields(card);
    fields[transfer::kStreet] = "Weg 9, Hinterhaus";
    fields[transfer::kPostalCode] = "12345";
    const std::string patched = PatchCard(card, fields);
    EXPECT_EQ(testing::ReadFields(patched), fields) << patched;
}

// An unclosed quote in the head of the taken address, and a new street with
// a quote and a colon: kept as it stands, the head would swallow part of the
// new value. The address is written anew instead; the other lines keep
// their bytes.
TEST(CardPatchOddBytes, AnUnclosedQuoteAndAQuotedNewValueWriteTheAddressAnew) {
    const std::string head = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jo;;;\r\nFN:Jo Doe\r\n";
    const std::string tail = "EMAIL;TYPE=\"home:jo@example.org\r\nEND:VCARD\r\n";
    const std::string card = head + "ADR;TYPE=\"home:;;Old Street;;;;\r\n" + tail;
    AddressFields fields = testing::ReadFields(card);
    fields[transfer::kStreet] = "Hof \"Linde: Nord";
    const std::string patched = PatchCard(card, fields);
    EXPECT_EQ(testing::ReadFields(patched), fields) << patched;
    EXPECT_TRUE(patched.starts_with(head)) << patched;
    EXPECT_TRUE(patched.ends_with(tail)) << patched;
}

}  // namespace
}  // namespace orvane::sync
